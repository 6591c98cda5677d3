#include "checks/site/ippanel.h"
#include "platform/innertext.h"
#include "platform/textcodec.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"
#include "support/recordingfetch.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;
using namespace std::chrono_literals;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
};

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

TEST_F(WaitingFetch, ClicksAndKeysDuringTheWaitAreHandledOnlyAfterTheLookupReturns)
{
    fetch.hold();
    whileWaiting([&] {
        queueClick(other);
        queueKey(box, Qt::Key_5, QStringLiteral("5"));
        QTimer::singleShot(100ms, ip, [this] { fetch.release(); });
    });
    query();
    EXPECT_EQ(events, QStringList { QStringLiteral("lookup returned") });
    EXPECT_EQ(box->text(), QStringLiteral("1.2.3.4"));

    ASSERT_TRUE(waitUntil([&] { return events.size() == 2; }, 5s));
    EXPECT_EQ(events.last(), QStringLiteral("other clicked"));
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

// Unclosed nested elements make the parser's time grow with the square of the depth: seconds
// for this page, whose bytes take a moment.
QByteArray deeplyNestedPage()
{
    return QByteArrayLiteral("<html><body>") + QByteArray("<div>").repeated(80000) + "本站主数据：";
}

TEST(WaitingFetchDeadline, DecodingAndParsingCountAgainstTheDeadline)
{
    // The bytes are had beforehand, so all the wait covers is what the fetch does after the
    // download: decoding and parsing.
    const QByteArray page = deeplyNestedPage();
    FetchLimits limits;
    limits.totalTimeout = 500ms;
    const WebText text = fetchWaiting(
        [page](const QString&, const FetchLimits&) {
            return WebText { true, innerTextOfHtml(decodeGbk(page)), {} };
        },
        QStringLiteral("http://127.0.0.1:9/deep"), limits);
    EXPECT_FALSE(text.ok);
    EXPECT_EQ(text.error, QStringLiteral("访问超时"));
    EXPECT_TRUE(text.text.isEmpty());
}

TEST(WaitingFetchDeadline, ThePageLoaderFailsAParseThatOutlastsItsDeadline)
{
    FixtureServer server;
    server.setPage(QStringLiteral("/deep"), deeplyNestedPage());
    FetchLimits limits;
    limits.totalTimeout = 3000ms;
    // The bytes alone arrive within the limit, so what runs out is the parse.
    HttpRequestOptions options;
    options.limits = limits;
    ASSERT_TRUE(httpGet(server.url(QStringLiteral("/deep")), options).ok);

    auto loader = createHttpPageLoader(limits);
    int completions = 0;
    QObject::connect(loader.get(), &PageLoader::documentComplete, [&] { ++completions; });
    loader->navigate(server.url(QStringLiteral("/deep")));
    ASSERT_TRUE(waitUntil([&] { return completions == 1; }, 10s));
    EXPECT_TRUE(loader->loadFailed());
    EXPECT_EQ(loader->loadError(), QStringLiteral("访问超时"));
    EXPECT_TRUE(loader->innerText().isEmpty());
}

} // namespace
