#include "app/resulttext.h"
#include "support/fakepageloader.h"
#include "support/netfakes.h"
#include "support/panelkit.h"
#include "support/recorders.h"
#include "support/recordingfetch.h"

#include <QTextDocument>
#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

// Small caps, so each row shows its cut in a few characters; 😀 is one surrogate pair.
struct CapRow
{
    const char* what;
    TextCaps caps;
    const char16_t* text;
    const char16_t* shown;
};

const CapRow capRows[] = {
    { "short text whole", { 10, 4, 3 }, u"abc", u"abc" },
    { "exactly the total", { 10, 0, 0 }, u"abcdefghij", u"abcdefghij" },
    { "one over the total", { 10, 0, 0 }, u"abcdefghijk", u"abcdefghi…" },
    { "pair cut by the total", { 10, 0, 0 }, u"abcdefgh😀xyz", u"abcdefgh…" },
    { "pair just before the cut", { 10, 0, 0 }, u"abcdefg😀xyz", u"abcdefg😀…" },
    { "total over several lines", { 6, 0, 0 }, u"ab\ncdef", u"ab\ncd…" },
    { "the total cut at the end of a full line", { 6, 3, 0 }, u"x\nabc\nyz", u"x\nab…" },
    { "the total cut at the end of a cut line", { 6, 3, 0 }, u"x\nabcd\nyz", u"x\nab…" },
    { "the total cut at a full line's CR LF", { 7, 3, 0 }, u"x\nabc\r\nyz", u"x\nabc\r…" },
    { "line ends kept as given", { 100, 4, 0 }, u"ab\r\ncdefgh\nij\rkl", u"ab\r\ncde…\nij\rkl" },
    { "long line cut once", { 10, 4, 0 }, u"abcdefghijklmnop\nxy", u"abc…\nxy" },
    { "pair cut by the line", { 100, 4, 0 }, u"ab😀c\nd", u"ab…\nd" },
    { "lines over the count", { 100, 0, 2 }, u"a\nb\nc\nd", u"a\nb…" },
    { "count reached exactly", { 100, 0, 2 }, u"a\r\nb", u"a\r\nb" },
    { "a last line end would start one line more", { 100, 0, 2 }, u"a\r\nb\r\n", u"a\r\nb…" },
    { "the last line cut by its length", { 100, 4, 2 }, u"a\nbcdef\ng", u"a\nbcd…" },
    { "the last line fills its length", { 100, 4, 2 }, u"a\nbcde\ng", u"a\nbcd…" },
    { "paragraph separators end lines", { 100, 0, 2 }, u"a\u2029b\u2029c", u"a\u2029b…" },
    { "frame marks end lines", { 100, 0, 3 }, u"a\uFDD0b\uFDD1c\uFDD0d", u"a\uFDD0b\uFDD1c…" },
    { "CR before a separator is two ends", { 100, 0, 2 }, u"a\r\u2029b", u"a\r…" },
    { "a line cut at a separator", { 100, 4, 0 }, u"abcdef\u2029gh", u"abc…\u2029gh" },
    { "a lone high half at the end", { 10, 0, 0 }, u"北京\xD83D", u"北京\uFFFD" },
    { "a lone low half at the start",
      { 10, 0, 0 },
      u"\xDE00"
      u"123",
      u"\uFFFD123" },
    { "halves in the wrong order",
      { 10, 0, 0 },
      u"a\xDE00\xD83D"
      u"b",
      u"a\uFFFD\uFFFDb" },
    { "a lone half in a cut text",
      { 6, 0, 0 },
      u"\xDE00"
      u"abcdefgh",
      u"\uFFFDabcd…" },
    { "empty", { 10, 4, 3 }, u"", u"" },
};

TEST(ResultText, ShownTextIsCappedWithAnEllipsisAndIsWellFormed)
{
    for (const CapRow& row : capRows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(cappedText(str(row.text), row.caps), str(row.shown));
    }
}

// A text box starts a block at LF, CR, CR LF, U+2029 and the toolkit's frame marks U+FDD0 and
// U+FDD1. Every code unit is tried between two letters, so a block end the cap misses, or one
// it invents, shows here; a CR LF pair is one end.
TEST(ResultText, TheLineCapCountsEveryEndATextBoxStartsABlockAt)
{
    const TextCaps oneLine { 100, 0, 1 };
    QList<char16_t> blockEnds;
    for (int unit = 0; unit <= 0xFFFF; ++unit) {
        const QString text = u'x' + QChar(char16_t(unit)) + u'x';
        QTextDocument given;
        given.setPlainText(text);
        if (given.blockCount() > 1)
            blockEnds.append(char16_t(unit));
        const QString shown = cappedText(text, oneLine);
        QTextDocument capped;
        capped.setPlainText(shown);
        EXPECT_EQ(capped.blockCount(), 1) << unit;
        EXPECT_EQ(shown.endsWith(u'…'), given.blockCount() > 1) << unit;
    }
    EXPECT_EQ(blockEnds, (QList<char16_t> { u'\n', u'\r', u'\u2029', u'\uFDD0', u'\uFDD1' }));
    QTextDocument pair;
    pair.setPlainText(cappedText(str(u"x\r\nx"), { 100, 0, 2 }));
    EXPECT_EQ(pair.toPlainText(), str(u"x\nx"));
}

// However a page ends its lines, the result box holds no more blocks than its cap. The last
// row is 64 lines of 4095 units with U+2029 every second unit: below every other cap, and
// 131,073 blocks given whole.
TEST(ResultText, ACappedTextBoxNeverHoldsMoreBlocksThanTheCap)
{
    QString separated;
    for (int line = 0; line < 64; ++line)
        separated += str(u"x\u2029").repeated(2047) + u"x\n";
    struct Row
    {
        const char* what;
        QString text;
    };
    const Row rows[] = {
        { "LF", QStringLiteral("x\n").repeated(5000) },        { "CR", QStringLiteral("x\r").repeated(5000) },
        { "CR LF", QStringLiteral("x\r\n").repeated(5000) },   { "U+2029", str(u"x\u2029").repeated(5000) },
        { "U+FDD0", str(u"x\uFDD0").repeated(5000) },          { "U+FDD1", str(u"x\uFDD1").repeated(5000) },
        { "CR then U+2029", str(u"\r\u2029").repeated(5000) }, { "U+2029 every second unit", separated },
    };
    QPlainTextEdit box;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        showInTextBox(&box, row.text);
        EXPECT_EQ(box.document()->blockCount(), textBoxCaps.lines);
        EXPECT_TRUE(box.toPlainText().endsWith(u'…'));
    }
}

// A domain record of a few hundred lines, a shop report and a caption with its value are what
// the controls show every day: nothing of them is cut.
TEST(ResultText, NormalResultsAreShownWhole)
{
    QString record;
    for (int i = 0; i < 300; ++i)
        record += u"Registrant Contact Street " + QString::number(i) + u": 1 Main St, Springfield\r\n";
    EXPECT_EQ(cappedText(record, textBoxCaps), record);
    const QString value = QStringLiteral("归属：\r\n北京\r");
    EXPECT_EQ(cappedText(value, labelCaps), value);
    EXPECT_EQ(cappedText(value, lineEditCaps), value);
}

// Each control's caps hold for the largest line a page may bring.
TEST(ResultText, AnUnbrokenLineOfMegabytesIsShownAsItsStart)
{
    const QString line(4 * 1024 * 1024, u'x');
    for (const TextCaps& caps : { labelCaps, lineEditCaps, textBoxCaps }) {
        const QString shown = cappedText(line, caps);
        const qsizetype longest = caps.perLine > 0 ? caps.perLine : caps.total;
        EXPECT_EQ(shown.size(), longest);
        EXPECT_TRUE(shown.endsWith(u'…'));
        EXPECT_TRUE(line.startsWith(shown.chopped(1)));
    }
}

// Through a real lookup: a label and a text box given a page with an unbroken line of
// megabytes show its start and leave the panel usable. Laid out whole, the box alone would
// hold the window for many minutes, so an uncapped control shows here as a hang.
struct HugeLineRow
{
    const char16_t* frame;
    const char16_t* input;
    const char16_t* button;
    const char16_t* typed;
    Service service;
    const char16_t* path;
    const char16_t* pageStart;
    const char16_t* pageEnd;
    const char16_t* result;
    const char16_t* caption;
};

const HugeLineRow hugeLineRows[] = {
    { u"frmShouJi", u"txtShouJi", u"cmdShouJiChaXun", u"13800138000", Service::MobileLocation,
      u"/search.asp?action=mobile&mobile=13800138000", u"卡号归属地",
      u"x卡 类 型 全球通 区 号 010x邮 编 100000 更详细的..", u"lblChengShi", u"归属：" },
    { u"frmYuMing", u"txtYuMing", u"cmdYuMingChaXun", u"example.com", Service::Whois, u"/whois/example.com",
      u"Domain Name: ", u"\r\nStatus: ok\r\n", u"txtYuMingJG", u"域名: " },
};

TEST(ResultText, AHugeUnbrokenLineThroughALookupLeavesThePanelResponsive)
{
    const QString huge(4 * 1024 * 1024, u'x');
    for (const HugeLineRow& row : hugeLineRows) {
        SCOPED_TRACE(str(row.frame).toStdString());
        TestSeams seams;
        RecordingFetch fetch;
        fetch.install(seams.context);
        BuiltPanel built = buildPanel(str(row.frame), seams.context);
        seams.dialogs.watched = built.panel.get();
        fetch.setPage(seams.context.services[row.service].url(str(row.path)), str(row.pageStart) + huge + row.pageEnd);

        built.control<QLineEdit>(row.input)->setText(str(row.typed));
        QTest::mouseClick(built.control<QPushButton>(row.button), Qt::LeftButton);
        built.panel->repaint();

        const QString shown = shownText(built.control(row.result));
        EXPECT_TRUE(shown.startsWith(str(row.caption) + u"xxxx"));
        EXPECT_LE(shown.size(), textBoxCaps.total);
        EXPECT_LT(shown.indexOf(u'…'), 4096);
        EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
        EXPECT_TRUE(built.control(row.button)->isEnabled());
    }
}

// The cuts count UTF-16 units, so a fixed offset beside 😀 (one surrogate pair) takes half of
// it: each page puts the pair exactly at its cut's boundary. The control shows U+FFFD for the
// half, and everything the panel shows is well-formed.
struct SplitLookup
{
    const char16_t* frame;
    const char16_t* input;
    const char16_t* typed;
    const char16_t* button;
    const char16_t* loader; // null: the page is fetched at `path` of `service`
    Service service;
    const char16_t* path;
};

// clang-format off
const SplitLookup telWZ { u"frmTelWZ", u"txtTel", u"010-12345678", u"cmdTelChaXun", u"WebTel", {}, nullptr };
const SplitLookup renQi { u"frmRenQi", u"txtRenQi", u"www.example.com", u"cmdRenQiChaxun", nullptr,
                          Service::TrafficRank, u"/?domain=www.example.com" };
const SplitLookup shouLu { u"frmLiuXing", u"txtLiuXing", u"www.example.com", u"cmdShouLuChaXun", nullptr,
                           Service::SearchEngineB, u"/s?wd=site%3Awww.example.com" };
const SplitLookup idCard { u"frmShenFenZheng", u"txtShenFenZheng", u"11010519491231002X", u"cmdShenFenZhengChaXun",
                           nullptr, Service::IdCard, u"/idsearch/index.asp?action=idcard&userid=11010519491231002X" };
const SplitLookup mobile { u"frmShouJi", u"txtShouJi", u"13800138000", u"cmdShouJiChaXun", nullptr,
                           Service::MobileLocation, u"/search.asp?action=mobile&mobile=13800138000" };
const SplitLookup forum { u"frmMX", u"txtMXName", u"刘德华", u"cmdMXCX", u"WebMX", {}, nullptr };
const SplitLookup ipAddress { u"frmIP", u"txtIP", u"1.2.3.4", u"cmdIPChaXun", nullptr,
                              Service::IpLocation, u"/ips.asp?ip=1.2.3.4&action=2" };
// The host lookup resolves its name first (to the address below, never reached).
const SplitLookup host { u"frmZhuJi", u"txtZhuJi", u"www.example.cn", u"cmdZhuJiChaXun", nullptr,
                         Service::IpLocation, u"/ips.asp?ip=192.0.2.7&action=2" };
// clang-format on

struct SplitRow
{
    const SplitLookup& lookup;
    const char16_t* page;
    const char16_t* result;
    const char16_t* shown;
};

const SplitRow splitRows[] = {
    { telWZ, u"该号段电话分部区域：😀北京市朝阳区abc＊", u"txtTelWZ", u"\uFFFD北京市朝阳区" },
    { renQi, u"全球综合排名第😀123 位，中文排名第 45 位。", u"lblRenQi", u"全球流量排名：第 \uFFFD123 名" },
    { shouLu, u"找到相关网页😀12,300篇，用时0.03秒", u"lblShouLu", u"收录数：\uFFFD12,300" },
    { idCard, u"发 证 地：北京市😀abcdef点击这里查询验证身份证号码及照片的真实资料", u"lblSFZSuoZai",
      u"发证地：北京市\uFFFD" },
    { mobile, u"卡号归属地 北京x卡 类 型 全球通 区 号 010😀邮 编 100000 更详细的..", u"lblQuHao", u"区号： 010\uFFFD" },
    { mobile, u"卡号归属地 北京😀卡 类 型 全球通 区 号 010x邮 编 100000 更详细的..", u"lblChengShi",
      u"归属： 北京\uFFFD" },
    { forum, u"本吧共有主题数12345个，贴子数678901篇，会员数4567😀\r\n本吧粉丝：23456 \r\n", u"lblMX2",
      u"流行趋势硬指标：4567\uFFFD#" },
    { forum, u"本吧共有主题数12345个，贴子数678901篇，会员数4567人\r\n本吧粉丝：23456😀\r\n", u"lblMX5",
      u"流行趋势总指标：23456\uFFFD#" },
    { ipAddress, u"本站主数据：北京😀abc如果您发现查询结果不详细或不正确，请使用IP数据库自助添加功能进行修正",
      u"txtIPJG", u"本站主数据：北京\uFFFD" },
    { host, u"本站主数据：北京😀abc如果您发现查询结果不详细或不正确，请使用IP数据库自助添加功能进行修正", u"txtZhuJiJG",
      u"本站主数据：北京\uFFFD" },
};

TEST(ResultText, ACutThatSplitsACharacterShowsAReplacementForTheHalf)
{
    for (const SplitRow& row : splitRows) {
        const SplitLookup& lookup = row.lookup;
        SCOPED_TRACE(str(row.result).toStdString());
        TestSeams seams;
        RecordingFetch fetch;
        fetch.install(seams.context);
        FakeLoaderFactory loaders;
        loaders.install(seams.context);
        seams.net.addresses[QStringLiteral("www.example.cn")] = { ipv4(192, 0, 2, 7) };
        seams.net.echo = EchoResult { true, 1, {}, 0, {} };
        seams.net.answerFromDestination = true;
        BuiltPanel built = buildPanel(str(lookup.frame), seams.context);
        seams.dialogs.watched = built.panel.get();
        const QString page = str(row.page);
        if (!lookup.loader)
            fetch.setPage(seams.context.services[lookup.service].url(str(lookup.path)), page);

        built.control<QLineEdit>(lookup.input)->setText(str(lookup.typed));
        QTest::mouseClick(built.control<QPushButton>(lookup.button), Qt::LeftButton);
        if (lookup.loader)
            loaders.named(str(lookup.loader))->completeWith(page);

        EXPECT_EQ(shownText(built.control(row.result)), str(row.shown));
        for (const Look& look : looks(*built.panel))
            EXPECT_TRUE(QStringView(look.text).isValidUtf16()) << look.text.toStdString();
        EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    }
}

} // namespace
