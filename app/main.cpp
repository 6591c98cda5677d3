#include "app/form1.h"
#include "app/systemcontext.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    veldrin::SystemSeams seams;
    veldrin::Context context = seams.context(QCoreApplication::applicationDirPath());
    // A second copy ends before any window is built.
    if (context.instance->anotherInstanceRunning()) {
        context.process->endNow();
        return 0;
    }
    veldrin::Form1 window(context);
    window.show();
    return app.exec();
}
