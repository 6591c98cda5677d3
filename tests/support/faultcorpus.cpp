#include "support/faultcorpus.h"

#include "platform/textcodec.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"

#include <QSignalSpy>
#include <algorithm>

namespace veldrin::test {

namespace {

const QString ipLocationEnd = QStringLiteral("如果您发现查询结果不详细或不正确，请使用IP数据库自助添加功能进行修正");

struct HostileName
{
    Hostile page;
    const char* name;
};

constexpr HostileName hostilePageNames[] = {
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

} // namespace

const char* nameOf(Hostile hostile)
{
    for (const HostileName& entry : hostilePageNames) {
        if (entry.page == hostile)
            return entry.name;
    }
    return "Unknown";
}

std::vector<Hostile> allHostilePages()
{
    std::vector<Hostile> pages;
    for (const HostileName& entry : hostilePageNames)
        pages.push_back(entry.page);
    return pages;
}

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

void serve(FixtureServer& server, const QString& path, const PageParts& parts, Hostile hostile)
{
    if (hostile == Hostile::Stall)
        server.setStall(path);
    else
        server.setGbkPage(path, hostileText(parts, hostile), hostile == Hostile::ServerError ? 503 : 200);
}

bool fetchFails(Hostile hostile)
{
    return hostile == Hostile::ServerError || hostile == Hostile::Stall;
}

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

bool ResultControl::shown(const QWidget& root) const
{
    const Look look = looks(root).value(str(name));
    return look.visible
        && std::none_of(noResult.cbegin(), noResult.cend(), [&](const char16_t* t) { return look.text == str(t); });
}

// clang-format off
const std::vector<Lookup>& corpusLookups()
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
const Lookup& hostListLookup()
{
    static const Lookup lookup {
        u"frmSL", u"txtSLURL", u"example.com", u"cmdGO", nullptr,
        { QStringLiteral("Server:"), QStringLiteral("\t127.0.0.53\r\nName:\t"),
          QStringLiteral("Address:"), QStringLiteral(" 192.0.2.1\r\n") },
        { u"txtSLJG", { u"正在查询服务器主机信息中...", u"查询失败，请稍后再试！" } },
        u"查询失败，请稍后再试！" };
    return lookup;
}
// clang-format on

const PageParts& versionPage()
{
    static const PageParts page = {
        QStringLiteral("The Newest Vision："),
        QStringLiteral("4.00"),
        QStringLiteral("########"),
        QStringLiteral("<br>"),
        QStringLiteral("###Update Text###"),
        QStringLiteral("<br>修正了若干错误<br>"),
        QStringLiteral("#End#"),
    };
    return page;
}

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

void prepareLookup(FixtureServer& server, TestSeams& seams, const Lookup& lookup, Hostile hostile)
{
    useCorpusLimits(seams, hostile);
    serve(server, str(lookup.path), lookup.page, hostile);
    if (str(lookup.frame) == u"frmQQ" && hostile == Hostile::SoundPage) {
        server.setPage(QStringLiteral("/qq_online.gif"), QByteArrayLiteral("GIF89a"), QByteArrayLiteral("image/gif"));
        server.setRedirect(str(lookup.path), server.url(QStringLiteral("/qq_online.gif")));
    }
    seams.net.addresses.insert(QStringLiteral("www.example.com"), { ipv4(127, 0, 0, 1) });
    seams.net.echo = EchoResult { true, 1, {}, 0, {} };
    seams.net.answerFromDestination = true;
}

bool runLookup(const BuiltPanel& built, const Lookup& lookup, const std::function<void()>& beforeClick)
{
    const ToolPanel& panel = *built.panel;
    const PageLoader* loader = panel.findChild<PageLoader*>();
    const std::unique_ptr<QSignalSpy> progress
        = loader ? std::make_unique<QSignalSpy>(loader, &PageLoader::progressChange) : nullptr;
    const auto settled = [&] {
        return !panel.lookupRunning() && (!progress || progress->isEmpty() || progress->last().at(1).toInt() == 0);
    };

    built.control<QLineEdit>(lookup.input)->setText(str(lookup.typed));
    if (beforeClick)
        beforeClick();
    QTest::mouseClick(built.control<QPushButton>(lookup.button), Qt::LeftButton);
    // Generous: only a lookup that never ends reaches it.
    return waitUntil(settled, std::chrono::seconds(30));
}

} // namespace veldrin::test
