#include "platform/pageparse.h"

#include <QApplication>
#include <gtest/gtest.h>

// Every test executable runs with a QApplication on the offscreen platform, so windows can be
// built and driven without a display, and parses pages with the parser the build made.
int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    veldrin::setPageParserProgram(VELDRIN_PAGEPARSE_PROGRAM);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
