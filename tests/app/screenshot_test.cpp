#include "app/form1.h"
#include "support/recorders.h"
#include "windows/form2.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

using namespace veldrin;

namespace {

// Shows the window and renders it at its fixed size. scripts/screenshot names the PNG path in
// `variable`; without it the render is only checked, not kept.
void renderShown(QWidget& window, const char* variable)
{
    window.show();
    ASSERT_TRUE(test::waitUntil([&] { return window.isVisible(); }));

    const QPixmap picture = window.grab();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), window.size());
    EXPECT_EQ(window.minimumSize(), window.maximumSize());

    const QString target = qEnvironmentVariable(variable);
    if (!target.isEmpty()) {
        EXPECT_TRUE(picture.save(target, "PNG")) << target.toStdString();
    }
}

TEST(Screenshot, MainWindowRendersAtItsFixedSize)
{
    test::TestSeams seams;
    seams.context.services = ServiceTable::defaults();
    Form1 window(seams.context);
    renderShown(window, "VELDRIN_SCREENSHOT");
}

TEST(Screenshot, AboutWindowRendersAtItsFixedSize)
{
    test::TestSeams seams;
    seams.context.services = ServiceTable::defaults();
    Form2 about(seams.context);
    renderShown(about, "VELDRIN_SCREENSHOT_ABOUT");
}

} // namespace
