#include "app/form1.h"
#include "app/systemcontext.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    veldrin::SystemSeams seams;
    veldrin::Context context = seams.context(QCoreApplication::applicationDirPath());
    veldrin::Form1 window(context);
    window.show();
    return app.exec();
}
