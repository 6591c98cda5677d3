#include "checks/site/ipaddress.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"
#include "support/recordingfetch.h"

#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

const QString startMarker = QStringLiteral("本站主数据：");
const QString endMarker = QStringLiteral("如果您发现查询结果不详细或不正确，请使用IP数据库自助添加功能进行修正");
const QString failureBox = QStringLiteral("出现错误！错误原因：\r"
                                          "1.IP地址输入错误，请重新输入！\r"
                                          "2.服务器繁忙或检修维护，请稍后再试！\r"
                                          "3.VeldrinXMLhttp组件丢失，请重新下载！\r"
                                          "4.网络不稳定或繁忙，请退出占用大量网络资源的程序！");

TEST(IpAddressCheck, PartsAreTestedInTheOrderTheyAreFound)
{
    struct Row
    {
        const char16_t* typed;
        IpCheck expected;
    };
    const Row rows[] = {
        { u"255.255.255.255", IpCheck::Valid },
        { u"0.0.0.0", IpCheck::Valid },
        { u"192.168.*.*", IpCheck::Valid },
        { u"*.*.*.*", IpCheck::Valid },
        { u"", IpCheck::Malformed },
        { u"1.2.3.4.5", IpCheck::Malformed },
        { u"1.2.3.4.", IpCheck::Malformed },
        { u"1.2.3", IpCheck::Malformed },
        { u"1.x", IpCheck::Malformed }, // part 1 passes, then the second dot is missing
        { u"-1.2.3.4", IpCheck::Malformed },
        { u"256.1.1.1", IpCheck::Malformed },
        { u"1.256.1.1", IpCheck::Malformed },
        { u"1.1.256.1", IpCheck::Malformed },
        { u"1.1.1.256", IpCheck::Malformed },
        { u"1111111111111.1", IpCheck::Malformed }, // 15 characters: tested, part 1 too large
        { u"1.1.1.1111111111", IpCheck::Malformed }, // 16: too long, before any other test
        { u"x.y.z.w.v.u.t.s", IpCheck::NotANumber }, // 15: part 1 is no number
        { u"x.1", IpCheck::NotANumber },
        { u"1..2.3", IpCheck::NotANumber },
        { u"1.2.3.", IpCheck::NotANumber },
        { u".1.2.3", IpCheck::NotANumber },
        { u"1.2.3.4a", IpCheck::NotANumber },
        { u"**.1.1.1", IpCheck::Valid }, // "00" is a number
    };
    for (const Row& row : rows)
        EXPECT_EQ(checkIpAddress(str(row.typed)), row.expected) << str(row.typed).toStdString();
}

// A page of the IP-location service as its text arrives: the location sits between the two
// markers, four characters before the end marker are left out.
QString servicePage(const QString& location)
{
    return QStringLiteral("IP查询\r\n您查询的IP：1.2.3.4\r\n") + startMarker + location + QStringLiteral("\r\n参考")
        + endMarker + QStringLiteral("\r\n版权所有");
}

class IpLookup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fetch.install(seams.context);
        built = buildPanel(QStringLiteral("frmIP"), seams.context);
        seams.dialogs.watched = built.panel.get();
        box = built.control<QLineEdit>(u"txtIP");
        button = built.control<QPushButton>(u"cmdIPChaXun");
        result = built.control<QPlainTextEdit>(u"txtIPJG");
        warning = built.control<QLabel>(u"Label10");
        status = built.control<QLabel>(u"lblIPZZ");
    }

    QString urlFor(const QString& typed) const
    {
        return seams.context.services[Service::IpLocation].url(u"/ips.asp?ip=" + typed + u"&action=2");
    }

    void query(const QString& typed)
    {
        box->setText(typed);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    TestSeams seams;
    RecordingFetch fetch;
    BuiltPanel built;
    QLineEdit* box = nullptr;
    QPushButton* button = nullptr;
    QPlainTextEdit* result = nullptr;
    QLabel* warning = nullptr;
    QLabel* status = nullptr;
};

TEST_F(IpLookup, OpensWithItsCaptionsAndExplanation)
{
    EXPECT_EQ(built.panel->title(), QStringLiteral("IP地址查询"));
    EXPECT_EQ(shownText(built.control(u"lblIPDZ")), QStringLiteral("IP地址："));
    EXPECT_EQ(shownText(built.control(u"lblIPJieShao")),
              QStringLiteral(
                  "本功能可以查询对方IP地址的所在地区，结果将会精确到网吧/省市/区县。IP地址不知道的请用1个“*”代替"));
    EXPECT_EQ(result->toPlainText(), QStringLiteral("查询结果\n"));
    EXPECT_EQ(warning->text(), QStringLiteral("输入的IP地址不合法！"));
    EXPECT_FALSE(warning->isVisible());
    EXPECT_TRUE(status->isVisible());
    EXPECT_EQ(status->text(), QString());
}

TEST_F(IpLookup, EachTypedAddressEndsInAWarningAnErrorBoxOrARequest)
{
    enum Outcome
    {
        Warning,
        ErrorBox,
        Request
    };
    struct Row
    {
        const char16_t* typed;
        Outcome outcome;
    };
    const Row rows[] = {
        { u"", Warning },
        { u"255.255.255.255", Request },
        { u"1.1.1.1111111111", Warning },
        { u"256.1.1.1", Warning },
        { u"1.256.1.1", Warning },
        { u"1.1.256.1", Warning },
        { u"1.1.1.256", Warning },
        { u"1.2.3", Warning },
        { u"1.2.3.4.5", Warning },
        { u"1.2.3.4.", Warning },
        { u"1..2.3", ErrorBox },
        { u"1.2.3.", ErrorBox },
        { u"x.1", ErrorBox },
        { u"1.x", Warning },
        { u"-1.2.3.4", Warning },
        { u"192.168.*.*", Request },
    };
    for (const Row& row : rows) {
        const QString typed = str(row.typed);
        SCOPED_TRACE(typed.toStdString());
        built.panel->resetPanel();
        seams.dialogs.boxes.clear();
        const qsizetype requestsBefore = fetch.urls().size();
        fetch.setPage(urlFor(typed), servicePage(QStringLiteral("北京市 电信")));
        query(typed);

        EXPECT_EQ(warning->isVisible(), row.outcome == Warning);
        EXPECT_EQ(seams.dialogs.boxes.size(), row.outcome == ErrorBox ? 1 : 0);
        EXPECT_EQ(fetch.urls().size() - requestsBefore, row.outcome == Request ? 1 : 0);
        EXPECT_EQ(result->toPlainText(),
                  row.outcome == Request ? startMarker + QStringLiteral("北京市 电信") : QStringLiteral("查询结果"));
        EXPECT_TRUE(box->isEnabled());
        EXPECT_TRUE(button->isEnabled());
        if (row.outcome == ErrorBox) {
            EXPECT_EQ(seams.dialogs.boxes[0].style, MsgCritical);
            EXPECT_EQ(seams.dialogs.boxes[0].title, QStringLiteral("错误"));
            EXPECT_EQ(seams.dialogs.boxes[0].text, failureBox);
            EXPECT_FALSE(status->isVisible());
        }
    }
}

TEST_F(IpLookup, TheCutKeepsTheStartMarkerAndEndsFourCharactersBeforeTheEndMarker)
{
    // The start marker at position 101 and the end marker at 160: the 55 characters 101 to 155.
    const QString head = QString(100, u'前');
    const QString value = QStringLiteral("甲").repeated(49);
    const QString page = head + startMarker + value + QStringLiteral("ABCD") + endMarker + QStringLiteral("尾");
    ASSERT_EQ(page.indexOf(endMarker) + 1, 160);
    fetch.setPage(urlFor(QStringLiteral("1.2.3.4")), page);
    query(QStringLiteral("1.2.3.4"));
    EXPECT_EQ(result->toPlainText(), startMarker + value);
    EXPECT_EQ(result->toPlainText().size(), 55);

    // With the start marker twice, the later one starts the value.
    fetch.setPage(urlFor(QStringLiteral("5.6.7.8")),
                  servicePage(QStringLiteral("旧")) + servicePage(QStringLiteral("新")));
    query(QStringLiteral("5.6.7.8"));
    EXPECT_EQ(result->toPlainText(), startMarker + QStringLiteral("新"));
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
}

TEST_F(IpLookup, APageWithoutAMarkerOrNoPageAtAllIsTheErrorBoxShownOverTheBusyPanel)
{
    struct Row
    {
        const char* name;
        std::optional<QString> page;
    };
    const Row rows[] = {
        { "no start marker", QStringLiteral("北京市\r\n") + endMarker },
        { "no end marker", startMarker + QStringLiteral("北京市\r\n") },
        { "end before start", endMarker + startMarker + QStringLiteral("北京市") },
        { "no page", std::nullopt },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        seams.dialogs.boxes.clear();
        if (row.page)
            fetch.setPage(urlFor(QStringLiteral("1.2.3.4")), *row.page);
        else
            fetch.setFailure(urlFor(QStringLiteral("1.2.3.4")));
        query(QStringLiteral("1.2.3.4"));

        ASSERT_EQ(seams.dialogs.boxes.size(), 1);
        const ShownBox& box = seams.dialogs.boxes[0];
        EXPECT_EQ(box.text, failureBox);
        // Behind the box the panel still waits, with its progress text; after it, all is idle.
        EXPECT_FALSE(box.seen(u"txtIP").enabled);
        EXPECT_FALSE(box.seen(u"cmdIPChaXun").enabled);
        EXPECT_TRUE(box.seen(u"lblIPZZ").visible);
        EXPECT_EQ(box.seen(u"lblIPZZ").text, QStringLiteral("正在查询中..."));
        EXPECT_EQ(result->toPlainText(), QStringLiteral("查询结果"));
        EXPECT_TRUE(this->box->isEnabled());
        EXPECT_TRUE(button->isEnabled());
        EXPECT_FALSE(status->isVisible());
    }
}

TEST_F(IpLookup, TheWarningStaysThroughLaterQueriesAndTabUntilAClickIntoTheBox)
{
    query(QStringLiteral("1.2.3"));
    EXPECT_TRUE(warning->isVisible());

    fetch.setPage(urlFor(QStringLiteral("1.2.3.4")), servicePage(QStringLiteral("上海市")));
    query(QStringLiteral("1.2.3.4"));
    EXPECT_EQ(result->toPlainText(), startMarker + QStringLiteral("上海市"));
    EXPECT_TRUE(warning->isVisible());

    // The focus arriving in the box by the keyboard is no click.
    built.panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(built.panel.get()));
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Backtab);
    EXPECT_TRUE(box->hasFocus());
    EXPECT_TRUE(warning->isVisible());

    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(warning->isVisible());

    query(QStringLiteral("1.2.3.4.5"));
    EXPECT_TRUE(warning->isVisible());
    built.panel->resetPanel();
    EXPECT_FALSE(warning->isVisible());
}

TEST_F(IpLookup, EnterRunsTheQueryAndTheStatusShowsDuringEveryRun)
{
    fetch.setPage(urlFor(QStringLiteral("1.2.3.4")), QStringLiteral("无标记"));
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        seams.dialogs.boxes.clear();
        box->setText(QStringLiteral("1.2.3.4"));
        QTest::keyClick(box, Qt::Key_Return);
        ASSERT_EQ(seams.dialogs.boxes.size(), 1);
        EXPECT_TRUE(seams.dialogs.boxes[0].seen(u"lblIPZZ").visible);
        EXPECT_FALSE(status->isVisible());
    }
    EXPECT_EQ(fetch.urls().size(), 2);
}

TEST(IpLookupEndToEnd, TheRequestCarriesTheAddressAsTypedAndTheResultComesFromTheGbkPage)
{
    FixtureServer server;
    server.setGbkPage(QStringLiteral("/ips.asp"),
                      QStringLiteral("<html><body><p>IP地址查询</p><p>") + startMarker
                          + QStringLiteral("广东省深圳市 电信</p><p>参考数据</p><p>") + endMarker
                          + QStringLiteral("</p></body></html>"));
    TestSeams seams(server.host(), server.port());
    BuiltPanel built = buildPanel(QStringLiteral("frmIP"), seams.context);
    built.control<QLineEdit>(u"txtIP")->setText(QStringLiteral("192.168.*.*"));
    QTest::mouseClick(built.control<QPushButton>(u"cmdIPChaXun"), Qt::LeftButton);

    EXPECT_EQ(server.lastRequest().target, QStringLiteral("/ips.asp?ip=192.168.*.*&action=2"));
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    // Paragraphs are separated by a blank line, CR LF twice: exactly the four characters left
    // out before the end marker.
    EXPECT_EQ(built.control<QPlainTextEdit>(u"txtIPJG")->toPlainText(),
              startMarker + QStringLiteral("广东省深圳市 电信\n\n参考数据"));
}

} // namespace
