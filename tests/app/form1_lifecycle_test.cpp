#include "app/form1.h"
#include "support/panelkit.h"
#include "support/recorders.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form5.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <qpa/qwindowsysteminterface.h>

using namespace veldrin;
using veldrin::test::str;

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

// The main, About and update windows have a fixed border: neither the widget nor the native
// window asks for a maximise button, and the size cannot change (the window manager takes both
// from there). The start-up window has no border at all.
TEST_F(LifecycleTest, WindowsHaveAFixedSizeAndNoMaximiseButton)
{
    showWindow();
    Form2 about(seams.context);
    Form5 update(seams.context);
    Form3 startUp(seams.context);
    struct Row
    {
        const char* name;
        QWidget* window;
        bool titled;
    };
    const Row rows[] = {
        { "Form1", window.get(), true },
        { "Form2", &about, true },
        { "Form5", &update, true },
        { "Form3", &startUp, false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // Created, not shown: the start-up window would start its version check.
        row.window->winId();
        for (const Qt::WindowFlags flags : { row.window->windowFlags(), row.window->windowHandle()->flags() }) {
            EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
            EXPECT_EQ(flags.testFlag(Qt::FramelessWindowHint), !row.titled);
        }
        EXPECT_EQ(row.window->minimumSize(), row.window->maximumSize());
        EXPECT_EQ(row.window->windowHandle()->minimumSize(), row.window->windowHandle()->maximumSize());
        EXPECT_EQ(row.window->size(), row.window->minimumSize());
    }
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

// The two orders in which the window system may report a click in the main window and the
// window's activation.
enum class Order
{
    ClickFirst,
    ActivationFirst
};

void queueActivation(QWidget* window)
{
    QWindowSystemInterface::handleWindowActivated<QWindowSystemInterface::AsynchronousDelivery>(
        window->windowHandle(), Qt::ActiveWindowFocusReason);
}

// A click on `target` at once, ahead of whatever the window system has queued.
void clickNow(QWidget* target)
{
    QWidget* top = target->window();
    const QPointF local = target->mapTo(top, QPointF(target->width() / 2.0, target->height() / 2.0));
    const QPointF global = top->mapToGlobal(local);
    using Sync = QWindowSystemInterface::SynchronousDelivery;
    QWindowSystemInterface::handleMouseEvent<Sync>(top->windowHandle(), local, global, Qt::LeftButton, Qt::LeftButton,
                                                   QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<Sync>(top->windowHandle(), local, global, Qt::NoButton, Qt::LeftButton,
                                                   QEvent::MouseButtonRelease);
}

class FocusTest : public LifecycleTest
{
protected:
    template<class W = QWidget> W* find(const char16_t* name) const { return window->findChild<W*>(str(name)); }

    bool focusIs(const char16_t* name) const
    {
        return QApplication::activeWindow() == window.get() && QApplication::focusWidget() == find(name);
    }

    // The user goes to the update or About window; the main window is left inactive.
    QWidget* goTo(const char16_t* item, const char* kind)
    {
        window->findChild<QAction*>(str(item))->trigger();
        QWidget* other = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->inherits(kind) && top->isVisible())
                other = top;
        }
        EXPECT_NE(other, nullptr) << kind;
        if (other != nullptr) {
            EXPECT_TRUE(test::waitUntil([&] { return QApplication::activeWindow() == other; }));
        }
        return other;
    }

    // The window system reports a click on `target` and the main window's activation.
    void clickBack(const char16_t* target, Order order)
    {
        QWidget* widget = find(target);
        ASSERT_NE(widget, nullptr);
        if (order == Order::ActivationFirst)
            queueActivation(window.get());
        test::queueClick(widget);
        if (order == Order::ClickFirst)
            queueActivation(window.get());
    }
};

// At start the window's first activation moves the focus to the sink; a click on a tool button
// that the window system reports before that activation keeps the focus it gives the box.
TEST_F(FocusTest, FirstActivationLeavesTheFocusOfAnEarlierClick)
{
    for (const Order order : { Order::ClickFirst, Order::ActivationFirst }) {
        SCOPED_TRACE(order == Order::ClickFirst ? "click first" : "activation first");
        window = std::make_unique<Form1>(seams.context);
        // Showing the window queues its activation.
        window->show();
        if (order == Order::ClickFirst)
            clickNow(find(u"cmdIP"));
        else
            test::queueClick(find(u"cmdIP"));
        EXPECT_TRUE(test::waitUntil([&] { return focusIs(u"txtIP"); }));
        QCoreApplication::processEvents();
        EXPECT_TRUE(focusIs(u"txtIP"));
        EXPECT_TRUE(find(u"frmIP")->isVisible());
    }
    // With no click the first activation puts the focus out of sight.
    window = std::make_unique<Form1>(seams.context);
    window->show();
    EXPECT_TRUE(test::waitUntil([&] { return focusIs(u"Text5"); }));
}

// Back from the update or About window, still open or just closed, by a click into a box or on a
// tool button: the focus is where the click put it, whichever the window system reports first.
// Back without a click, the focus is in the sink, once: the next click is not undone.
TEST_F(FocusTest, BackFromUpdateOrAboutAClickKeepsItsFocus)
{
    struct Window
    {
        const char16_t* item;
        const char* kind;
    };
    const Window windows[] = { { u"mnuAbout", "veldrin::Form2" }, { u"mnuUpdate", "veldrin::Form5" } };
    struct Click
    {
        const char16_t* target;
        const char16_t* focus;
    };
    const Click clicks[] = { { u"txtIP", u"txtIP" }, { u"cmdShouJi", u"txtShouJi" } };
    showWindow();
    for (const Window& other : windows) {
        for (const bool closed : { false, true }) {
            for (const Click& click : clicks) {
                for (const Order order : { Order::ClickFirst, Order::ActivationFirst }) {
                    SCOPED_TRACE(str(other.item).toStdString() + (closed ? " closed, " : " open, ")
                                 + str(click.target).toStdString()
                                 + (order == Order::ClickFirst ? ", click first" : ", activation first"));
                    QTest::mouseClick(find<QPushButton>(u"cmdIP"), Qt::LeftButton);
                    ASSERT_TRUE(focusIs(u"txtIP"));
                    QWidget* away = goTo(other.item, other.kind);
                    ASSERT_NE(away, nullptr);
                    if (closed)
                        away->close();
                    clickBack(click.target, order);
                    EXPECT_TRUE(test::waitUntil([&] { return focusIs(click.focus); }));
                    QCoreApplication::processEvents();
                    EXPECT_TRUE(focusIs(click.focus));
                    if (!closed)
                        away->close();
                    queueActivation(window.get());
                    QCoreApplication::processEvents();
                    EXPECT_TRUE(focusIs(click.focus)) << "the focus goes to the sink at most once";
                }
            }
            // No click: the sink, and the next click lands where the user clicked.
            SCOPED_TRACE(str(other.item).toStdString() + (closed ? " closed" : " open") + ", no click");
            QTest::mouseClick(find<QPushButton>(u"cmdIP"), Qt::LeftButton);
            QWidget* away = goTo(other.item, other.kind);
            ASSERT_NE(away, nullptr);
            if (closed)
                away->close();
            queueActivation(window.get());
            EXPECT_TRUE(test::waitUntil([&] { return focusIs(u"Text5"); }));
            if (!closed)
                away->close();
            test::queueClick(find(u"txtIP"));
            queueActivation(window.get());
            EXPECT_TRUE(test::waitUntil([&] { return focusIs(u"txtIP"); }));
        }
    }
    EXPECT_EQ(seams.process.endCount, 0);
}

} // namespace
