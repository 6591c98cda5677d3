#include "app/resulttext.h"
#include "support/panelkit.h"
#include "support/recorders.h"
#include "support/recordingfetch.h"

#include <QElapsedTimer>
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
    { "line ends kept as given", { 100, 4, 0 }, u"ab\r\ncdefgh\nij\rkl", u"ab\r\ncde…\nij\rkl" },
    { "long line cut once", { 10, 4, 0 }, u"abcdefghijklmnop\nxy", u"abc…\nxy" },
    { "pair cut by the line", { 100, 4, 0 }, u"ab😀c\nd", u"ab…\nd" },
    { "lines over the count", { 100, 0, 2 }, u"a\nb\nc\nd", u"a\nb\n…" },
    { "count reached at the end", { 100, 0, 2 }, u"a\r\nb\r\n", u"a\r\nb\r\n" },
    { "empty", { 10, 4, 3 }, u"", u"" },
};

TEST(ResultText, ShownTextIsCappedWithAnEllipsisAndNeverSplitsAPair)
{
    for (const CapRow& row : capRows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(cappedText(str(row.text), row.caps), str(row.shown));
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
// hold the window for many minutes; the bound is far above what the capped text takes.
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

        QElapsedTimer took;
        took.start();
        built.control<QLineEdit>(row.input)->setText(str(row.typed));
        QTest::mouseClick(built.control<QPushButton>(row.button), Qt::LeftButton);
        built.panel->repaint();
        EXPECT_LT(took.elapsed(), 60'000);

        const QString shown = shownText(built.control(row.result));
        EXPECT_TRUE(shown.startsWith(str(row.caption) + u"xxxx"));
        EXPECT_LE(shown.size(), textBoxCaps.total);
        EXPECT_LT(shown.indexOf(u'…'), 4096);
        EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
        EXPECT_TRUE(built.control(row.button)->isEnabled());
    }
}

} // namespace
