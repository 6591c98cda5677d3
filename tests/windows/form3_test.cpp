#include "app/form1.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"
#include "support/recordingfetch.h"
#include "windows/form3.h"
#include "windows/version.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>

using namespace veldrin;
using veldrin::test::str;

namespace {

const QString notice = QStringLiteral("您使用的Veldrin版本是：4.01，最新版本是：%1，请及时更新。\r"
                                      "定期将软件升至最新版本，获取更多功能，杜绝软件漏洞！");

class StartUpTest : public ::testing::Test
{
protected:
    StartUpTest() { fetch.install(seams.context); }

    QString pageUrl() const { return seams.context.services[Service::VersionPage].url(versionPagePath()); }

    // Starts the program's first window and waits until the main window is shown.
    void startUp(test::TestSeams& with)
    {
        form3 = std::make_unique<Form3>(with.context);
        form3->start();
        ASSERT_TRUE(
            test::waitUntil([&] { return form3->mainWindow() != nullptr && form3->mainWindow()->isVisible(); }));
        EXPECT_FALSE(form3->isVisible());
        EXPECT_EQ(with.process.endCount, 0);
    }

    test::TestSeams seams;
    test::RecordingFetch fetch;
    std::unique_ptr<Form3> form3;
};

TEST_F(StartUpTest, OpensFramelessWithItsStatusBelowTheMiddle)
{
    Form3 window(seams.context);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window.size(), QSize(twipsToPixels(7710), twipsToPixels(4485)));
    auto* label = window.findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("正在连接到服务器......"));
    EXPECT_TRUE(label->font().bold());
    EXPECT_EQ(label->font().pointSize(), 12);
    EXPECT_EQ(label->font().family(), QStringLiteral("微软雅黑"));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_GT(label->geometry().center().y(), window.height() / 2) << "over the lower middle";
}

// The notice shows only when the published version differs from "4.01"; a page that gives no
// version (no start marker, the end marker before the start, nothing between) shows none.
TEST_F(StartUpTest, NoticeOnlyForAnotherPublishedVersion)
{
    struct Row
    {
        const char16_t* page; // null: the fetch fails
        const char16_t* shown; // the version the notice names; null: no notice
    };
    const Row rows[] = {
        { u"The Newest Vision：4.01########", nullptr },
        { u"公告\r\nThe Newest Vision：4.02########\r\n###Update Text###\r\n说明\r\n#End#", u"4.02" },
        { u"The Newest Vision：4.00########", u"4.00" },
        { u"The Newest Vision： 4.01########", u" 4.01" },
        { u"The Newest Vision：4.010########", u"4.010" },
        { u"The Newest Vision：4.01########\r\nThe Newest Vision：4.03########", u"4.03" },
        { u"The Newest Vision：4.03########\r\nThe Newest Vision：4.01########", nullptr },
        { u"########\r\nThe Newest Vision：4.02", nullptr },
        { u"The Newest Vision：########", nullptr },
        { u"Version 4.02########", nullptr },
        { nullptr, nullptr },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.page ? str(row.page).toStdString() : "fetch fails");
        test::TestSeams run;
        test::RecordingFetch pages;
        pages.install(run.context);
        if (row.page)
            pages.setPage(pageUrl(), str(row.page));
        else
            pages.setFailure(pageUrl());
        // The main window does not exist while the notice is up.
        std::optional<bool> mainWindowDuringNotice;
        run.dialogs.whileShown = [&] {
            mainWindowDuringNotice = form3->mainWindow() != nullptr;
            for (QWidget* window : QApplication::topLevelWidgets())
                *mainWindowDuringNotice = *mainWindowDuringNotice || qobject_cast<Form1*>(window) != nullptr;
            EXPECT_TRUE(form3->isVisible());
        };

        startUp(run);
        EXPECT_EQ(pages.urls(), QStringList { pageUrl() });
        if (row.shown == nullptr) {
            EXPECT_TRUE(run.dialogs.boxes.isEmpty());
        } else {
            ASSERT_EQ(run.dialogs.boxes.size(), 1);
            EXPECT_EQ(run.dialogs.boxes[0].style, MsgInformation);
            EXPECT_EQ(run.dialogs.boxes[0].title, QStringLiteral("版本信息"));
            EXPECT_EQ(run.dialogs.boxes[0].text, notice.arg(str(row.shown)));
            EXPECT_EQ(mainWindowDuringNotice, false);
        }
        // The one instance guard answers both windows.
        EXPECT_EQ(run.instance.askCount, 2);
        EXPECT_EQ(form3->mainWindow()->windowTitle(), QStringLiteral("Veldrin 4.01"));
        form3.reset();
    }
}

// A published "version" of a megabyte is named by its start: a box has no room for a page.
TEST_F(StartUpTest, AHugePublishedVersionIsNamedByItsStart)
{
    fetch.setPage(pageUrl(), u"The Newest Vision：" + QString(1024 * 1024, u'9') + u"########");
    startUp(seams);
    ASSERT_EQ(seams.dialogs.boxes.size(), 1);
    const QString& text = seams.dialogs.boxes[0].text;
    EXPECT_TRUE(text.startsWith(u"您使用的Veldrin版本是：4.01，最新版本是：" + QString(1000, u'9')));
    EXPECT_TRUE(text.contains(u"9…，请及时更新。\r定期将软件升至最新版本"));
    EXPECT_LT(text.size(), 8 * 1024);
}

// Closing the notice activates the start-up window again: no second fetch, no second box.
TEST_F(StartUpTest, TheCheckRunsOnce)
{
    fetch.setPage(pageUrl(), QStringLiteral("The Newest Vision：4.02########"));
    seams.dialogs.whileShown = [&] {
        form3->activateWindow();
        QApplication::setActiveWindow(form3.get());
        QCoreApplication::processEvents();
    };
    startUp(seams);
    form3->activateWindow();
    QCoreApplication::processEvents();
    EXPECT_EQ(seams.dialogs.boxes.size(), 1);
    EXPECT_EQ(fetch.urls().size(), 1);
}

// The check has its own short limits, whatever the context's are.
TEST_F(StartUpTest, TheCheckWaitsAFewSecondsAtMost)
{
    seams.context.fetchLimits = FetchLimits {};
    std::mutex mutex;
    std::optional<FetchLimits> used;
    seams.context.pageText = [&](const QString&, const FetchLimits& limits) {
        const std::lock_guard lock(mutex);
        used = limits;
        return WebText { false, {}, QStringLiteral("refused") };
    };
    startUp(seams);
    const std::lock_guard lock(mutex);
    ASSERT_TRUE(used.has_value());
    EXPECT_EQ(used->connectTimeout, std::chrono::seconds(3));
    EXPECT_EQ(used->totalTimeout, std::chrono::seconds(6));
}

// Through the real fetch: a GBK page carrying another version; a refused address and a server
// that never answers show no notice and open the main window.
TEST_F(StartUpTest, RealFetch)
{
    test::FixtureServer server;
    server.setGbkPage(versionPagePath(),
                      QStringLiteral("<html><body><p>最新版本</p>"
                                     "<p>The Newest Vision：4.02########</p></body></html>"));
    {
        test::TestSeams served(server.host(), server.port());
        startUp(served);
        ASSERT_EQ(served.dialogs.boxes.size(), 1);
        EXPECT_EQ(served.dialogs.boxes[0].text, notice.arg(QStringLiteral("4.02")));
        form3.reset();
    }
    {
        const QUrl refused(test::FixtureServer::refusedUrl());
        test::TestSeams offline(refused.host(), refused.port());
        startUp(offline);
        EXPECT_TRUE(offline.dialogs.boxes.isEmpty());
        form3.reset();
    }
    {
        server.setStall(versionPagePath());
        test::TestSeams silent(server.host(), server.port());
        startUp(silent);
        EXPECT_TRUE(silent.dialogs.boxes.isEmpty());
        form3.reset();
    }
}

// A second instance ends in the start-up window's load: no window, no fetch, no main window.
TEST_F(StartUpTest, SecondInstanceEndsAtOnce)
{
    seams.instance.otherInstance = true;
    Form3 window(seams.context);
    window.start();
    QCoreApplication::processEvents();
    EXPECT_EQ(seams.process.endCount, 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.mainWindow(), nullptr);
    EXPECT_TRUE(fetch.urls().isEmpty());
    EXPECT_EQ(seams.instance.askCount, 1);
}

// Under the application's own event loop, closing the start-up window before the main window is
// shown must not end the program: Qt would quit on its last window closed, and its quit closes
// every window, the main window's close ending the program.
TEST_F(StartUpTest, ClosingTheStartUpWindowDoesNotEndTheProgram)
{
    QApplication::setQuitOnLastWindowClosed(true);
    fetch.setPage(pageUrl(), QStringLiteral("The Newest Vision：4.01########"));
    QTimer poll;
    QTimer::singleShot(0, [&] {
        form3 = std::make_unique<Form3>(seams.context);
        form3->start();
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (form3->mainWindow() != nullptr && form3->mainWindow()->isVisible()) {
                poll.stop();
                // Queued behind anything the close has posted.
                QMetaObject::invokeMethod(
                    qApp, [] { QCoreApplication::exit(7); }, Qt::QueuedConnection);
            }
        });
        poll.start(10);
    });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    giveUp.start(std::chrono::seconds(20));
    EXPECT_EQ(QCoreApplication::exec(), 7);
    ASSERT_NE(form3->mainWindow(), nullptr);
    EXPECT_TRUE(form3->mainWindow()->isVisible());
    EXPECT_EQ(seams.process.endCount, 0);
}

} // namespace
