#include "app/form1.h"
#include "support/recorders.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace veldrin;

namespace {

class LifecycleTest : public ::testing::Test
{
protected:
    void showWindow()
    {
        window = std::make_unique<Form1>(seams.context);
        window->show();
        ASSERT_TRUE(test::waitUntil([&] { return window->isVisible() && window->windowHandle()->isExposed(); }));
    }

    test::TestSeams seams;
    std::unique_ptr<Form1> window;
};

TEST_F(LifecycleTest, OnTopSwitchKeepsThePlaceAndSize)
{
    showWindow();
    auto* check = window->findChild<QCheckBox*>(QStringLiteral("Check1"));
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->text(), QStringLiteral("本窗口总在最前面"));
    const QRect before = window->geometry();

    for (const bool onTop : { true, false, true }) {
        SCOPED_TRACE(onTop);
        QTest::mouseClick(check, Qt::LeftButton);
        EXPECT_EQ(check->isChecked(), onTop);
        EXPECT_EQ(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        EXPECT_EQ(window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        QCoreApplication::processEvents();
        EXPECT_EQ(window->geometry(), before);
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    }
    EXPECT_EQ(seams.process.endCount, 0);
}

// The close box, the exit button and the exit item each end the program at once.
TEST_F(LifecycleTest, EveryWayOutEndsTheProgram)
{
    struct Row
    {
        const char* name;
        std::function<void(Form1&)> use;
        bool hidesFirst;
    };
    const Row rows[] = {
        { "close box", [](Form1& w) { w.close(); }, false },
        { "Command2",
          [](Form1& w) {
              auto* button = w.findChild<QPushButton*>(QStringLiteral("Command2"));
              ASSERT_NE(button, nullptr);
              EXPECT_EQ(button->text(), QStringLiteral("退出"));
              QTest::mouseClick(button, Qt::LeftButton);
          },
          false },
        { "mnuEnd",
          [](Form1& w) {
              auto* item = w.findChild<QAction*>(QStringLiteral("mnuEnd"));
              ASSERT_NE(item, nullptr);
              item->trigger();
          },
          true },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        seams.process.endCount = 0;
        showWindow();
        row.use(*window);
        EXPECT_EQ(seams.process.endCount, 1);
        EXPECT_EQ(window->isVisible(), !row.hidesFirst);
    }
}

TEST_F(LifecycleTest, LoadRegistersTheHotKeyForTheWindow)
{
    showWindow();
    EXPECT_EQ(seams.instance.askCount, 1);
    EXPECT_EQ(seams.hotKey.windows, QList<QWidget*> { window.get() });
}

// A second copy ends in its load step and goes no further: no hot key, no lists filled.
TEST_F(LifecycleTest, SecondInstanceEndsDuringLoad)
{
    seams.instance.otherInstance = true;
    Form1 second(seams.context);
    EXPECT_EQ(seams.process.endCount, 1);
    EXPECT_FALSE(second.isVisible());
    EXPECT_TRUE(seams.hotKey.windows.isEmpty());
    auto* provinces = second.findChild<QComboBox*>(QStringLiteral("Combo1"));
    ASSERT_NE(provinces, nullptr);
    EXPECT_EQ(provinces->count(), 0);
}

} // namespace
