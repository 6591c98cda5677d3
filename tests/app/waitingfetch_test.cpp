#include "checks/site/ippanel.h"
#include "platform/innertext.h"
#include "support/fixtureserver.h"
#include "support/paintcounter.h"
#include "support/recorders.h"
#include "support/recordingfetch.h"

#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

using namespace veldrin;
using namespace veldrin::test;
using namespace std::chrono_literals;

namespace {

// The IP panel and a second panel's button side by side in one window, the IP lookup's page
// held back for as long as the test says.
class WaitingFetch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        seams.context.fetchLimits.totalTimeout = 1500ms;
        fetch.install(seams.context);
        ip = new IpPanel(seams.context, &window);
        ip->setGeometry(0, 0, 400, 320);
        other = new QPushButton(QStringLiteral("另一个面板"), &window);
        other->setGeometry(0, 330, 200, 30);
        QObject::connect(other, &QPushButton::clicked, [this] { events.append(QStringLiteral("other clicked")); });
        window.resize(420, 380);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        box = ip->findChild<QLineEdit*>(QStringLiteral("txtIP"));
        button = ip->findChild<QPushButton*>(QStringLiteral("cmdIPChaXun"));
        box->setText(QStringLiteral("1.2.3.4"));
    }

    // Clicks the query button; returns when the lookup handler has returned.
    void query()
    {
        QTest::mouseClick(button, Qt::LeftButton);
        events.append(QStringLiteral("lookup returned"));
    }

    // Runs `during` once the lookup is waiting for its page.
    void whileWaiting(std::function<void()> during) { QTimer::singleShot(100ms, ip, std::move(during)); }

    TestSeams seams;
    RecordingFetch fetch;
    QWidget window;
    IpPanel* ip = nullptr;
    QPushButton* other = nullptr;
    QLineEdit* box = nullptr;
    QPushButton* button = nullptr;
    QStringList events;
};

TEST_F(WaitingFetch, TheWindowPaintsAndTimersRunWhileThePanelWaitsDisabled)
{
    fetch.hold();
    PaintCounter counter;
    other->installEventFilter(&counter);
    bool sawBusyPanel = false;
    int paintsBefore = -1;
    whileWaiting([&] {
        sawBusyPanel = !box->isEnabled() && !button->isEnabled();
        paintsBefore = counter.paints;
        other->update();
    });
    query();
    // Painted inside the wait: the lookup has not returned before this line.
    const bool repainted = counter.paints > paintsBefore;
    fetch.release();

    EXPECT_TRUE(sawBusyPanel);
    EXPECT_TRUE(repainted);
    // Held past the deadline: the lookup failed and enabled its panel again.
    EXPECT_EQ(seams.dialogs.boxes.size(), 1);
    EXPECT_TRUE(box->isEnabled());
    EXPECT_TRUE(button->isEnabled());
}

TEST_F(WaitingFetch, APageThatArrivesAfterTheDeadlineIsDropped)
{
    const QString url = seams.context.services[Service::IpLocation].url(QStringLiteral("/ips.asp?ip=1.2.3.4&action=2"));
    fetch.setPage(
        url,
        QStringLiteral("本站主数据：晚到的结果 如果您发现查询结果不详细或不正确，请使用IP数据库自助添加功能进行修正"));
    fetch.hold();
    query();
    ASSERT_EQ(seams.dialogs.boxes.size(), 1);

    fetch.release();
    ASSERT_TRUE(waitUntil([&] { return fetch.idle(); }, 5s));
    QTest::qWait(100);
    auto* result = ip->findChild<QPlainTextEdit*>(QStringLiteral("txtIPJG"));
    EXPECT_EQ(result->toPlainText(), QStringLiteral("查询结果"));
    EXPECT_EQ(seams.dialogs.boxes.size(), 1);
}

// A server error is a failure of the waiting fetch, whose page text and status stay beside it;
// any other status (a "not found" page, or none known) leaves the page a page.
TEST(WaitingFetchStatus, AServerErrorIsAFailureAndOtherStatusesArePages)
{
    const struct
    {
        long status;
        bool ok;
    } cases[] = { { 0, true },    { 200, true },  { 404, true },  { 499, true },
                  { 500, false }, { 503, false }, { 599, false }, { 600, true } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        const WebText text = fetchWaiting(
            [&](const QString&, const FetchLimits&) {
                return WebText { true, QStringLiteral("出错页面"), {}, c.status };
            },
            QStringLiteral("http://127.0.0.1:9/page"), FetchLimits {});
        EXPECT_EQ(text.ok, c.ok);
        EXPECT_EQ(text.error.isEmpty(), c.ok);
        EXPECT_EQ(text.text, QStringLiteral("出错页面"));
        EXPECT_EQ(text.status, c.status);
    }
}

TEST(RunWaiting, GivesTheWorksValueOrNoneOnceItsDeadlineHasPassed)
{
    EXPECT_EQ(runWaiting([] { return QStringLiteral("完成"); }, 5s), std::optional<QString>(QStringLiteral("完成")));

    auto latch = std::make_shared<std::atomic<bool>>(false);
    const std::optional<int> late = runWaiting(
        [latch] {
            while (!latch->load())
                std::this_thread::sleep_for(1ms);
            return 1;
        },
        200ms);
    EXPECT_FALSE(late.has_value());
    EXPECT_EQ(waitingWorkersRunning(), 1) << "the worker goes on until its work ends";
    latch->store(true);
    EXPECT_TRUE(waitUntil([] { return waitingWorkersRunning() == 0; }));
}

// Once the program is told to quit, every event loop returns at once until the main loop has
// ended: a wait then gives up at once, whether told before it started or while it ran, instead
// of spinning until its work ends or outlasting its deadline.
TEST(RunWaiting, GivesUpAtOnceWhenTheProgramIsToldToQuit)
{
    for (const bool whileWaiting : { false, true }) {
        SCOPED_TRACE(whileWaiting ? "told while waiting" : "told before the wait");
        auto latch = std::make_shared<std::atomic<bool>>(false);
        std::optional<int> value;
        WaitEnd end = WaitEnd::Finished;
        int workersAfter = -1;
        QTimer::singleShot(0, [&] {
            if (whileWaiting)
                QTimer::singleShot(50ms, [] { QCoreApplication::exit(0); });
            else
                QCoreApplication::exit(0);
            value = runWaiting(
                [latch] {
                    // Bounded, so that a wait that would spin on still ends.
                    for (int i = 0; i < 10000 && !latch->load(); ++i)
                        std::this_thread::sleep_for(1ms);
                    return 1;
                },
                60s, &end);
            workersAfter = waitingWorkersRunning();
        });
        // The main loop's end clears the quit again for the tests that follow.
        QCoreApplication::exec();
        latch->store(true);

        EXPECT_FALSE(value.has_value());
        EXPECT_EQ(end, WaitEnd::Quit);
        EXPECT_EQ(workersAfter, 1) << "given up while the work still ran";
        EXPECT_TRUE(waitUntil([] { return waitingWorkersRunning() == 0; }));
    }
}

// Unclosed nested elements make the parser's time grow with the square of the depth: many
// seconds for this page, whose bytes take a moment.
QByteArray deeplyNestedPage()
{
    return QByteArrayLiteral("<html><body>") + QByteArray("<div>").repeated(100000) + "本站主数据：";
}

// A parse that outlives the deadline is given up, not left burning a core: after ten such
// lookups in a row, no parse and no worker is left running. (Left alone, each parse would
// run for many seconds after its lookup had ended.)
TEST(WaitingFetchDeadline, TenDeepPagesInARowLeaveNoWorkerRunning)
{
    FixtureServer server;
    server.setPage(QStringLiteral("/deep"), deeplyNestedPage());
    FetchLimits limits;
    limits.totalTimeout = 300ms;
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        const WebText text = fetchWaiting(&GetWebText, server.url(QStringLiteral("/deep")), limits);
        EXPECT_FALSE(text.ok);
        EXPECT_EQ(text.error, QStringLiteral("访问超时"));
        EXPECT_TRUE(text.text.isEmpty());
    }
    EXPECT_EQ(server.requests().size(), 10);
    EXPECT_TRUE(waitUntil([] { return waitingWorkersRunning() == 0 && htmlParsesRunning() == 0; }, 10s))
        << waitingWorkersRunning() << " workers, " << htmlParsesRunning() << " parses";
}

TEST(WaitingFetchDeadline, ThePageLoaderGivesUpAParseThatOutlastsItsDeadline)
{
    FixtureServer server;
    server.setPage(QStringLiteral("/deep"), deeplyNestedPage());
    FetchLimits limits;
    limits.totalTimeout = 500ms;
    // The bytes alone arrive within the limit, so what runs out is the parse.
    HttpRequestOptions options;
    options.limits = limits;
    ASSERT_TRUE(httpGet(server.url(QStringLiteral("/deep")), options).ok);

    auto loader = createHttpPageLoader(limits);
    int completions = 0;
    QObject::connect(loader.get(), &PageLoader::documentComplete, [&] { ++completions; });
    for (int i = 1; i <= 10; ++i) {
        SCOPED_TRACE(i);
        loader->navigate(server.url(QStringLiteral("/deep")));
        ASSERT_TRUE(waitUntil([&] { return completions == i; }, 10s));
        EXPECT_TRUE(loader->loadFailed());
        EXPECT_EQ(loader->loadError(), QStringLiteral("访问超时"));
        EXPECT_TRUE(loader->innerText().isEmpty());
    }
    // Still living, the loader holds no parse of its own.
    EXPECT_TRUE(waitUntil([] { return htmlParsesRunning() == 0; }, 10s)) << htmlParsesRunning() << " parses";
}

// Pages that keep the parser busy long after any deadline, each in its own way, within the
// fetch's size cap. Some of them it spends its time on without allocating, where it cannot be
// stopped from inside.
struct HostilePage
{
    const char* name;
    QByteArray body;
};

std::vector<HostilePage> hostilePages()
{
    const auto filled = [](const char* unit) -> QByteArray {
        const qsizetype units = (FetchLimits {}.maxBytes - 64) / qsizetype(std::strlen(unit));
        return QByteArrayLiteral("<html><body>") + QByteArray(unit).repeated(units);
    };
    return {
        { "deep nesting", deeplyNestedPage() },
        // Every character of the text makes the parser look through the whole stack. Few
        // enough elements for the deadline to pass among the characters.
        { "formatting element over deep nesting",
          QByteArrayLiteral("<html><body>") + QByteArray("<div>").repeated(10000) + "<b>"
              + QByteArray(4 * 1024 * 1024, 'x') },
        { "misnested formatting", filled("<b><i></b></i>") },
        { "misnested link and paragraph", filled("<a><p></a>") },
        { "nested tables", filled("<table><tr><td>") },
        { "many links", filled("<a href=x>") },
    };
}

bool nothingLeftRunning()
{
    return waitingWorkersRunning() == 0 && htmlParsesRunning() == 0 && !hasChildProcesses();
}

std::string whatIsLeftRunning()
{
    return std::to_string(waitingWorkersRunning()) + " workers, " + std::to_string(htmlParsesRunning()) + " parses, "
        + (hasChildProcesses() ? "a child process" : "no child process");
}

TEST(WaitingFetchDeadline, AHostilePageLeavesNoParseWorkerOrChildProcessBehind)
{
    FixtureServer server;
    FetchLimits limits;
    limits.totalTimeout = 500ms;
    for (const HostilePage& page : hostilePages()) {
        SCOPED_TRACE(page.name);
        const QString path = u"/hostile/" + QString::fromLatin1(page.name).replace(u' ', u'-');
        server.setPage(path, page.body);
        const WebText text = fetchWaiting(&GetWebText, server.url(path), limits);
        EXPECT_FALSE(text.ok);
        EXPECT_EQ(text.error, QStringLiteral("访问超时"));
        EXPECT_TRUE(waitUntil(&nothingLeftRunning, 5s)) << whatIsLeftRunning();
    }
}

TEST(WaitingFetchDeadline, ThePageLoaderLeavesNoParseOrChildProcessOfAHostilePageBehind)
{
    FixtureServer server;
    FetchLimits limits;
    limits.totalTimeout = 500ms;
    auto loader = createHttpPageLoader(limits);
    int completions = 0;
    QObject::connect(loader.get(), &PageLoader::documentComplete, [&] { ++completions; });
    for (const HostilePage& page : hostilePages()) {
        SCOPED_TRACE(page.name);
        const QString path = u"/hostile/" + QString::fromLatin1(page.name).replace(u' ', u'-');
        server.setPage(path, page.body);
        const int before = completions;
        loader->navigate(server.url(path));
        ASSERT_TRUE(waitUntil([&] { return completions > before; }, 10s));
        EXPECT_EQ(loader->loadError(), QStringLiteral("访问超时"));
        EXPECT_TRUE(loader->innerText().isEmpty());
        EXPECT_TRUE(waitUntil(&nothingLeftRunning, 5s)) << whatIsLeftRunning();
    }
}

} // namespace
