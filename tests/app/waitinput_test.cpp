// While a lookup waits for its page, the windows take no input but a way out of the program, and
// the pointer shows the busy cursor. Input goes through the window system's queue, as a user's.

#include "app/form1.h"
#include "app/systemcontext.h"
#include "support/fakepageloader.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <qpa/qwindowsysteminterface.h>
#include <thread>

using namespace veldrin;
using namespace veldrin::test;
using namespace std::chrono_literals;

namespace {

const QString located = QStringLiteral("本站主数据：北京市 电信");

QByteArray ipPage()
{
    return encodeGbk(
        u"<html><body><p>" + located
        + u"</p><p>如果您发现查询结果不详细或不正确，请使用IP数据库自助添加功能进行修正</p></body></html>");
}

// The main window on the IP panel, whose lookup's page a loopback server holds until the test
// releases it. No wait here ends by its deadline unless a case sets a short one.
struct HeldLookup
{
    // `prepare` changes the server or the context before the window is built.
    explicit HeldLookup(const std::function<void(HeldLookup&)>& prepare = {})
        : seams(server.host(), server.port())
    {
        server.setHeldPage(QStringLiteral("/ips.asp"), ipPage());
        seams.context.fetchLimits.totalTimeout = 10min;
        if (prepare)
            prepare(*this);
        window = std::make_unique<Form1>(seams.context);
        window->show();
        QApplication::setActiveWindow(window.get());
        EXPECT_TRUE(waitUntil([this] { return QApplication::activeWindow() == window.get(); }));
        QTest::mouseClick(find<QPushButton>(u"cmdIP"), Qt::LeftButton);
        box = find<QLineEdit>(u"txtIP");
        result = find<QPlainTextEdit>(u"txtIPJG");
        bar = window->menuBar();
        box->setText(QStringLiteral("1.2.3.4"));
    }

    template<class W = QWidget> W* find(const char16_t* name) const
    {
        auto* widget = window->findChild<W*>(str(name));
        EXPECT_NE(widget, nullptr) << str(name).toStdString();
        return widget;
    }

    // Where the menu bar shows the title of `menu`.
    QPoint title(const char16_t* menu) const { return bar->actionGeometry(find<QMenu>(menu)->menuAction()).center(); }

    bool waiting() const { return server.requests().size() == 1; }

    // Presses Enter in the IP box and runs `during` once the lookup waits for its page; returns
    // when the lookup has ended.
    void lookUp(const std::function<void()>& during)
    {
        whenReady(
            window.get(), [this] { return waiting(); }, during);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
    }

    // The same, inside the program's main loop, which ends with the lookup or with the program.
    void lookUpInMainLoop(const std::function<void()>& during)
    {
        QTimer::singleShot(0, window.get(), [this, during] {
            lookUp(during);
            QCoreApplication::exit(0);
        });
        QCoreApplication::exec();
    }

    FixtureServer server;
    TestSeams seams;
    std::unique_ptr<Form1> window;
    QLineEdit* box = nullptr;
    QPlainTextEdit* result = nullptr;
    QMenuBar* bar = nullptr;
};

Qt::CursorShape shownCursor()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor != nullptr ? cursor->shape() : Qt::ArrowCursor;
}

// Clicks, keys and the wheel made during the wait reach no control, then or after it: the page
// is asked for once, no text is selected or typed, no other panel or menu opens, and the focus
// is back in the box once the lookup has ended.
TEST(WaitInput, InputDuringAWaitReachesNoControl)
{
    struct Input
    {
        const char* name;
        std::function<void(HeldLookup&)> make;
        // The way out that the input gave the focus to; otherwise the focus is nowhere during the
        // wait and back in the box after it.
        const char16_t* focused = nullptr;
    };
    const Input inputs[] = {
        { "click into a text box",
          [](HeldLookup& t) {
              queueClick(t.result);
          } },
        { "double click into a text box",
          [](HeldLookup& t) {
              queueClick(t.result);
              queueClick(t.result);
          } },
        { "click into a text box, then typing",
          [](HeldLookup& t) {
              queueClick(t.result);
              queueKey(t.result, Qt::Key_A, QStringLiteral("a"));
              queueKey(t.result, Qt::Key_5, QStringLiteral("5"));
          } },
        { "wheel turned over a text box",
          [](HeldLookup& t) {
              queueWheel(t.result, -45);
          } },
        { "Enter in the disabled box",
          [](HeldLookup& t) {
              queueKey(t.box, Qt::Key_Return, QStringLiteral("\r"));
          } },
        { "click on the disabled button",
          [](HeldLookup& t) {
              queueClick(t.find(u"cmdIPChaXun"));
          } },
        { "click on another tool button",
          [](HeldLookup& t) {
              queueClick(t.find(u"cmdShouJi"));
          } },
        { "exit button pressed, then released off it", [](HeldLookup& t) { queueDrag(t.find(u"Command2"), t.result); },
          u"Command2" },
        { "click on the report menu",
          [](HeldLookup& t) {
              queueClick(t.bar, t.title(u"mnuJB"));
          } },
        { "文件 opened, then the pointer onto the report menu's title and a click outside",
          [](HeldLookup& t) {
              queueClick(t.bar, t.title(u"mnuFile"));
              EXPECT_TRUE(waitUntil([&t] { return QApplication::activePopupWidget() == t.find(u"mnuFile"); }));
              queueMove(t.bar, t.title(u"mnuJB"));
              queueClick(t.result);
          } },
        { "Alt pressed for the menu bar",
          [](HeldLookup& t) {
              queueKey(t.window.get(), Qt::Key_Alt);
          } },
    };
    const QString hello = QStringLiteral("hello world\n").repeated(60);
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.name);
        HeldLookup t;
        int othersShown = 0;
        for (QMenu* menu : t.window->findChildren<QMenu*>()) {
            if (menu->objectName() != QStringLiteral("mnuFile"))
                QObject::connect(menu, &QMenu::aboutToShow, [&othersShown] { ++othersShown; });
        }
        const auto expectUntouched = [&t, &othersShown](const char* when, const QString& text) {
            SCOPED_TRACE(when);
            EXPECT_EQ(t.server.requests().size(), 1);
            EXPECT_EQ(t.result->toPlainText(), text);
            EXPECT_FALSE(t.result->textCursor().hasSelection());
            EXPECT_EQ(t.result->verticalScrollBar()->value(), 0);
            EXPECT_EQ(t.box->text(), QStringLiteral("1.2.3.4"));
            EXPECT_TRUE(t.find(u"frmIP")->isVisible());
            EXPECT_FALSE(t.find(u"frmShouJi")->isVisible());
            EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
            EXPECT_EQ(t.bar->activeAction(), nullptr);
            EXPECT_TRUE(t.seams.shell.targets.isEmpty());
            EXPECT_EQ(othersShown, 0) << "a menu but 文件 opened";
            EXPECT_FALSE(t.find<QPushButton>(u"Command2")->isDown());
        };
        QWidget* focusDuring = t.box;
        t.lookUp([&] {
            // A box with more text than it shows, scrolled to its top.
            t.result->setPlainText(hello);
            input.make(t);
            whenReady(t.window.get(), &queuedInputHandled, [&] {
                focusDuring = QApplication::focusWidget();
                expectUntouched("during the wait", hello);
                t.server.release();
            });
        });
        QCoreApplication::processEvents();

        QWidget* const focused = input.focused != nullptr ? t.find(input.focused) : nullptr;
        EXPECT_EQ(focusDuring, focused);
        expectUntouched("after the wait", located);
        EXPECT_EQ(QApplication::focusWidget(), focused != nullptr ? focused : t.box);
        EXPECT_TRUE(t.seams.dialogs.boxes.isEmpty());
        EXPECT_EQ(t.seams.process.endCount, 0);
    }
}

// Each way out of the program acts during a wait as at any other time: the program is ended at
// once, and the wait's loop with it, while the page is still held.
TEST(WaitInput, EveryWayOutEndsTheProgramDuringAWait)
{
    struct WayOut
    {
        const char* name;
        std::function<void(HeldLookup&)> use;
        bool hidesFirst;
    };
    const WayOut waysOut[] = {
        { "the exit button Command2", [](HeldLookup& t) { queueClick(t.find(u"Command2")); }, false },
        { "文件 › 退出",
          [](HeldLookup& t) {
              queueClick(t.bar, t.title(u"mnuFile"));
              auto* file = t.find<QMenu>(u"mnuFile");
              whenReady(
                  t.window.get(), [file] { return QApplication::activePopupWidget() == file && queuedInputHandled(); },
                  [file] {
                      auto* exit = file->findChild<QAction*>(QStringLiteral("mnuEnd"));
                      queueClick(file, file->actionGeometry(exit).center());
                  });
          },
          true },
        { "the close box",
          [](HeldLookup& t) {
              QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                  t.window->windowHandle());
          },
          false },
    };
    for (const WayOut& wayOut : waysOut) {
        SCOPED_TRACE(wayOut.name);
        HeldLookup t;
        bool endedInTheWait = false;
        t.seams.process.whenEnded = [&] {
            endedInTheWait = t.waiting() && shownCursor() == Qt::BusyCursor;
            QCoreApplication::exit(0);
        };
        t.lookUpInMainLoop([&] {
            wayOut.use(t);
            // Reached only when the way out has not ended the loops.
            whenReady(
                t.window.get(), [] { return queuedInputHandled() && QApplication::activePopupWidget() == nullptr; },
                [&] {
                    if (t.seams.process.endCount == 0) {
                        ADD_FAILURE() << "the input was handled and the program goes on";
                        t.server.release();
                    }
                });
        });

        EXPECT_EQ(t.seams.process.endCount, 1);
        EXPECT_TRUE(endedInTheWait);
        EXPECT_EQ(t.result->toPlainText(), QStringLiteral("查询结果")) << "the page came";
        EXPECT_EQ(t.window->isVisible(), !wayOut.hidesFirst);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

// The busy cursor is up from the wait's start to its end, whichever way it ends.
TEST(WaitInput, TheBusyCursorShowsForTheWaitOnly)
{
    struct Ending
    {
        const char* name;
        std::function<void(HeldLookup&)> prepare;
        std::function<void(HeldLookup&)> end;
        QString shown; // in the result box afterwards
        int boxes;
    };
    const Ending endings[] = {
        { "result", {}, [](HeldLookup& t) { t.server.release(); }, located, 0 },
        { "server error",
          [](HeldLookup& t) {
              t.server.setHeldPage(QStringLiteral("/ips.asp"), ipPage(), QByteArrayLiteral("text/html"), 500);
          },
          [](HeldLookup& t) { t.server.release(); }, QStringLiteral("查询结果"), 1 },
        { "deadline", [](HeldLookup& t) { t.seams.context.fetchLimits.totalTimeout = 300ms; }, [](HeldLookup&) {},
          QStringLiteral("查询结果"), 1 },
        { "told to quit", {}, [](HeldLookup&) { QCoreApplication::exit(0); }, QStringLiteral("查询结果"), 1 },
    };
    for (const Ending& ending : endings) {
        SCOPED_TRACE(ending.name);
        HeldLookup t(ending.prepare);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        Qt::CursorShape during = Qt::ArrowCursor;
        t.lookUpInMainLoop([&] {
            during = shownCursor();
            ending.end(t);
        });

        EXPECT_EQ(during, Qt::BusyCursor);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(t.result->toPlainText(), ending.shown);
        EXPECT_EQ(t.seams.dialogs.boxes.size(), ending.boxes);
    }
}

// A wait that starts and ends inside another leaves the window closed to input and the busy
// cursor up until the outer one ends.
TEST(WaitInput, AnInnerWaitLeavesTheOuterWaitClosedToInput)
{
    HeldLookup t;
    QPushButton* shouJi = t.find<QPushButton>(u"cmdShouJi");
    Qt::CursorShape afterInner = Qt::ArrowCursor;
    bool panelSwitched = false;
    t.lookUp([&] {
        auto handled = std::make_shared<std::atomic<bool>>(false);
        queueClick(shouJi);
        whenReady(t.window.get(), &queuedInputHandled, [handled] { handled->store(true); });
        const std::optional<int> inner = runWaiting(
            [handled] {
                while (!handled->load())
                    std::this_thread::sleep_for(1ms);
                return 1;
            },
            10min);
        EXPECT_EQ(inner, std::optional<int>(1));
        afterInner = shownCursor();
        queueClick(shouJi);
        whenReady(t.window.get(), &queuedInputHandled, [&] {
            panelSwitched = t.find(u"frmShouJi")->isVisible();
            t.server.release();
        });
    });

    EXPECT_EQ(afterInner, Qt::BusyCursor);
    EXPECT_FALSE(panelSwitched);
    EXPECT_FALSE(t.find(u"frmShouJi")->isVisible());
    EXPECT_EQ(t.result->toPlainText(), located);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// Another panel's page can come during a wait and its lookup show a box: the box runs a loop of
// its own and takes its input, so it can be closed while the wait goes on.
TEST(WaitInput, ABoxThatComesUpDuringAWaitTakesItsInput)
{
    SystemDialogs dialogs;
    FakeLoaderFactory loaders;
    HeldLookup t([&](HeldLookup& held) {
        held.seams.context.dialogs = &dialogs;
        loaders.install(held.seams.context);
    });
    QTest::mouseClick(t.find<QPushButton>(u"cmdZhongJi"), Qt::LeftButton);
    QTest::mouseClick(t.find<QPushButton>(u"Command12"), Qt::LeftButton);
    t.find<QLineEdit>(u"txtMXName")->setText(QStringLiteral("刘德华"));
    QTest::mouseClick(t.find<QPushButton>(u"cmdMXCX"), Qt::LeftButton);
    FakePageLoader* web = loaders.named(QStringLiteral("WebMX"));
    ASSERT_NE(web, nullptr);
    ASSERT_EQ(web->navigations.size(), 1);
    QTest::mouseClick(t.find<QPushButton>(u"cmdChuJi"), Qt::LeftButton);
    QTest::mouseClick(t.find<QPushButton>(u"cmdIP"), Qt::LeftButton);
    t.box->setText(QStringLiteral("1.2.3.4"));

    QString boxText;
    bool closedInTheWait = false;
    t.lookUp([&] {
        whenReady(
            t.window.get(), [] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; },
            [&] {
                auto* box = static_cast<QMessageBox*>(QApplication::activeModalWidget());
                boxText = box->text();
                queueClick(box->button(QMessageBox::Ok));
                whenReady(box, &queuedInputHandled, [box] {
                    if (box->isVisible()) {
                        ADD_FAILURE() << "the click did not close the box";
                        box->done(0);
                    }
                });
            });
        web->failWith(QStringLiteral("refused"));
        closedInTheWait = t.waiting() && QApplication::activeModalWidget() == nullptr;
        t.server.release();
    });

    EXPECT_TRUE(boxText.startsWith(QStringLiteral("没有查询到结果"))) << boxText.toStdString();
    EXPECT_TRUE(closedInTheWait);
    EXPECT_TRUE(t.find(u"cmdMXCX")->isEnabled());
    EXPECT_EQ(t.result->toPlainText(), located);
}

} // namespace
