#include "app/form1.h"
#include "support/recorders.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

using namespace veldrin;

// Renders the main window as it opens. scripts/screenshot sets VELDRIN_SCREENSHOT to the PNG
// path; without it the render is only checked, not kept.
TEST(Screenshot, MainWindowRendersAtItsFixedSize)
{
    test::TestSeams seams;
    seams.context.services = ServiceTable::defaults();
    Form1 window(seams.context);
    window.show();
    ASSERT_TRUE(test::waitUntil([&] { return window.isVisible(); }));

    const QPixmap picture = window.grab();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), window.size());
    EXPECT_EQ(window.minimumSize(), window.maximumSize());

    const QString target = qEnvironmentVariable("VELDRIN_SCREENSHOT");
    if (!target.isEmpty()) {
        EXPECT_TRUE(picture.save(target, "PNG")) << target.toStdString();
    }
}
