// Every lookup and both version windows over the same small set of hostile pages, served by the
// loopback server through the real page-text fetch and the real page loader: whatever a
// service sends, the panel comes back enabled and shows either its result or a message box.

#include "app/form1.h"
#include "platform/textcodec.h"
#include "support/fixtureserver.h"
#include "support/netfakes.h"
#include "support/panelkit.h"
#include "support/recorders.h"
#include "windows/form3.h"
#include "windows/form5.h"
#include "windows/version.h"

#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

using namespace veldrin;
using namespace veldrin::test;

namespace {

enum class Hostile
{
    SoundPage, // the control: the same page served whole gives the result
    Empty,
    MarkersOnly,
    MarkersReversed,
    MarkerOverOneMegabyte,
    UnbrokenLine,
    UnpairedSurrogateReference,
    NulBytes,
    ServerError,
    Stall,
};

// A service's answer as the lookups read it: fixed marker texts (even places) with the values
// between and after them (odd places), as HTML source.
using PageParts = QStringList;

// Each hostile page keeps the sound page's markers and spoils its values: a failure can only
// come from how the lookup copes, not from a page that simply lacks what it looks for.
QString hostileText(const PageParts& parts, Hostile hostile)
{
    // `spoil` gives each value's replacement, and what follows the last marker (end set).
    const auto withValues = [&](const auto& spoil) -> QString {
        QString text;
        for (qsizetype i = 0; i < parts.size(); ++i)
            text += i % 2 == 0 ? parts[i] : spoil(parts[i], false);
        return text + spoil(QString(), true);
    };
    QStringList markers;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        markers.append(parts[i]);

    switch (hostile) {
    case Hostile::SoundPage:
    case Hostile::ServerError: // a page that would pass for a result, under an error status
        return parts.join(QString());
    case Hostile::Empty:
    case Hostile::Stall:
        return {};
    case Hostile::MarkersOnly:
        return markers.join(QString());
    case Hostile::MarkersReversed:
        std::reverse(markers.begin(), markers.end());
        return markers.join(QString());
    case Hostile::MarkerOverOneMegabyte: {
        // The first marker over and over, then the sound page: a last-position search runs
        // through all of it, a first-position one cuts a megabyte of markers as the value.
        const QString& first = parts.first();
        const qsizetype times = 1024 * 1024 / encodeGbk(first).size() + 1;
        return first.repeated(times) + parts.join(QString());
    }
    case Hostile::UnbrokenLine:
        return withValues([](const QString&, bool) -> QString { return QString(64 * 1024, u'8'); });
    case Hostile::UnpairedSurrogateReference:
        // A high half after the value and a low half at the end, neither with its partner.
        return withValues([](const QString& value, bool end) -> QString {
            return end ? QStringLiteral("&#xDC00;") : value + u"&#xD800;";
        });
    case Hostile::NulBytes:
        return withValues([](const QString& value, bool) -> QString { return QChar(u'\0') + value + QChar(u'\0'); });
    }
    return {};
}

// Serves the hostile form of `parts` at `path`.
void serve(FixtureServer& server, const QString& path, const PageParts& parts, Hostile hostile)
{
    if (hostile == Hostile::Stall)
        server.setStall(path);
    else
        server.setGbkPage(path, hostileText(parts, hostile), hostile == Hostile::ServerError ? 503 : 200);
}

// A fetch that fails outright, not one that was given a page it cannot read.
bool fetchFails(Hostile hostile)
{
    return hostile == Hostile::ServerError || hostile == Hostile::Stall;
}

// Short enough that the stalls of a whole table end in a few seconds; the other pages keep the
// usual test limits, so a slow machine does not turn a page into a time-out.
void useCorpusLimits(TestSeams& seams, Hostile hostile)
{
    FetchLimits limits = shortLimits();
    if (hostile == Hostile::Stall)
        limits.totalTimeout = std::chrono::milliseconds(300);
    seams.context.fetchLimits = limits;
    seams.context.makePageLoader = [limits](QObject* parent) {
        return createHttpPageLoader(limits, parent);
    };
}

QString textOf(const QWidget& root, const char16_t* name)
{
    return shownText(root.findChild<QWidget*>(str(name)));
}

// Where a panel shows its result, and what that control shows when there is none (its start,
// progress and failure texts): a result of any kind, "not found" included, is anything else.
struct ResultControl
{
    const char16_t* name;
    std::vector<const char16_t*> noResult;

    bool shown(const QWidget& root) const
    {
        const Look look = looks(root).value(str(name));
        return look.visible
            && std::none_of(noResult.cbegin(), noResult.cend(), [&](const char16_t* t) { return look.text == str(t); });
    }
};

struct Lookup
{
    const char16_t* frame;
    const char16_t* input;
    const char16_t* typed;
    const char16_t* button;
    const char16_t* path;
    PageParts page;
    ResultControl result;
    // The text a lookup shows in its result control for a failure, where it shows no box.
    const char16_t* failureText = nullptr;
};

const QString ipLocationEnd = QStringLiteral("如果您发现查询结果不详细或不正确，请使用IP数据库自助添加功能进行修正");

// clang-format off
const std::vector<Lookup>& lookups()
{
    static const std::vector<Lookup> rows = {
        // Whatever page comes back is shown as the record, an empty one too.
        { u"frmYuMing", u"txtYuMing", u"example.com", u"cmdYuMingChaXun", u"/whois/example.com",
          { QStringLiteral("Domain Name"), QStringLiteral(": example.com<br>"),
            QStringLiteral("Registrant Organization"), QStringLiteral(": Example<br>") },
          { u"txtYuMingJG", { u"正在查询域名信息中..." } } },
        { u"frmZhuJi", u"txtZhuJi", u"www.example.com", u"cmdZhuJiChaXun", u"/ips.asp",
          { QStringLiteral("本站主数据："), QStringLiteral("北京市 电信abcd"), ipLocationEnd },
          { u"txtZhuJiJG", { u"" } } },
        { u"frmIP", u"txtIP", u"1.2.3.4", u"cmdIPChaXun", u"/ips.asp",
          { QStringLiteral("本站主数据："), QStringLiteral("北京市 电信abcd"), ipLocationEnd },
          { u"txtIPJG", { u"查询结果" } } },
        { u"frmRenQi", u"txtRenQi", u"www.example.com", u"cmdRenQiChaxun", u"/",
          { QStringLiteral("全球综合排名第"), QStringLiteral(" 1234"), QStringLiteral(" 位，中文排名第 "),
            QStringLiteral("56"), QStringLiteral(" 位。") },
          { u"lblZG", { u"中国流量排名：", u"中国流量排名：出错" } } },
        { u"frmLiuXing", u"txtLiuXing", u"www.example.com", u"cmdLiuXingChaXun", u"/web",
          { QStringLiteral("搜狗评级:"), QStringLiteral("80"), QStringLiteral("/100") },
          { u"lblLiuXingZZ", { u"", u"正在查询流行度中...", u"出现错误" } } },
        { u"frmLiuXing", u"txtLiuXing", u"www.example.com", u"cmdShouLuChaXun", u"/s",
          { QStringLiteral("找到相关网页"), QStringLiteral("约1234"), QStringLiteral("篇，用时") },
          { u"lblShouLu", { u"收录数：" } } },
        { u"frmICP", u"txtICP", u"www.example.com", u"Command6", u"/index.html",
          { QStringLiteral("已备案") },
          { u"Label25", { u"备案状态：", u"备案状态：获取中...", u"备案状态：未知" } } },
        { u"frmUSafe", u"txtUS", u"www.example.com", u"cmdUS", u"/aspx_2/search.aspx",
          { QStringLiteral("不安全，该网站存在恶意行为，不建议进行访问。"), QString(), QStringLiteral("恶意行为："),
            QStringLiteral("带毒挂马"), QStringLiteral("恶意行为详情") },
          { u"lblUS", { u"准备就绪", u"正在连接服务器...", u"正在查询网站安全信息...", u"正在分析网址安全信息...",
                        u"出错了" } } },
        { u"frmUSafe", u"txtGM", u"www.example.com", u"cmdGMCX", u"/urlsearch.htm",
          { QStringLiteral("当前状态："), QStringLiteral("安全 更新于昨天") },
          { u"Label36", { u"当前状态：未知", u"当前状态：查询中...", u"当前状态：出错了" } } },
        { u"frmShouJi", u"txtShouJi", u"13800138000", u"cmdShouJiChaXun", u"/search.asp",
          { QStringLiteral("卡号归属地"), QStringLiteral("北京 "), QStringLiteral("卡 类 型"), QStringLiteral("移动全球通"),
            QStringLiteral("区 号"), QStringLiteral("010 "), QStringLiteral("邮 编"), QStringLiteral("100000"),
            QStringLiteral(" 更详细的..") },
          { u"lblChengShi", { u"归属：" } } },
        { u"frmShenFenZheng", u"txtShenFenZheng", u"11010519491231002X", u"cmdShenFenZhengChaXun",
          u"/idsearch/index.asp",
          { QStringLiteral("发 证 地："), QStringLiteral("北京市东城区abcdefg"),
            QStringLiteral("点击这里查询验证身份证号码及照片的真实资料") },
          { u"lblSFZSuoZai", { u"发证地：" } } },
        { u"frmTelWZ", u"txtTel", u"010-12345678", u"cmdTelChaXun", u"/dh/114.aspx",
          { QStringLiteral("该号段电话分部区域："), QStringLiteral("X北京市海淀区abc"), QStringLiteral("＊") },
          { u"txtTelWZ", { u"", u"正在连接服务器中...", u"发生错误。" } } },
        // The presence service answers by a redirect to a picture, which no page body gives.
        { u"frmQQ", u"Text4", u"12345", u"Command9", u"/pa",
          { QStringLiteral("qq_online.gif") },
          { u"Label24", { u"对方情况：" } } },
        { u"frmMX", u"txtMXName", u"刘德华", u"cmdMXCX", u"/f",
          { QStringLiteral("本吧共有主题数"), QStringLiteral("12"), QStringLiteral("个，贴子数"), QStringLiteral("34"),
            QStringLiteral("篇，"), QStringLiteral("会员数56人<br>"), QStringLiteral("本吧粉丝："), QStringLiteral("78人") },
          { u"lblMX5", { u"流行趋势总指标：" } } },
        // No shop link in any form of this page: a shop link would be followed off loopback.
        // The credit page's button shows only once one is offered.
        { u"frmTB", u"txtTB", u"某店", u"cmdTBCX", u"/browse/shop_search.htm",
          { QStringLiteral("<a href=\"http://rate.tb.example/user-rate"), QStringLiteral("-123.htm"),
            QStringLiteral("\">信用评价</a>") },
          { u"cmdTBURL", {} } },
    };
    return rows;
}

// The name-server tool is a local program, not a service: its output lines stand in for the
// page, and a failed answer is a tool that gave no output.
const Lookup hostList { u"frmSL", u"txtSLURL", u"example.com", u"cmdGO", nullptr,
                        { QStringLiteral("Server:"), QStringLiteral("\t127.0.0.53\r\nName:\t"),
                          QStringLiteral("Address:"), QStringLiteral(" 192.0.2.1\r\n") },
                        { u"txtSLJG", { u"正在查询服务器主机信息中...", u"查询失败，请稍后再试！" } },
                        u"查询失败，请稍后再试！" };
// clang-format on

// The version page as both windows read it: an older version than the program's, with notes.
const PageParts versionPage = {
    QStringLiteral("The Newest Vision："),
    QStringLiteral("4.00"),
    QStringLiteral("########"),
    QStringLiteral("<br>"),
    QStringLiteral("###Update Text###"),
    QStringLiteral("<br>修正了若干错误<br>"),
    QStringLiteral("#End#"),
};

// What the name-server tool gives for a hostile page: its lines as read from the work file,
// or a failure for the answers that are no output at all.
ToolOutput toolOutputFor(const PageParts& parts, Hostile hostile)
{
    if (fetchFails(hostile))
        return ToolOutput { false, {}, QStringLiteral("timed out") };
    QStringList lines = decodeGbk(encodeGbk(hostileText(parts, hostile))).split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return ToolOutput { true, lines, {} };
}

// Every control of `root` whose text is not valid UTF-16 (an unpaired surrogate), by name.
QStringList unpairedTexts(const QWidget& root)
{
    QStringList names;
    const QHash<QString, Look> all = looks(root);
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        if (!QStringView(it.value().text).isValidUtf16())
            names.append(it.key());
    }
    return names;
}

bool anyErrorBox(const QList<ShownBox>& boxes)
{
    return std::any_of(boxes.cbegin(), boxes.cend(),
                       [](const ShownBox& box) { return box.title == QStringLiteral("错误"); });
}

// True once the panel's lookup has ended and its loader, if it has one, has gone idle: a
// lookup that loads a second page may give the panel back before that page comes.
bool settled(const ToolPanel& panel, const QSignalSpy* progress)
{
    return !panel.lookupRunning() && (!progress || progress->isEmpty() || progress->last().at(1).toInt() == 0);
}

// What the user must see at the end of a lookup or check over a hostile page: the sound page's
// result; for an answer that failed, the failure and nothing passed off as a result; for any
// other page, a result or a box.
void expectOutcome(Hostile hostile, bool result, bool failureShown, bool anyBox)
{
    if (hostile == Hostile::SoundPage) {
        EXPECT_TRUE(result) << "the sound page gives the result";
        EXPECT_FALSE(failureShown);
    } else if (fetchFails(hostile)) {
        EXPECT_TRUE(failureShown) << "a failed answer is the lookup's failure";
        EXPECT_FALSE(result) << "a failed answer is never read as a result";
    } else {
        EXPECT_TRUE(result || anyBox || failureShown) << "neither a result nor a box";
    }
}

// Builds the lookup's panel, types its input, clicks its button, waits until the lookup has
// ended and checks what the user sees.
void expectLookupEnds(TestSeams& seams, const Lookup& lookup, Hostile hostile)
{
    BuiltPanel built = buildPanel(str(lookup.frame), seams.context);
    ASSERT_NE(built.panel, nullptr);
    seams.dialogs.watched = built.panel.get();
    const ToolPanel& panel = *built.panel;
    const PageLoader* loader = panel.findChild<PageLoader*>();
    const std::unique_ptr<QSignalSpy> progress
        = loader ? std::make_unique<QSignalSpy>(loader, &PageLoader::progressChange) : nullptr;

    built.control<QLineEdit>(lookup.input)->setText(str(lookup.typed));
    const QHash<QString, Look> before = looks(panel);
    QTest::mouseClick(built.control<QPushButton>(lookup.button), Qt::LeftButton);
    // Generous: only a lookup that never ends reaches it.
    ASSERT_TRUE(waitUntil([&] { return settled(panel, progress.get()); }, std::chrono::seconds(30)))
        << "the lookup never ended";

    const QHash<QString, Look> after = looks(panel);
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        EXPECT_TRUE(!it.value().enabled || after.value(it.key()).enabled) << it.key().toStdString() << " left disabled";
    EXPECT_EQ(unpairedTexts(panel), QStringList());
    const bool failureShown = lookup.failureText ? textOf(panel, lookup.result.name) == str(lookup.failureText)
                                                 : anyErrorBox(seams.dialogs.boxes);
    expectOutcome(hostile, lookup.result.shown(panel), failureShown, !seams.dialogs.boxes.isEmpty());
}

class FaultCorpus : public ::testing::TestWithParam<Hostile>
{
protected:
    FixtureServer server;
};

TEST_P(FaultCorpus, EveryLookupEndsEnabledWithItsBoxOrItsResult)
{
    const Hostile hostile = GetParam();
    for (const Lookup& lookup : lookups()) {
        SCOPED_TRACE(str(lookup.button).toStdString());
        TestSeams seams(server.host(), server.port());
        useCorpusLimits(seams, hostile);
        serve(server, str(lookup.path), lookup.page, hostile);
        if (str(lookup.frame) == u"frmQQ" && hostile == Hostile::SoundPage) {
            server.setPage(QStringLiteral("/qq_online.gif"), QByteArrayLiteral("GIF89a"),
                           QByteArrayLiteral("image/gif"));
            server.setRedirect(str(lookup.path), server.url(QStringLiteral("/qq_online.gif")));
        }
        // The host lookup resolves the name to loopback, whose echo answers.
        seams.net.addresses.insert(QStringLiteral("www.example.com"), { ipv4(127, 0, 0, 1) });
        seams.net.echo = EchoResult { true, 1, {}, 0, {} };
        seams.net.answerFromDestination = true;
        expectLookupEnds(seams, lookup, hostile);
    }
}

// The host list over the same pages, as the lines of the tool's work file.
TEST_P(FaultCorpus, TheHostListShowsTheToolOutputOrItsFailure)
{
    const Hostile hostile = GetParam();
    TestSeams seams;
    seams.net.toolOutput = toolOutputFor(hostList.page, hostile);
    expectLookupEnds(seams, hostList, hostile);
}

TEST_P(FaultCorpus, TheStartUpWindowGoesOnToTheMainWindow)
{
    const Hostile hostile = GetParam();
    TestSeams seams(server.host(), server.port());
    useCorpusLimits(seams, hostile);
    serve(server, versionPagePath(), versionPage, hostile);

    Form3 form3(seams.context);
    form3.start();
    ASSERT_TRUE(waitUntil([&] { return form3.mainWindow() != nullptr && form3.mainWindow()->isVisible(); },
                          std::chrono::seconds(30)));
    EXPECT_FALSE(form3.isVisible());
    EXPECT_EQ(seams.process.endCount, 0);
    if (hostile == Hostile::SoundPage) {
        ASSERT_EQ(seams.dialogs.boxes.size(), 1) << "the sound page's other version is noticed";
        EXPECT_EQ(seams.dialogs.boxes[0].title, QStringLiteral("版本信息"));
    } else if (fetchFails(hostile)) {
        EXPECT_TRUE(seams.dialogs.boxes.isEmpty()) << "a failed check shows no notice";
    }
}

TEST_P(FaultCorpus, TheUpdateWindowEndsWithItsBoxOrItsResult)
{
    const Hostile hostile = GetParam();
    TestSeams seams(server.host(), server.port());
    useCorpusLimits(seams, hostile);
    serve(server, versionPagePath(), versionPage, hostile);

    // The window deletes itself on closing; the guard covers that.
    QPointer<Form5> form5 = new Form5(seams.context);
    form5->show();
    seams.dialogs.watched = form5;
    QTest::mouseClick(form5->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);

    // The check stays disabled only when a newer version can be downloaded instead.
    const bool check = form5->findChild<QPushButton*>(QStringLiteral("Command1"))->isEnabled();
    const bool download = form5->findChild<QPushButton*>(QStringLiteral("Command3"))->isEnabled();
    EXPECT_TRUE(check || download);
    EXPECT_EQ(unpairedTexts(*form5), QStringList());
    const bool result = ResultControl { u"Label5", { u"最新版本：" } }.shown(*form5);
    expectOutcome(hostile, result, anyErrorBox(seams.dialogs.boxes), !seams.dialogs.boxes.isEmpty());
    delete form5.data();
}

struct HostileName
{
    Hostile page;
    const char* name;
};
constexpr HostileName hostilePages[] = {
    { Hostile::SoundPage, "SoundPage" },
    { Hostile::Empty, "Empty" },
    { Hostile::MarkersOnly, "MarkersOnly" },
    { Hostile::MarkersReversed, "MarkersReversed" },
    { Hostile::MarkerOverOneMegabyte, "MarkerOverOneMegabyte" },
    { Hostile::UnbrokenLine, "UnbrokenLine64KiB" },
    { Hostile::UnpairedSurrogateReference, "UnpairedSurrogateReference" },
    { Hostile::NulBytes, "NulBytes" },
    { Hostile::ServerError, "ServerError" },
    { Hostile::Stall, "Stall" },
};

std::vector<Hostile> allHostilePages()
{
    std::vector<Hostile> pages;
    for (const HostileName& entry : hostilePages)
        pages.push_back(entry.page);
    return pages;
}

INSTANTIATE_TEST_SUITE_P(HostilePages, FaultCorpus, ::testing::ValuesIn(allHostilePages()),
                         [](const ::testing::TestParamInfo<Hostile>& info) {
                             for (const HostileName& entry : hostilePages) {
                                 if (entry.page == info.param)
                                     return std::string(entry.name);
                             }
                             return std::string("Unknown");
                         });

} // namespace
