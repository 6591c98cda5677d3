#include "app/form1.h"
#include "app/toolpanel.h"
#include "support/recorders.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form5.h"

#include <QDir>
#include <QFrame>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

using namespace veldrin;

// Renders the program's windows as they open, and the main window once with each tool panel
// shown. scripts/screenshot sets VELDRIN_SCREENSHOT_DIR to the folder the PNG files go to and
// VELDRIN_SCREENSHOT_ONLY to the comma-separated names it wants (form1, form2, form3, form5,
// panel-frmZhuJi, ...; a name ending in * stands for every name it begins; empty: all). Without the folder the renders
// are only checked, not kept.
namespace {

bool wanted(const QString& name)
{
    const QString only = qEnvironmentVariable("VELDRIN_SCREENSHOT_ONLY");
    if (only.isEmpty())
        return true;
    const QStringList names = only.split(u',', Qt::SkipEmptyParts);
    return std::any_of(names.begin(), names.end(), [&](const QString& entry) {
        return entry.endsWith(u'*') ? name.startsWith(entry.chopped(1)) : name == entry;
    });
}

// The render of a fixed-size window is the window's size; it goes to <name>.png when asked for.
void keep(QWidget& window, const QString& name)
{
    SCOPED_TRACE(name.toStdString());
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "a fixed-size window";
    const QPixmap picture = window.grab();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), window.size());
    const QString folder = qEnvironmentVariable("VELDRIN_SCREENSHOT_DIR");
    if (!folder.isEmpty() && wanted(name)) {
        const QString target = QDir(folder).filePath(name + QStringLiteral(".png"));
        EXPECT_TRUE(picture.save(target, "PNG")) << target.toStdString();
    }
}

class Screenshot : public ::testing::Test
{
protected:
    Screenshot() { seams.context.services = ServiceTable::defaults(); }

    // Shown and drawn at least once.
    static void open(QWidget& window)
    {
        window.show();
        ASSERT_TRUE(test::waitUntil([&] { return window.isVisible(); }));
        QCoreApplication::processEvents();
    }

    test::TestSeams seams;
};

} // namespace

TEST_F(Screenshot, MainWindowRendersAtItsFixedSize)
{
    Form1 window(seams.context);
    open(window);
    keep(window, QStringLiteral("form1"));
}

// Every panel-switching tool button of every group, the main window rendered with its panel.
TEST_F(Screenshot, EachToolPanelRendersInTheMainWindow)
{
    Form1 window(seams.context);
    open(window);
    const QList<ToolPanel*> panels = window.findChildren<ToolPanel*>();
    QStringList rendered;
    struct Group
    {
        const char* button;
        const char* frame;
    };
    const Group groups[] = { { "cmdChuJi", "frmChuJi" }, { "cmdZhongJi", "frmZhongJi" }, { "cmdGaoji", "frmGaoji" } };
    for (const Group& group : groups) {
        auto* groupButton = window.findChild<QPushButton*>(QString::fromLatin1(group.button));
        auto* frame = window.findChild<QFrame*>(QString::fromLatin1(group.frame));
        ASSERT_NE(groupButton, nullptr);
        ASSERT_NE(frame, nullptr);
        for (QPushButton* tool : frame->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
            // From the intro panel, so that a link tool shows none.
            QTest::mouseClick(groupButton, Qt::LeftButton);
            QTest::mouseClick(tool, Qt::LeftButton);
            ToolPanel* shown = nullptr;
            for (ToolPanel* panel : panels) {
                if (panel->isVisible())
                    shown = panel;
            }
            if (shown == nullptr)
                continue; // a link tool: no panel of its own
            QCoreApplication::processEvents();
            keep(window, QStringLiteral("panel-") + shown->objectName());
            rendered << shown->objectName();
        }
    }
    EXPECT_EQ(rendered.size(), 15) << rendered.join(u' ').toStdString();
}

TEST_F(Screenshot, UpdateAboutAndStartUpWindowsRender)
{
    Form2 about(seams.context);
    open(about);
    keep(about, QStringLiteral("form2"));
    Form5 update(seams.context);
    open(update);
    keep(update, QStringLiteral("form5"));
    // Rendered without being shown: shown, it would start the version check.
    Form3 startUp(seams.context);
    keep(startUp, QStringLiteral("form3"));
}
