#include "support/fixtureserver.h"
#include "support/paintcounter.h"
#include "support/recorders.h"
#include "support/recordingfetch.h"

#include <QTimer>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>

using namespace veldrin;
using namespace veldrin::test;
using namespace std::chrono_literals;

namespace {

const QString tooShortBox = QStringLiteral("请输入正确的网站后再试！错误原因：\r1.网址输入错误，请检查后重新输入！");
const QString schemeBox = QStringLiteral("网址输入错误！错误原因：\r网址中不能含有“http”和“ftp”，请重新输入后再试！");
const QString resolutionBox = QStringLiteral("域名解析错误，错误原因：\r"
                                             "1.输入网址错误，请检查后重新输入！\r"
                                             "2.尚未连接互联网，请连接后再试！\r"
                                             "3.您的系统不能进行域名解析，请检查系统设置！");
const QString errorBox = QStringLiteral("出现错误！错误原因：\r"
                                        "1.服务器繁忙或网络不稳定，请退出大量占用网络的其他程序！\r"
                                        "2.VeldrinXMLhttp组件丢失，请重新下载！\r"
                                        "3.IP服务器繁忙或关闭，请稍后再试！");
const QString endMarker = QStringLiteral("如果您发现查询结果不详细或不正确，请使用IP数据库自助添加功能进行修正");
const QString locationPage
    = QStringLiteral("IP查询\r\n本站主数据：北京市 电信ABCD") + endMarker + QStringLiteral("\r\n");
const QString location = QStringLiteral("本站主数据：北京市 电信");

// A box as the user sees it: icon, title, text.
struct Box
{
    int style;
    QString title;
    QString text;
};

struct ZhuJiPanelTest : ::testing::Test
{
    TestSeams seams;
    RecordingFetch fetch;
    BuiltPanel built;
    QLineEdit* txtZhuJi = nullptr;
    QPushButton* cmdZhuJiChaXun = nullptr;
    QLabel* lblZhuJi = nullptr;
    QLabel* lblZhuJiIP = nullptr;
    QPlainTextEdit* txtZhuJiJG = nullptr;

    void SetUp() override
    {
        fetch.install(seams.context);
        built = buildPanel(QStringLiteral("frmZhuJi"), seams.context);
        txtZhuJi = built.control<QLineEdit>(u"txtZhuJi");
        cmdZhuJiChaXun = built.control<QPushButton>(u"cmdZhuJiChaXun");
        lblZhuJi = built.control<QLabel>(u"lblZhuJi");
        lblZhuJiIP = built.control<QLabel>(u"lblZhuJiIP");
        txtZhuJiJG = built.control<QPlainTextEdit>(u"txtZhuJiJG");
        ASSERT_TRUE(txtZhuJi && cmdZhuJiChaXun && lblZhuJi && lblZhuJiIP && txtZhuJiJG);
        seams.dialogs.watched = built.panel.get();
        txtZhuJiJG->setPlainText(QStringLiteral("上一个主机的所在地"));
    }

    QString locationUrl(const QString& address) const
    {
        return seams.context.services[Service::IpLocation].url(u"/ips.asp?ip=" + address + u"&action=2");
    }

    // The name resolves to `addresses`, and the echo is answered by the first of them.
    void resolvesTo(const QString& name, const QList<Ipv4Address>& addresses)
    {
        seams.net.addresses[name] = addresses;
        seams.net.echo = EchoResult { true, 1, {}, 0, {} };
        seams.net.answerFromDestination = true;
    }

    void query(const QString& name)
    {
        txtZhuJi->setText(name);
        QTest::mouseClick(cmdZhuJiChaXun, Qt::LeftButton);
    }

    void expectBoxes(const QList<Box>& expected)
    {
        ASSERT_EQ(seams.dialogs.boxes.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(seams.dialogs.boxes[i].style, expected[i].style) << i;
            EXPECT_EQ(seams.dialogs.boxes[i].title, expected[i].title) << i;
            EXPECT_EQ(seams.dialogs.boxes[i].text, expected[i].text) << i;
        }
    }

    void expectEnabled()
    {
        EXPECT_TRUE(txtZhuJi->isEnabled());
        EXPECT_TRUE(cmdZhuJiChaXun->isEnabled());
    }
};

// The length test comes before the scheme test, the scheme test is case-sensitive, and the
// resolver takes at most 64 characters. Refused names change nothing in the panel.
TEST_F(ZhuJiPanelTest, NamesAreCheckedBeforeAnythingIsAsked)
{
    struct Case
    {
        QString name;
        QList<Box> boxes;
        bool resolved; // the name reached the resolver
    };
    const QString name64 = QString(60, u'a') + QStringLiteral(".com");
    const QList<Case> cases = {
        { QStringLiteral("ftp"), { { MsgCritical, str(u"错误"), tooShortBox } }, false },
        { QStringLiteral("a.b"), { { MsgCritical, str(u"错误"), tooShortBox } }, false },
        { QStringLiteral("http"), { { MsgCritical, str(u"错误"), schemeBox } }, false },
        { QStringLiteral("ftp.example.com"), { { MsgCritical, str(u"错误"), schemeBox } }, false },
        // Capitals pass both tests, do not resolve here, and end like any unresolved name.
        { QStringLiteral("HTTP"),
          { { MsgNone, str(u"Veldrin"), str(u"解析域名超时") }, { MsgCritical, str(u"错误"), resolutionBox } },
          true },
        { QStringLiteral("a.cn"),
          { { MsgNone, str(u"Veldrin"), str(u"解析域名超时") }, { MsgCritical, str(u"错误"), resolutionBox } },
          true },
        { name64,
          { { MsgNone, str(u"Veldrin"), str(u"解析域名超时") }, { MsgCritical, str(u"错误"), resolutionBox } },
          true },
        { u'x' + name64, { { MsgCritical, str(u"错误"), errorBox } }, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        seams.dialogs.boxes.clear();
        seams.net.resolved.clear();
        lblZhuJiIP->setText(QStringLiteral("主机IP地址：9.9.9.9"));
        query(c.name);
        expectBoxes(c.boxes);
        EXPECT_EQ(seams.net.resolved, c.resolved ? QStringList({ c.name }) : QStringList());
        EXPECT_TRUE(fetch.urls().isEmpty());
        expectEnabled();
        EXPECT_EQ(txtZhuJiJG->toPlainText(), QStringLiteral("上一个主机的所在地"));
        if (c.boxes.size() == 1 && c.boxes.first().text != errorBox) {
            EXPECT_EQ(lblZhuJiIP->text(), QStringLiteral("主机IP地址：9.9.9.9")) << "a refusal changes nothing";
            EXPECT_EQ(lblZhuJi->text(), QStringLiteral("准备就绪"));
        }
    }
}

// The first address of several is echoed with the echo's fixed request, and located; the
// cut keeps the start marker and ends four characters before the end marker.
TEST_F(ZhuJiPanelTest, FirstAddressIsEchoedAndLocated)
{
    resolvesTo(QStringLiteral("www.example.cn"), { ipv4(192, 0, 2, 7), ipv4(198, 51, 100, 1) });
    fetch.setPage(locationUrl(QStringLiteral("192.0.2.7")), locationPage);

    query(QStringLiteral("www.example.cn"));

    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    ASSERT_EQ(seams.net.echoed.size(), 1);
    EXPECT_EQ(seams.net.echoed.first(), std::optional<Ipv4Address>(ipv4(192, 0, 2, 7)));
    const EchoRequest& request = seams.net.echoRequests.first();
    EXPECT_EQ(request.data, QByteArray(32, 'A'));
    EXPECT_EQ(request.timeToLive, 255);
    EXPECT_EQ(request.timeout, std::chrono::milliseconds(2000));
    EXPECT_EQ(fetch.urls(), QStringList({ locationUrl(QStringLiteral("192.0.2.7")) }));
    EXPECT_EQ(lblZhuJiIP->text(), QStringLiteral("主机IP地址：192.0.2.7"));
    EXPECT_EQ(txtZhuJiJG->toPlainText(), location);
    EXPECT_EQ(lblZhuJi->text(), QStringLiteral("准备就绪"));
    expectEnabled();
}

// An unresolved name sends no echo; a host that does not answer gets no location. Both end
// with the time-out notice, then the resolution box over the enabled panel.
TEST_F(ZhuJiPanelTest, NoAddressEndsWithTheResolutionBox)
{
    seams.net.addresses[QStringLiteral("quiet.example.cn")] = { ipv4(192, 0, 2, 9) };
    for (const QString& name : { QStringLiteral("nowhere.example.cn"), QStringLiteral("quiet.example.cn") }) {
        SCOPED_TRACE(name.toStdString());
        seams.dialogs.boxes.clear();
        seams.net.echoed.clear();
        query(name);
        expectBoxes(
            { { MsgNone, str(u"Veldrin"), str(u"解析域名超时") }, { MsgCritical, str(u"错误"), resolutionBox } });
        const ShownBox& last = seams.dialogs.boxes.last();
        EXPECT_TRUE(last.seen(u"cmdZhuJiChaXun").enabled);
        EXPECT_EQ(last.seen(u"lblZhuJi").text, QStringLiteral("出现错误"));
        EXPECT_FALSE(seams.dialogs.boxes.first().seen(u"txtZhuJi").enabled);
        ASSERT_EQ(seams.net.echoed.size(), 1);
        EXPECT_EQ(seams.net.echoed.first().has_value(), name.startsWith(u"quiet"));
        EXPECT_EQ(lblZhuJi->text(), QStringLiteral("出现错误"));
        EXPECT_EQ(lblZhuJiIP->text(), QStringLiteral("主机IP地址："));
        EXPECT_TRUE(fetch.urls().isEmpty());
        expectEnabled();
    }
}

// An error reported by a router: the echo-failure box, then the router's address is located
// in the host's place.
TEST_F(ZhuJiPanelTest, NonZeroStatusShowsTheBoxThenLocatesTheAnsweringAddress)
{
    seams.net.addresses[QStringLiteral("far.example.cn")] = { ipv4(192, 0, 2, 7) };
    seams.net.echo = EchoResult { true, 1, ipv4(203, 0, 113, 1), (3 << 8) | 1, {} };
    fetch.setPage(locationUrl(QStringLiteral("203.0.113.1")), locationPage);

    query(QStringLiteral("far.example.cn"));

    expectBoxes({ { MsgCritical, str(u"错误"), str(u"检测失败!") } });
    EXPECT_EQ(fetch.urls(), QStringList({ locationUrl(QStringLiteral("203.0.113.1")) }));
    EXPECT_EQ(lblZhuJiIP->text(), QStringLiteral("主机IP地址：203.0.113.1"));
    EXPECT_EQ(txtZhuJiJG->toPlainText(), location);
    EXPECT_EQ(lblZhuJi->text(), QStringLiteral("准备就绪"));
}

// No echo socket at all: the notice titled with the application's name, and nothing sent.
TEST_F(ZhuJiPanelTest, NoEchoSocketEndsTheLookup)
{
    resolvesTo(QStringLiteral("www.example.cn"), { ipv4(192, 0, 2, 7) });
    seams.net.echo = EchoResult { false, 0, {}, 0, QStringLiteral("no ICMP socket") };

    query(QStringLiteral("www.example.cn"));

    expectBoxes({ { MsgNone, str(u"Veldrin"), str(u"检测失败") } });
    EXPECT_FALSE(seams.dialogs.boxes.first().seen(u"cmdZhuJiChaXun").enabled);
    EXPECT_EQ(lblZhuJi->text(), QStringLiteral("出现错误"));
    EXPECT_TRUE(fetch.urls().isEmpty());
    expectEnabled();
}

// A page without the markers, or no page: the error box over the disabled panel, the status
// emptied, the address label back to its caption, the previous location kept.
TEST_F(ZhuJiPanelTest, PageWithoutMarkersTakesTheErrorPath)
{
    resolvesTo(QStringLiteral("www.example.cn"), { ipv4(192, 0, 2, 7) });
    const QString pages[] = { QStringLiteral("IP查询\r\n没有结果\r\n"), QStringLiteral("本站主数据：北京市") };
    for (const QString& page : pages) {
        seams.dialogs.boxes.clear();
        fetch.setPage(locationUrl(QStringLiteral("192.0.2.7")), page);
        query(QStringLiteral("www.example.cn"));
        expectBoxes({ { MsgCritical, str(u"错误"), errorBox } });
        const ShownBox& box = seams.dialogs.boxes.first();
        EXPECT_FALSE(box.seen(u"txtZhuJi").enabled);
        EXPECT_EQ(box.seen(u"lblZhuJi").text, QString());
        EXPECT_EQ(lblZhuJiIP->text(), QStringLiteral("主机IP地址："));
        EXPECT_EQ(txtZhuJiJG->toPlainText(), QStringLiteral("上一个主机的所在地"));
        expectEnabled();
    }
}

// End to end: the real fetch of the location page from the loopback server.
TEST(ZhuJiPanelEndToEnd, LocationFromTheServer)
{
    FixtureServer server;
    server.setGbkPage(QStringLiteral("/ips.asp"),
                      u"<html><body><p>本站主数据：上海市 联通WXYZ" + endMarker + u"</p></body></html>");
    TestSeams seams(server.host(), server.port());
    seams.net.addresses[QStringLiteral("www.example.cn")] = { ipv4(192, 0, 2, 7) };
    seams.net.echo = EchoResult { true, 1, {}, 0, {} };
    seams.net.answerFromDestination = true;
    BuiltPanel built = buildPanel(QStringLiteral("frmZhuJi"), seams.context);
    built.control<QLineEdit>(u"txtZhuJi")->setText(QStringLiteral("www.example.cn"));
    QTest::mouseClick(built.control<QPushButton>(u"cmdZhuJiChaXun"), Qt::LeftButton);

    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    EXPECT_EQ(built.control<QPlainTextEdit>(u"txtZhuJiJG")->toPlainText(), QStringLiteral("本站主数据：上海市 联通"));
    EXPECT_EQ(server.lastRequest().target, QStringLiteral("/ips.asp?ip=192.0.2.7&action=2"));
}

// Holds the seam that waits on it until the test opens it, or a few seconds at most, so a
// lookup that blocked the UI thread would fail the test instead of hanging it. Shared, so a
// seam still waiting when the test ends is harmless.
struct Latch
{
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;

    void wait()
    {
        std::unique_lock lock(mutex);
        opened.wait_for(lock, 5s, [this] { return open; });
    }
    void release()
    {
        {
            const std::lock_guard lock(mutex);
            open = true;
        }
        opened.notify_all();
    }
};

// A resolver or an echo that takes its time: the lookup waits for it off the UI thread, so the
// status is drawn and timers run, while a click does nothing, then or after the handler has
// returned; every way out enables the panel again.
TEST_F(ZhuJiPanelTest, ASlowResolverOrEchoLeavesTheWindowPaintingAndTakesNoInput)
{
    enum class Held
    {
        Resolver,
        Echo
    };
    struct Case
    {
        const char* name;
        Held held;
        QString status; // shown while it waits
        std::optional<EchoResult> echo; // none: the name resolves to nothing
        QString endStatus;
    };
    const Case cases[] = {
        { "resolver, then no address", Held::Resolver, str(u"正在解析域名中..."), std::nullopt, str(u"出现错误") },
        { "resolver, then located", Held::Resolver, str(u"正在解析域名中..."), EchoResult { true, 1, {}, 0, {} },
          str(u"准备就绪") },
        { "echo, then no socket", Held::Echo, str(u"正在解析域名中..."), EchoResult { false, 0, {}, 0, {} },
          str(u"出现错误") },
    };
    QPushButton other(QStringLiteral("另一个窗口"));
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    QStringList events;
    QObject::connect(&other, &QPushButton::clicked, [&] { events.append(QStringLiteral("other clicked")); });
    PaintCounter statusPaints;
    lblZhuJi->installEventFilter(&statusPaints);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        auto latch = std::make_shared<Latch>();
        const bool resolves = c.echo.has_value();
        seams.context.resolveName = [latch, held = c.held, resolves](const QString&) {
            if (held == Held::Resolver)
                latch->wait();
            return resolves ? QList<Ipv4Address> { ipv4(192, 0, 2, 7) } : QList<Ipv4Address>();
        };
        seams.context.sendEcho
            = [latch, held = c.held, echo = c.echo](std::optional<Ipv4Address> to, const EchoRequest&) {
                  if (held == Held::Echo)
                      latch->wait();
                  EchoResult result = echo.value_or(EchoResult { true, 0, {}, 0, {} });
                  if (to && result.replies > 0)
                      result.from = *to;
                  return result;
              };
        fetch.setPage(locationUrl(QStringLiteral("192.0.2.7")), locationPage);
        txtZhuJi->setText(QStringLiteral("www.example.cn"));

        QString statusWhileWaiting;
        bool disabledWhileWaiting = false;
        int paintsWhileWaiting = -1;
        statusPaints.paints = 0;
        QTimer::singleShot(150ms, lblZhuJi, [&] {
            statusWhileWaiting = lblZhuJi->text();
            disabledWhileWaiting = !txtZhuJi->isEnabled() && !cmdZhuJiChaXun->isEnabled();
            paintsWhileWaiting = statusPaints.paints;
            queueClick(&other);
            whenReady(lblZhuJi, &queuedInputHandled, [latch] { latch->release(); });
        });
        QTest::mouseClick(cmdZhuJiChaXun, Qt::LeftButton);
        events.append(QStringLiteral("lookup returned"));
        QCoreApplication::processEvents();

        EXPECT_EQ(statusWhileWaiting, c.status);
        EXPECT_TRUE(disabledWhileWaiting);
        EXPECT_GT(paintsWhileWaiting, 0) << "the status is drawn while the lookup waits";
        EXPECT_EQ(lblZhuJi->text(), c.endStatus);
        expectEnabled();
        EXPECT_EQ(events, QStringList { QStringLiteral("lookup returned") });
    }
}

// An echo that never answers ends at its own time-out and a moment more, like no reply.
TEST_F(ZhuJiPanelTest, AnEchoThatNeverAnswersEndsLikeNoReply)
{
    auto latch = std::make_shared<Latch>();
    seams.net.addresses[QStringLiteral("www.example.cn")] = { ipv4(192, 0, 2, 7) };
    seams.context.sendEcho = [latch](std::optional<Ipv4Address>, const EchoRequest&) {
        latch->wait();
        return EchoResult { true, 1, ipv4(192, 0, 2, 7), 0, {} };
    };
    query(QStringLiteral("www.example.cn"));
    latch->release();

    expectBoxes({ { MsgNone, str(u"Veldrin"), str(u"解析域名超时") }, { MsgCritical, str(u"错误"), resolutionBox } });
    EXPECT_TRUE(fetch.urls().isEmpty());
    expectEnabled();
}

} // namespace
