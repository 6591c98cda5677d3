#include "support/fakepageloader.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace veldrin;
using namespace veldrin::test;
using namespace std::chrono_literals;

namespace {

// A panel with one box, one button and one loader lookup, built on the shared lookup calls the
// way every real panel is.
class ProbePanel : public ToolPanel
{
public:
    explicit ProbePanel(Context& context)
        : ToolPanel(context, QStringLiteral("frmProbe"), QStringLiteral("probe"))
        , web(addPageLoader(QStringLiteral("WebProbe")))
        , bProbePending(*this, *web)
    {
        box = addLineEdit(QStringLiteral("txtProbe"), QRect(240, 360, 2895, 360));
        button = addButton(QStringLiteral("cmdProbe"), QStringLiteral("查询"), QRect(3240, 360, 1095, 420));
        connect(web, &PageLoader::documentComplete, this, [this] { WebProbe_DocumentComplete(); });
    }

    void resetPanel() override
    {
        box->clear();
        enableUnlessRunning(box);
        enableUnlessRunning(button);
    }

    void query() { bProbePending.arm({ box, button }, QStringLiteral("http://127.0.0.1:9/first")); }

    void WebProbe_DocumentComplete()
    {
        auto busy = bProbePending.take();
        if (!busy)
            return;
        if (web->loadFailed()) {
            showFailure(QStringLiteral("出现错误！错误原因："), { QStringLiteral("页面没有打开") });
            return;
        }
        if (secondPage) {
            secondPage = false;
            bProbePending.armAgain(std::move(busy), QStringLiteral("http://127.0.0.1:9/second"));
            return;
        }
        parsed.append(web->innerText());
    }

    enum class Way
    {
        Return,
        EndEarly,
        Throw
    };
    // A synchronous lookup that leaves by `way`; `inside` sees the panel while it runs.
    void guarded(Way way, const std::function<void()>& inside)
    {
        BusyGuard busy(*this, { box, button });
        inside();
        if (way == Way::EndEarly) {
            busy.end();
            inside();
        }
        if (way == Way::Throw)
            throw std::runtime_error("page went away");
    }

    using ToolPanel::lookupRunning;

    PageLoader* web;
    PendingLoad bProbePending;
    QLineEdit* box = nullptr;
    QPushButton* button = nullptr;
    bool secondPage = false;
    QStringList parsed;
};

struct Enabled
{
    bool box;
    bool button;
    bool running;
    bool operator==(const Enabled&) const = default;
};

Enabled stateOf(const ProbePanel& panel)
{
    return Enabled { panel.box->isEnabled(), panel.button->isEnabled(), panel.lookupRunning() };
}

void PrintTo(const Enabled& e, std::ostream* os)
{
    *os << "{box " << e.box << ", button " << e.button << ", running " << e.running << '}';
}

constexpr Enabled busy { false, false, true };
constexpr Enabled idle { true, true, false };

TEST(BusyGuard, EveryWayOutEnablesTheControlsAgain)
{
    struct Row
    {
        const char* name;
        ProbePanel::Way way;
        std::vector<Enabled> inside; // as seen from within the lookup, in order
    };
    const Row rows[] = {
        { "result", ProbePanel::Way::Return, { busy } },
        { "enabled before its box", ProbePanel::Way::EndEarly, { busy, idle } },
        { "exception", ProbePanel::Way::Throw, { busy } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestSeams seams;
        ProbePanel panel(seams.context);
        std::vector<Enabled> seen;
        try {
            panel.guarded(row.way, [&] { seen.push_back(stateOf(panel)); });
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(seen, row.inside);
        EXPECT_EQ(stateOf(panel), idle);
    }
}

TEST(BusyGuard, AResetWhileTheLookupRunsKeepsItsBoxAndButtonDisabled)
{
    TestSeams seams;
    ProbePanel panel(seams.context);
    panel.box->setText(QStringLiteral("上次"));
    panel.guarded(ProbePanel::Way::Return, [&] {
        panel.resetPanel();
        EXPECT_EQ(panel.box->text(), QString());
        EXPECT_EQ(stateOf(panel), busy);
    });
    EXPECT_EQ(stateOf(panel), idle);
}

class PendingLoadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        loaders.install(seams.context);
        panel = std::make_unique<ProbePanel>(seams.context);
        web = loaders.named(QStringLiteral("WebProbe"));
        ASSERT_NE(web, nullptr);
    }

    TestSeams seams;
    FakeLoaderFactory loaders;
    std::unique_ptr<ProbePanel> panel;
    FakePageLoader* web = nullptr;
};

TEST_F(PendingLoadTest, APageNobodyAskedForChangesNothing)
{
    web->completeWith(QStringLiteral("不请自来"));
    EXPECT_TRUE(panel->parsed.isEmpty());
    EXPECT_EQ(stateOf(*panel), idle);
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
}

TEST_F(PendingLoadTest, TheFirstPageAfterTheQueryIsReadOnceAndLaterOnesAreIgnored)
{
    panel->query();
    EXPECT_TRUE(panel->bProbePending.isArmed());
    EXPECT_EQ(stateOf(*panel), busy);
    EXPECT_EQ(web->navigations, QStringList { QStringLiteral("http://127.0.0.1:9/first") });

    // A reset while the page loads leaves the lookup's controls disabled.
    panel->resetPanel();
    EXPECT_EQ(stateOf(*panel), busy);

    web->completeWith(QStringLiteral("第一页"));
    EXPECT_EQ(panel->parsed, QStringList { QStringLiteral("第一页") });
    EXPECT_FALSE(panel->bProbePending.isArmed());
    EXPECT_EQ(stateOf(*panel), idle);

    // A frame of the same page, or a later page, completes again: not read.
    web->completeWith(QStringLiteral("框架"));
    EXPECT_EQ(panel->parsed, QStringList { QStringLiteral("第一页") });
}

TEST_F(PendingLoadTest, AFailedLoadTakesTheFailurePathWithThePanelStillDisabledBehindTheBox)
{
    seams.dialogs.watched = panel.get();
    panel->query();
    web->failWith(QStringLiteral("refused"));
    ASSERT_EQ(seams.dialogs.boxes.size(), 1);
    EXPECT_EQ(seams.dialogs.boxes[0].text, QStringLiteral("出现错误！错误原因：\r1.页面没有打开"));
    EXPECT_FALSE(seams.dialogs.boxes[0].seen(u"cmdProbe").enabled);
    EXPECT_TRUE(panel->parsed.isEmpty());
    EXPECT_EQ(stateOf(*panel), idle);
}

TEST_F(PendingLoadTest, ASecondPageInTheSameLookupKeepsThePanelBusyUntilItArrives)
{
    panel->secondPage = true;
    panel->query();
    web->completeWith(QStringLiteral("结果页"));
    EXPECT_TRUE(panel->parsed.isEmpty());
    EXPECT_EQ(web->lastNavigation(), QStringLiteral("http://127.0.0.1:9/second"));
    EXPECT_EQ(stateOf(*panel), busy);

    web->completeWith(QStringLiteral("店铺页"));
    EXPECT_EQ(panel->parsed, QStringList { QStringLiteral("店铺页") });
    EXPECT_EQ(stateOf(*panel), idle);
}

TEST(PendingLoad, AContextWithoutLoadersStillEndsEveryLookup)
{
    TestSeams seams;
    seams.context.makePageLoader = nullptr;
    ProbePanel panel(seams.context);
    panel.query();
    EXPECT_EQ(stateOf(panel), busy);
    ASSERT_TRUE(waitUntil([&] { return !seams.dialogs.boxes.isEmpty(); }, 5s));
    EXPECT_EQ(stateOf(panel), idle);
    EXPECT_TRUE(panel.parsed.isEmpty());
}

// A server error's page is no result, through the waiting fetch and the real loader alike,
// even where it carries the very text a lookup reads; a "not found" page is still a page.
TEST(ServerErrors, AServerErrorPageIsTheLookupsFailureAndANotFoundPageIsAPage)
{
    const QString whoisFailure = QStringLiteral("在查找域名信息过程中出现错误，错误原因：\r"
                                                "1.服务器繁忙，不能响应您的请求，请稍后再试！\r"
                                                "2.VeldrinXMLhttp组件丢失，请重新下载！\r"
                                                "3.域名输入错误，在信息库中不存在，请检查后重新输入！");
    const QString forumNoResult = QStringLiteral("没有查询到结果，可能由于服务器问题或网络问题，请稍后重试！");
    const QString forumUnknown = QStringLiteral("此明星知名度过低或根本不存在！");
    const struct
    {
        int status;
        QString whoisBox; // empty: the page is shown as the record
        QString forumBox;
    } cases[] = {
        { 500, whoisFailure, forumNoResult },
        { 503, whoisFailure, forumNoResult },
        { 599, whoisFailure, forumNoResult },
        { 404, {}, forumUnknown },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        FixtureServer server;
        server.setGbkPage(QStringLiteral("/whois/example.cn"), QStringLiteral("<h1>Internal Server Error</h1>"),
                          c.status);
        server.setGbkPage(QStringLiteral("/f"), QStringLiteral("<p>刘德华吧尚未建立</p>"), c.status);
        TestSeams seams(server.host(), server.port());

        BuiltPanel whois = buildPanel(QStringLiteral("frmYuMing"), seams.context);
        whois.control<QLineEdit>(u"txtYuMing")->setText(QStringLiteral("example.cn"));
        QTest::mouseClick(whois.control<QPushButton>(u"cmdYuMingChaXun"), Qt::LeftButton);
        const QString record = whois.control<QPlainTextEdit>(u"txtYuMingJG")->toPlainText();
        if (c.whoisBox.isEmpty()) {
            EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
            EXPECT_TRUE(record.contains(u"Internal Server Error")) << record.toStdString();
        } else {
            ASSERT_EQ(seams.dialogs.boxes.size(), 1);
            EXPECT_EQ(seams.dialogs.boxes[0].text, c.whoisBox);
            EXPECT_FALSE(record.contains(u"Internal Server Error")) << record.toStdString();
        }

        seams.dialogs.boxes.clear();
        BuiltPanel forum = buildPanel(QStringLiteral("frmMX"), seams.context);
        forum.control<QLineEdit>(u"txtMXName")->setText(QStringLiteral("刘德华"));
        QTest::mouseClick(forum.control<QPushButton>(u"cmdMXCX"), Qt::LeftButton);
        ASSERT_TRUE(waitUntil([&] { return !seams.dialogs.boxes.isEmpty(); }));
        EXPECT_EQ(seams.dialogs.boxes[0].text, c.forumBox);
        EXPECT_TRUE(forum.control<QPushButton>(u"cmdMXCX")->isEnabled());
    }
}

} // namespace
