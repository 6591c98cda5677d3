#include "checks/site/whoisrows.h"
#include "checks/site/yumingpanel.h"
#include "support/enablelog.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"
#include "support/recordingfetch.h"

#include <QTimer>
#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <memory>

using namespace veldrin;
using namespace veldrin::test;

namespace {

const QString failureBox = QStringLiteral("在查找域名信息过程中出现错误，错误原因：\r"
                                          "1.服务器繁忙，不能响应您的请求，请稍后再试！\r"
                                          "2.VeldrinXMLhttp组件丢失，请重新下载！\r"
                                          "3.域名输入错误，在信息库中不存在，请检查后重新输入！");

// Every way out enables the button, the input and the result box in that order.
const QStringList enableOrder
    = { QStringLiteral("cmdYuMingChaXun-"), QStringLiteral("txtYuMing-"), QStringLiteral("txtYuMingJG-"),
        QStringLiteral("cmdYuMingChaXun+"), QStringLiteral("txtYuMing+"), QStringLiteral("txtYuMingJG+") };

// The real rewrite, held on its worker until the test opens the gate (or, should nobody open
// it, for a few seconds): the lookup can only go on meanwhile if it waits off the UI thread.
struct HeldRewrite
{
    std::promise<void> gate;
    std::shared_future<void> opened = gate.get_future().share();
    std::shared_ptr<std::atomic<bool>> started = std::make_shared<std::atomic<bool>>(false);

    YuMingPanel::RecordRewrite rewrite() const
    {
        return [opened = opened, started = started](QString record, QStringView siteName) {
            started->store(true);
            opened.wait_for(std::chrono::seconds(5));
            return rewriteWhoisRecord(std::move(record), siteName);
        };
    }
    void open() { gate.set_value(); }
};

struct YuMingPanelTest : ::testing::Test
{
    TestSeams seams;
    RecordingFetch fetch;
    BuiltPanel built;
    std::unique_ptr<YuMingPanel> heldPanel;
    QLineEdit* txtYuMing = nullptr;
    QPushButton* cmdYuMingChaXun = nullptr;
    QPlainTextEdit* txtYuMingJG = nullptr;

    void SetUp() override { build(); }

    void build()
    {
        seams.context.services.whoisSiteName = QStringLiteral("WhoisFixture.example");
        built = buildPanel(QStringLiteral("frmYuMing"), seams.context);
        txtYuMing = built.control<QLineEdit>(u"txtYuMing");
        cmdYuMingChaXun = built.control<QPushButton>(u"cmdYuMingChaXun");
        txtYuMingJG = built.control<QPlainTextEdit>(u"txtYuMingJG");
        ASSERT_TRUE(txtYuMing && cmdYuMingChaXun && txtYuMingJG);
        seams.dialogs.watched = built.panel.get();
    }

    // The panel again, with `rewrite` in the rows' place.
    void buildWith(YuMingPanel::RecordRewrite rewrite)
    {
        heldPanel = std::make_unique<YuMingPanel>(seams.context, std::move(rewrite));
        heldPanel->show();
        txtYuMing = heldPanel->findChild<QLineEdit*>(QStringLiteral("txtYuMing"));
        cmdYuMingChaXun = heldPanel->findChild<QPushButton*>(QStringLiteral("cmdYuMingChaXun"));
        txtYuMingJG = heldPanel->findChild<QPlainTextEdit*>(QStringLiteral("txtYuMingJG"));
        seams.dialogs.watched = heldPanel.get();
    }

    QString whoisUrl(const QString& pathAfterWhois) const
    {
        return seams.context.services[Service::Whois].url(u"/whois/" + pathAfterWhois);
    }

    void query(const QString& domain)
    {
        txtYuMing->setText(domain);
        QTest::mouseClick(cmdYuMingChaXun, Qt::LeftButton);
    }

    void expectEnabled()
    {
        EXPECT_TRUE(cmdYuMingChaXun->isEnabled());
        EXPECT_TRUE(txtYuMing->isEnabled());
        EXPECT_TRUE(txtYuMingJG->isEnabled());
    }
};

// Each row works on what the rows before it left: labels holding an earlier row's find text
// keep that row's rewriting, words change inside values too, case counts, the service's own
// site name, the search-box prompt and the copyright prefix are deleted.
TEST_F(YuMingPanelTest, RecordIsRewrittenRowByRowInOrder)
{
    fetch.install(seams.context);
    const QString page = QStringLiteral("Domain Name: EXAMPLE.COM\r\n"
                                        "Registrar: Example Registrar, Inc.\r\n"
                                        "Registrant Phone Number: +1.5555551234\r\n"
                                        "Registrant Address1: 1 Main St\r\n"
                                        "Administrative Contact Country Code: US\r\n"
                                        "Billing Contact Country Code: US\r\n"
                                        "Administrative City: A\r\n"
                                        "Admin City: B\r\n"
                                        "Billing Contact City: C\r\n"
                                        "Technical Contact City: D\r\n"
                                        "Administrative Contact Country: US\r\n"
                                        "Domain Expiration Date: 2030-01-01\r\n"
                                        "Domain Registration Date: 2001-01-01\r\n"
                                        "Domain Last Updated Date: 2020-01-01\r\n"
                                        "Status: clientTransferProhibited\r\n"
                                        "Status: ServerTransferProhibited\r\n"
                                        "Status: serverTransferProhibited\r\n"
                                        "Status: SERVERTRANSFERPROHIBITED\r\n"
                                        "Tools About us Twitter\r\n"
                                        " Enter a domain name or IP address: \r\n"
                                        "Whois Server: WhoisFixture.example\r\n"
                                        "Copyright ? 2026 WhoisFixture.example\r\n"
                                        "Copyright © 2026\r\n");
    fetch.setPage(whoisUrl(QStringLiteral("example.com")), page);

    query(QStringLiteral("example.com"));

    EXPECT_EQ(txtYuMingJG->toPlainText(),
              QStringLiteral("域名: EXAMPLE.COM\n"
                             "注册: Example 注册, Inc.\n"
                             "登记员电话 数字: +1.5555551234\n"
                             "注册员地址1: 1 Main St\n"
                             "管理员国家 Code: US\n"
                             "营业额联系人国家 Code: US\n"
                             "管理员城市: A\n"
                             "管理员城市: B\n"
                             "营业额联系人城市: C\n"
                             "技术员城市: D\n"
                             "管理员国家: US\n"
                             "Domain 终止日期: 2030-01-01\n"
                             "Domain 注册日期: 2001-01-01\n"
                             "Domain Last 更新日期: 2020-01-01\n"
                             "状态: 客户禁止转让\n"
                             "状态: 服务禁止转让\n"
                             "状态: 服务禁止转让\n"
                             "状态: SERVERTRANSFERPROHIBITED\n"
                             "  \n"
                             "\n"
                             "Whois服务器: \n"
                             "2026 \n"
                             "Copyright © 2026\n"));
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    expectEnabled();
}

// The user's part is percent-encoded; an empty input asks for the bare path.
TEST_F(YuMingPanelTest, RequestCarriesTheTypedDomain)
{
    fetch.install(seams.context);
    query(QStringLiteral("例子.cn"));
    query(QString());
    EXPECT_EQ(fetch.urls(), QStringList({ whoisUrl(QStringLiteral("%E4%BE%8B%E5%AD%90.cn")), whoisUrl({}) }));
}

// The reserved sentence is tested after the box shows the page, so the page stays there
// unrewritten; with a capital first letter it is no match.
TEST_F(YuMingPanelTest, ReservedDomainIsRefusedWithThePageUnrewritten)
{
    fetch.install(seams.context);
    const QString reserved
        = QStringLiteral("Sorry, the domain you want to register is reserved.\r\nDomain Name: A.CN\r\n");
    const QString capital = QStringLiteral("The domain you want to register is reserved.\r\nDomain Name: B.CN\r\n");
    fetch.setPage(whoisUrl(QStringLiteral("a.cn")), reserved);
    fetch.setPage(whoisUrl(QStringLiteral("b.cn")), capital);

    query(QStringLiteral("a.cn"));
    ASSERT_EQ(seams.dialogs.boxes.size(), 1);
    const ShownBox& box = seams.dialogs.boxes.first();
    EXPECT_EQ(box.style, MsgCritical);
    EXPECT_EQ(box.title, QStringLiteral("错误"));
    EXPECT_EQ(box.text, failureBox);
    EXPECT_FALSE(box.seen(u"cmdYuMingChaXun").enabled) << "the box comes before the panel is enabled";
    EXPECT_EQ(txtYuMingJG->toPlainText(),
              QStringLiteral("Sorry, the domain you want to register is reserved.\nDomain Name: A.CN\n"));
    expectEnabled();

    query(QStringLiteral("b.cn"));
    EXPECT_EQ(seams.dialogs.boxes.size(), 1);
    EXPECT_EQ(txtYuMingJG->toPlainText(), QStringLiteral("The domain you want to register is reserved.\n域名: B.CN\n"));
}

// A refused connection: the box over the disabled panel, then the panel enabled with the
// progress text still in the result box. Every way out enables in the same order.
TEST_F(YuMingPanelTest, RefusedConnectionLeavesTheProgressTextInTheEnabledBox)
{
    txtYuMingJG->setPlainText(QStringLiteral("上一次的记录"));
    EnableLog log({ cmdYuMingChaXun, txtYuMing, txtYuMingJG });

    query(QStringLiteral("example.com"));

    ASSERT_EQ(seams.dialogs.boxes.size(), 1);
    const ShownBox& box = seams.dialogs.boxes.first();
    EXPECT_EQ(box.text, failureBox);
    EXPECT_EQ(box.seen(u"txtYuMingJG"), (Look { QStringLiteral("正在查询域名信息中..."), false, true }));
    EXPECT_FALSE(box.seen(u"txtYuMing").enabled);
    EXPECT_EQ(txtYuMingJG->toPlainText(), QStringLiteral("正在查询域名信息中..."));
    expectEnabled();
    EXPECT_EQ(log.changes, enableOrder);
}

// The rewrite runs on a worker while the lookup waits for it: timers go on, the page as fetched
// stands in the disabled box, and a click elsewhere does nothing, then or after the lookup.
TEST_F(YuMingPanelTest, RewriteRunsWhileTheWindowGoesOnAndTakesNoInput)
{
    HeldRewrite held;
    buildWith(held.rewrite());
    fetch.install(seams.context);
    fetch.setPage(whoisUrl(QStringLiteral("example.com")), QStringLiteral("Domain Name: EXAMPLE.COM\r\n"));
    QPushButton other(QStringLiteral("other"));
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    QStringList events;
    QObject::connect(&other, &QPushButton::clicked, [&] { events.append(QStringLiteral("other clicked")); });

    // Ticks counted while the rewrite is held; the gate opens once the click has been handled.
    int ticksWhileHeld = 0;
    Look boxWhileHeld;
    bool buttonEnabledWhileHeld = true;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (!held.started->load() || ticksWhileHeld >= 3)
            return;
        if (++ticksWhileHeld == 1) {
            boxWhileHeld = looks(*heldPanel).value(QStringLiteral("txtYuMingJG"));
            buttonEnabledWhileHeld = cmdYuMingChaXun->isEnabled();
            queueClick(&other);
        } else if (ticksWhileHeld == 3) {
            whenReady(&ticker, &queuedInputHandled, [&] { held.open(); });
        }
    });
    ticker.start(0);

    query(QStringLiteral("example.com"));
    events.append(QStringLiteral("lookup ended"));
    QCoreApplication::processEvents();

    EXPECT_EQ(ticksWhileHeld, 3) << "no timer ran while the rewrite was held";
    EXPECT_EQ(boxWhileHeld, (Look { QStringLiteral("Domain Name: EXAMPLE.COM\n"), false, true }));
    EXPECT_FALSE(buttonEnabledWhileHeld);
    EXPECT_EQ(events, QStringList { QStringLiteral("lookup ended") });
    EXPECT_EQ(txtYuMingJG->toPlainText(), QStringLiteral("域名: EXAMPLE.COM\n"));
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    expectEnabled();
}

// A rewrite that outlasts the whole-answer limit is the lookup's failure: the box over the
// disabled panel, then the panel enabled with the page as fetched in the box; the late
// result, when it comes, is dropped.
TEST_F(YuMingPanelTest, RewriteOutlastingTheLimitIsTheLookupFailure)
{
    using namespace std::chrono_literals;
    HeldRewrite held;
    buildWith(held.rewrite());
    seams.context.fetchLimits.totalTimeout = 300ms;
    fetch.install(seams.context);
    fetch.setPage(whoisUrl(QStringLiteral("example.com")), QStringLiteral("Domain Name: EXAMPLE.COM\r\n"));
    EnableLog log({ cmdYuMingChaXun, txtYuMing, txtYuMingJG });

    query(QStringLiteral("example.com"));

    ASSERT_EQ(seams.dialogs.boxes.size(), 1);
    const ShownBox& box = seams.dialogs.boxes.first();
    EXPECT_EQ(box.style, MsgCritical);
    EXPECT_EQ(box.text, failureBox);
    const QString fetched = QStringLiteral("Domain Name: EXAMPLE.COM\n");
    EXPECT_EQ(box.seen(u"txtYuMingJG"), (Look { fetched, false, true }));
    EXPECT_FALSE(box.seen(u"cmdYuMingChaXun").enabled);
    expectEnabled();
    EXPECT_EQ(log.changes, enableOrder);

    held.open();
    ASSERT_TRUE(waitUntil([] { return waitingWorkersRunning() == 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(txtYuMingJG->toPlainText(), fetched);
}

// End to end: the real fetch of a GBK page from the loopback server.
TEST(YuMingPanelEndToEnd, RecordFromTheServerIsRewritten)
{
    FixtureServer server;
    server.setGbkPage(QStringLiteral("/whois/example.cn"),
                      QStringLiteral("<html><body><p>Domain Name: example.cn</p><p>Registrant Name: 张三</p>"
                                     "</body></html>"));
    TestSeams seams(server.host(), server.port());
    BuiltPanel built = buildPanel(QStringLiteral("frmYuMing"), seams.context);
    built.control<QLineEdit>(u"txtYuMing")->setText(QStringLiteral("example.cn"));
    QTest::mouseClick(built.control<QPushButton>(u"cmdYuMingChaXun"), Qt::LeftButton);

    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    const QString shown = built.control<QPlainTextEdit>(u"txtYuMingJG")->toPlainText();
    EXPECT_TRUE(shown.contains(QStringLiteral("域名: example.cn"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("登记员姓名: 张三"))) << shown.toStdString();
    EXPECT_EQ(server.lastRequest().target, QStringLiteral("/whois/example.cn"));
}

} // namespace
