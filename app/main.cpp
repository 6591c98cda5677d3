#include "app/pictures.h"
#include "app/systemcontext.h"
#include "app/toolkittranslation.h"
#include "windows/form3.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The program ends only through the context's process seam, never because a window closed.
    app.setQuitOnLastWindowClosed(false);
    const auto translation = veldrin::installToolkitTranslation(app);
    veldrin::installProgramIcon();
    veldrin::SystemSeams seams;
    veldrin::Context context = seams.context(QCoreApplication::applicationDirPath());
    // The start-up window refuses a second copy, runs the version check and then creates the
    // main window.
    veldrin::Form3 startUp(context);
    startUp.start();
    return app.exec();
}
