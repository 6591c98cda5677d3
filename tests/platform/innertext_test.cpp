#include "platform/innertext.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>

using veldrin::innerTextOfHtml;
using veldrin::parseHtmlPage;

namespace {

QString u16(const char16_t* text)
{
    return QString::fromUtf16(text);
}

std::string printable(const QString& text)
{
    QString shown = text;
    shown.replace(u'\r', QStringLiteral("\\r"))
        .replace(u'\n', QStringLiteral("\\n"))
        .replace(u'\t', QStringLiteral("\\t"));
    shown.replace(QChar(0xA0), QStringLiteral("<nbsp>"));
    return shown.toStdString();
}

struct TextCase
{
    const char16_t* html;
    const char16_t* expected;
};

TEST(InnerText, RendersPagesAsABrowserShowsThem)
{
    const TextCase cases[] = {
        // Blocks, paragraphs and <br>.
        { u"<p>a</p><p>b</p>", u"a\r\n\r\nb" },
        { u"a<br>b", u"a\r\nb" },
        { u"a<br><br>b", u"a\r\n\r\nb" },
        { u"a <br> b", u"a\r\nb" },
        { u"<div>a</div><div>b</div>", u"a\r\nb" },
        { u"x<div>a</div>y", u"x\r\na\r\ny" },
        { u"a<hr>b", u"a\r\nb" },
        { u"<h1>标题</h1><p>正文</p><h2>Sub</h2>tail", u"标题\r\n\r\n正文\r\n\r\nSub\r\ntail" },
        { u"<ul><li>one</li><li>two</li></ul>after", u"one\r\ntwo\r\nafter" },
        { u"<ol>\n  <li>one\n  <li>two\n</ol>", u"one\r\ntwo" },
        { u"<dl><dt>term</dt><dd>meaning</dd></dl>", u"term\r\nmeaning" },
        // Nested blocks: breaks merge into the largest request instead of adding up.
        { u"<div><div><div>a</div></div></div><div><div>b</div></div>", u"a\r\nb" },
        { u"<div><div><p>a</p></div></div><div>b</div>", u"a\r\n\r\nb" },
        { u"<blockquote><p>a</p></blockquote><p>b</p>", u"a\r\n\r\nb" },
        // Tables: a tab between cells, a line break between rows; white space between the
        // table's parts shows nothing.
        { u"<table><tr><td>a</td><td>b</td></tr><tr><td>c</td><td>d</td></tr></table>", u"a\tb\r\nc\td" },
        { u"<table>\n <tr>\n  <td> a </td>\n  <td>b</td>\n </tr>\n <tr><th>c</th><td></td></tr>\n</table>",
          u"a\tb\r\nc\t" },
        { u"x<table><tr><td>a</td></tr></table>y", u"x\r\na\r\ny" },
        { u"x<table><tr><td></td><td>b</td></tr></table>", u"x\r\n\tb" },
        { u"x<table><tr><td>a<td><td>b<tr><td>c<td><td></table>", u"x\r\na\t\tb\r\nc\t\t" },
        // A cell's blocks keep their line breaks: the tab and the row's line break come after
        // them, as text of their own.
        { u"<table><tr><td><div>a</div></td><td><p>b</p></td></tr><tr><td>c</td></tr></table>",
          u"a\r\n\t\r\n\r\nb\r\n\r\n\r\nc" },
        { u"<table><tr><td><div>a</div></td><td>b</td></tr></table>", u"a\r\n\tb" },
        { u"<table><tr><td></td></tr><tr><td>b</td></tr></table>", u"\r\nb" },
        // A hidden row still counts as the table's last, a hidden cell does not.
        { u"<table><tr><td>a</td></tr><tr hidden><td>b</td></tr><tr><td>c</td></tr></table>", u"a\r\nc" },
        { u"<table><tr><td>a</td></tr><tr hidden><td>b</td></tr></table>", u"a\r\n" },
        { u"<table><tbody><tr><td>a</td></tr></tbody><tbody hidden><tr><td>b</td></tr></tbody></table>", u"a\r\n" },
        { u"<table><tr><td>a</td><td hidden>b</td></tr><tr style=\"display:none\"><td>c</td></tr></table>", u"a" },
        { u"<table><tr><td>a</td></tr><form><tr><td>b</td></tr></table>", u"a\r\nb" },
        { u"<table><tr><td>a<caption>c</caption></table>", u"a\r\nc" },
        { u"<table><thead><tr><th>名称</th><th>值</th></tr></thead><tbody><tr><td>IP</td><td>1.2.3.4</td></tr>"
          u"</tbody></table>",
          u"名称\t值\r\nIP\t1.2.3.4" },
        // Never-rendered content.
        { u"<html><head><title>T</title><style>p{}</style><script>var a='<p>x</p>';</script></head>"
          u"<body>a<script>b</script>c<noscript>d</noscript><style>e</style><template>f</template></body></html>",
          u"ac" },
        { u"a<textarea>t</textarea>b<input value=v>c<iframe>frame</iframe>d<object>obj</object>e", u"abcde" },
        { u"a<video>v</video>b<canvas>x</canvas>c<meter>m</meter>d<audio>x</audio>e", u"abcde" },
        { u"<details><summary>S</summary>body</details>", u"S" },
        { u"<details open><summary>S</summary>body</details>", u"S\r\nbody" },
        // Replaced and atomic inline boxes (images, controls, frames, media) show no text, but
        // the blanks beside them are not collapsed into them, nor dropped at a line's edge.
        { u"abc <img> def", u"abc  def" },
        { u"<img> abc", u" abc" },
        { u"abc <img>", u"abc " },
        { u"<p><img src=\"dot.gif\"> 当前状态</p>", u" 当前状态" },
        { u"<table><tr><td>a</td><td><img> b</td></tr></table>", u"a\t b" },
        { u"abc <input> def <canvas></canvas> ghi <iframe></iframe> jkl", u"abc  def  ghi  jkl" },
        { u"<input> <div>abc</div>", u"abc" },
        { u"abc <b></b> def <input type=\"HIDDEN\"> ghi <audio></audio> jkl", u"abc def ghi jkl" },
        { u"a <audio controls></audio> b", u"a  b" },
        { u"<div>a <img> <br>b</div>", u"a \r\nb" },
        { u"<p><img></p><p>x</p>", u"x" },
        // A button (or marquee) is one such box whose content shows, on a line of its own.
        { u"x <button> b </button> y", u"x b y" },
        { u"a<button>b</button>c <marquee> d </marquee>", u"abc d" },
        { u"a<button><div>b</div></button> c", u"a\r\nb\r\n c" },
        // Pick lists of any size give their options one per line; an option is a block
        // wherever it stands, an option group outside a list shows only its edges.
        { u"a<select><option>x</option><option>y</option></select>b", u"a\r\nx\r\ny\r\nb" },
        { u"<select size=\"4\" multiple><optgroup label=\"L\"><option>x</optgroup><option>y</select>", u"x\r\ny" },
        { u"<select>loose<option hidden>x<option>y</select>", u"y" },
        { u"a<select></select>b<select><option></select>c", u"ab\r\nc" },
        { u"<div>a<option>123</option>bc</div>", u"a\r\n123\r\nbc" },
        { u"<div>a<optgroup>123</optgroup>bc</div>", u"a\r\nbc" },
        // Inline SVG draws the characters of its text elements, and nothing else.
        { u"<div><svg><text>abc</text></svg></div>", u"abc" },
        { u"x <svg><title>t</title><desc>d</desc>loose<g><text> a <tspan>b</tspan></text></g></svg> y", u"x a b y" },
        { u"<svg><defs><text>a</text></defs><stop>b</stop><text style=\"display:none\">c</text></svg>", u"" },
        { u"<svg><text>a<a href=\"x\">b</a><tspan><a>c</a></tspan></text></svg>", u"abc" },
        { u"<svg><foreignObject><p>html</p></foreignObject></svg>", u"html" },
        { u"<svg><switch><foreignObject><b>html</b></foreignObject><text>fallback</text></switch></svg>", u"html" },
        // Elements no browser knows any more are inline, their content shown.
        { u"a<applet>b</applet>c", u"abc" },
        // Entities, and U+00A0 kept as it is.
        { u"a &amp; b &lt;c&gt; &#20013;&#x6587; &copy; &quot;", u"a & b <c> 中文 © \"" },
        { u"a&nbsp;&nbsp;b &nbsp; c", u"a\u00a0\u00a0b \u00a0 c" },
        { u"<p>&nbsp;</p>", u"\u00a0" },
        // <pre> keeps its white space; its line ends come out as CR LF.
        { u"<pre>\n  a  b\n\n\tc</pre>", u"  a  b\r\n\r\n\tc" },
        { u"x<pre>a\r\nb\rc</pre>y", u"x\r\na\r\nb\r\nc\r\ny" },
        { u"<pre>a <b> b </b></pre>", u"a  b " },
        // White space collapses across inline elements and disappears at line edges.
        { u"<b>a</b> <i>b</i>", u"a b" },
        { u"  a \n\t b  ", u"a b" },
        { u"a<b> b </b> c", u"a b c" },
        { u"<span>a</span><span>b</span>", u"ab" },
        { u"<div> a </div> <div> b </div>", u"a\r\nb" },
        { u"a<span> </span><span> </span>b", u"a b" },
        // Hidden elements.
        { u"a<span hidden>x</span>b", u"ab" },
        { u"a<div hidden=\"hidden\">x</div>b", u"ab" },
        { u"a<div style=\"display:none\">x</div>b", u"ab" },
        { u"<p style=\"DISPLAY : NONE;\">x</p>y", u"y" },
        { u"<div style=\"color:red; display: none !important\">x</div>y", u"y" },
        { u"<div style=\"display:none;display:block\">x</div>", u"x" },
        { u"<div style=\"display: /* off */ none\">x</div>y", u"y" },
        { u"<span style=\"display:nonesuch\">x</span>", u"x" },
        { u"<table><tr><td>a</td><td style=\"display:none\">b</td><td>c</td></tr></table>", u"a\tc" },
        // Nothing before the first or after the last line.
        { u"\r\n\r\n<p>\n a \n</p>\n\n", u"a" },
        // ...but a <br> is a line break of its own, kept at either end.
        { u"<br>", u"\r\n" },
        { u"a<br>", u"a\r\n" },
        { u"<p>a</p><br>", u"a\r\n\r\n\r\n" },
        { u"<div></div><p></p>a<div></div><p> </p>", u"a" },
        { u"", u"" },
        // Chinese text.
        { u"<p>查询结果：</p><p>广东省 深圳市　电信</p>", u"查询结果：\r\n\r\n广东省 深圳市　电信" },
        // Malformed documents, repaired as a browser repairs them.
        { u"<div><p>one<p>two<b>bold<div>three</table>", u"one\r\n\r\ntwobold\r\n\r\nthree" },
        { u"<ul><li>a<li>b</ul>c", u"a\r\nb\r\nc" },
        { u"<html><body>a</body></html>b", u"ab" },
        { u"<p>a<p>b", u"a\r\n\r\nb" },
        { u"<td>x", u"x" },
        { u"a <!-- b --> c", u"a c" },
    };
    for (const TextCase& c : cases) {
        const QString html = u16(c.html);
        EXPECT_EQ(printable(innerTextOfHtml(html)), printable(u16(c.expected))) << printable(html);
    }
}

TEST(InnerText, DeepNestingNeitherOverflowsNorLosesText)
{
    const int depth = 200000;
    QString html;
    html.reserve(depth * 7 + 8);
    for (int i = 0; i < depth; ++i)
        html.append(u"<span>");
    html.append(u"深处");
    EXPECT_EQ(innerTextOfHtml(html), u16(u"深处"));
}

TEST(InnerText, ControlAndSurrogateCharactersPassThrough)
{
    // A NUL in the page must not end the text early (a browser drops it); a character outside
    // the BMP stays whole.
    QString html = QStringLiteral("a");
    html.append(QChar(0));
    html.append(u16(u"b😀c"));
    EXPECT_EQ(innerTextOfHtml(html), u16(u"ab😀c"));
}

// Whether every surrogate in `text` is half of a pair.
bool isWellFormedUtf16(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return false;
    }
    return true;
}

// A reference beyond U+10FFFF, to a surrogate or to NUL is U+FFFD, however many digits it
// takes, and the characters after it stay; the text, title and links are well-formed UTF-16.
TEST(InnerText, CharacterReferencesOutsideTheScalarValuesBecomeTheReplacementCharacter)
{
    const char* references[] = {
        "&#x110000;",
        "&#1114112;",
        "&#xEEEEEEE;",
        "&#xEEEEEEEE;",
        "&#xEEEEEEED;",
        "&#xFFFFFFFF;",
        "&#x80000000;",
        "&#x8000D800;",
        "&#X100000041;",
        "&#4294967295;",
        "&#4294967361;",
        "&#99999999999999999999;",
        "&#x0000000000110000;",
        "&#xD800;",
        "&#xDFFF;",
        "&#55296;",
        "&#0;",
        "&#x0;",
    };
    for (const char* reference : references) {
        SCOPED_TRACE(reference);
        const QString ref = QString::fromLatin1(reference);
        const QString html = u"<title>t" + ref + u"t</title><p>a" + ref + u"bc</p><a href=\"/q?" + ref + u"\">x</a>";
        const veldrin::HtmlPage page = parseHtmlPage(html, QUrl(QStringLiteral("http://example.com/")));
        EXPECT_EQ(printable(page.innerText), printable(u16(u"a\uFFFDbc\r\n\r\nx")));
        EXPECT_EQ(page.title, u16(u"t\uFFFDt"));
        ASSERT_EQ(page.links.size(), 1);
        EXPECT_EQ(page.links.first(), QStringLiteral("http://example.com/q?%EF%BF%BD"));
        // Without its semicolon the reference ends at the first character that is no digit.
        const QString unended = ref.chopped(1);
        EXPECT_EQ(printable(innerTextOfHtml(u"a" + unended + u" bc")), printable(u16(u"a\uFFFD bc")));
    }
    // The largest scalar value, and literal digits where references are not read, stay as they are.
    EXPECT_EQ(innerTextOfHtml(QStringLiteral("a&#x10FFFF;b")), u"a" + QString::fromUcs4(U"\U0010FFFF") + u"b");
    EXPECT_EQ(innerTextOfHtml(QStringLiteral("<xmp>&#x11;</xmp>")), QStringLiteral("&#x11;"));
}

// Bytes that are no UTF-8 reach the walker as U+FFFD, one for each broken sequence, and never
// swallow the characters after them.
TEST(InnerText, MalformedUtf8BecomesTheReplacementCharacter)
{
    const struct
    {
        QByteArray bytes;
        const char16_t* expected;
    } cases[] = {
        { QByteArray("a\xED\xA0\x80z"), u"a\uFFFD\uFFFD\uFFFDz" }, // a surrogate, written out
        { QByteArray("a\xF4\x90\x80\x80z"), u"a\uFFFD\uFFFD\uFFFD\uFFFDz" }, // beyond U+10FFFF
        { QByteArray("a\xC0\xAFz"), u"a\uFFFD\uFFFDz" }, // an overlong form
        { QByteArray("a\xE4\xB8z"), u"a\uFFFDz" }, // cut short
        { QByteArray("a\x80z"), u"a\uFFFDz" },
        { QByteArray("a\xEE"
                     "bc"),
          u"a\uFFFDbc" },
        { QByteArray("a\xF0\x9F\x98\x80z"), u"a😀z" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        const QString text = veldrin::innerTextOfUtf8Html(QByteArray(QByteArray("<p>") + c.bytes + "</p>"));
        EXPECT_EQ(printable(text), printable(u16(c.expected)));
        EXPECT_TRUE(isWellFormedUtf16(text));
    }
}

// A parse given up at its stop gives no text, and leaves no parse running; one that ends in
// time gives the same text as without a stop.
TEST(InnerText, AParseStopsAtItsCancelOrDeadline)
{
    const QByteArray deep = QByteArray("<div>").repeated(100000) + "深处";
    const QByteArray page("<p>a</p><div>b</div>");
    const auto now = std::chrono::steady_clock::now();
    std::atomic<bool> cancelled { true };
    std::atomic<bool> running { false };

    EXPECT_FALSE(veldrin::innerTextOfUtf8Html(deep, veldrin::ParseStop { &cancelled, {} }));
    EXPECT_FALSE(
        veldrin::innerTextOfUtf8Html(deep, veldrin::ParseStop { nullptr, now + std::chrono::milliseconds(200) }));
    EXPECT_FALSE(veldrin::parseUtf8HtmlPage(deep, QUrl(), veldrin::ParseStop { &cancelled, {} }));
    EXPECT_EQ(veldrin::innerTextOfUtf8Html(page, veldrin::ParseStop { &running, now + std::chrono::hours(1) }),
              std::optional<QString>(innerTextOfHtml(QString::fromUtf8(page))));
    EXPECT_EQ(veldrin::htmlParsesRunning(), 0);
}

TEST(ParseHtmlPage, LinksAreAbsoluteInDocumentOrder)
{
    const QUrl base(QStringLiteral("http://example.com/dir/page.html"));
    const QString html = u16(u"<html><head><link href=\"style.css\"></head><body>"
                             u"<a href=\"a.html\">1</a>"
                             u"<a name=\"anchor\">no href</a>"
                             u"<a href=\"/root.html\">2</a>"
                             u"<map><area href=\"../up.html\"><area alt=\"none\"></map>"
                             u"<p><a href=\"http://other.org/x\">3</a></p>"
                             u"<a href=\"?q=1\">4</a>"
                             u"<a href=\"//cdn.example.net/y\">5</a>"
                             u"<a href=\"  spaced.html\n \">6</a>"
                             u"<a href=\"#top\">7</a>"
                             u"<a href=\"查询.asp?q=中\">8</a>"
                             u"<a href=\"javascript:void(0)\">9</a>"
                             u"<a href=\"mailto:someone@example.com\">10</a>"
                             u"<a href=\"\">11</a>"
                             u"<a href=\"HTTP://Shop1.Example.org\">13</a>"
                             u"<a href=\"https://example.net?x=1\">14</a>"
                             u"<span hidden><a href=\"hidden.html\">12</a></span>"
                             u"<noscript><a href=\"noscript.html\">x</a></noscript>"
                             u"<template><a href=\"template.html\">x</a></template>"
                             u"</body></html>");
    const QStringList expected = {
        QStringLiteral("http://example.com/dir/a.html"),
        QStringLiteral("http://example.com/root.html"),
        QStringLiteral("http://example.com/up.html"),
        QStringLiteral("http://other.org/x"),
        QStringLiteral("http://example.com/dir/page.html?q=1"),
        QStringLiteral("http://cdn.example.net/y"),
        QStringLiteral("http://example.com/dir/spaced.html"),
        QStringLiteral("http://example.com/dir/page.html#top"),
        QStringLiteral("http://example.com/dir/%E6%9F%A5%E8%AF%A2.asp?q=%E4%B8%AD"),
        QStringLiteral("javascript:void(0)"),
        QStringLiteral("mailto:someone@example.com"),
        QStringLiteral("http://example.com/dir/page.html"),
        // A web address with an empty path gets its "/", as a browser's href gives it.
        QStringLiteral("http://shop1.example.org/"),
        QStringLiteral("https://example.net/?x=1"),
        QStringLiteral("http://example.com/dir/hidden.html"),
    };
    EXPECT_EQ(parseHtmlPage(html, base).links, expected);
}

TEST(ParseHtmlPage, BaseElementDecidesWhereRelativeLinksPoint)
{
    const QUrl page(QStringLiteral("http://example.com/dir/page.html"));
    struct Case
    {
        const char16_t* html;
        const char* expectedFirstLink;
    };
    const Case cases[] = {
        { u"<head><base href=\"http://base.example/sub/\"></head><a href=\"x.html\">x</a>",
          "http://base.example/sub/x.html" },
        // A relative base is itself resolved against the page's address.
        { u"<head><base href=\"/other/\"></head><a href=\"x.html\">x</a>", "http://example.com/other/x.html" },
        // A base later in the page still governs every link; only the first base with an href counts.
        { u"<a href=\"x.html\">x</a><base target=\"_blank\"><base href=\"http://one.example/\">"
          u"<base href=\"http://two.example/\">",
          "http://one.example/x.html" },
        { u"<head><base target=\"_top\"></head><a href=\"x.html\">x</a>", "http://example.com/dir/x.html" },
    };
    for (const Case& c : cases) {
        const QStringList links = parseHtmlPage(u16(c.html), page).links;
        ASSERT_FALSE(links.isEmpty()) << printable(u16(c.html));
        EXPECT_EQ(links.first(), QString::fromLatin1(c.expectedFirstLink)) << printable(u16(c.html));
    }
}

TEST(ParseHtmlPage, TitleIsCollapsedAndTrimmed)
{
    const TextCase cases[] = {
        { u"<title>\n  查询   结果 \t</title><p>x</p>", u"查询 结果" },
        { u"<title>a &amp; b&nbsp;c</title>", u"a & b\u00a0c" },
        { u"<p>no title</p>", u"" },
        { u"<title></title>", u"" },
        { u"<title>first</title><title>second</title>", u"first" },
        { u"<body><svg><title>drawing</title></svg><title>page</title></body>", u"page" },
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(printable(parseHtmlPage(u16(c.html), QUrl()).title), printable(u16(c.expected)))
            << printable(u16(c.html));
}

TEST(ParseHtmlPage, InnerTextMatchesThePageTextFetch)
{
    const QString html = u16(u"<html><head><title>标题</title></head><body><h1>结果</h1>"
                             u"<table><tr><td>a</td><td><a href=\"x\">b</a></td></tr></table></body></html>");
    const veldrin::HtmlPage page = parseHtmlPage(html, QUrl(QStringLiteral("http://example.com/")));
    EXPECT_EQ(page.innerText, innerTextOfHtml(html));
    EXPECT_EQ(page.innerText, u16(u"结果\r\na\tb"));
    EXPECT_EQ(page.title, u16(u"标题"));
    EXPECT_EQ(page.links, QStringList { QStringLiteral("http://example.com/x") });
}

} // namespace

// The text, links and title of a page parsed in its child process are the page parsed in this
// process, also where they are far larger than what crosses between the two at a time. No page
// is parsed in the caller's process but by the in-process entries, so a value is the child's.
TEST(ParseHtmlPage, ThePageFromTheChildProcessIsThePageParsedHere)
{
    const QUrl base(QStringLiteral("http://example.com/dir/page.html"));
    QString large = u16(u"<title> 大 页面 😀 </title><base href=\"/sub/\"><pre>");
    for (int i = 0; i < 80000; ++i)
        large += u"第" + QString::number(i) + u16(u"行 😀\u00a0&amp;<a href=\"p") + QString::number(i)
            + u".html\">x</a>\n";
    const QByteArray pages[] = {
        QByteArray(),
        QByteArray("<p>a</p>"),
        QByteArray("<frameset><frame src=a></frameset>"),
        QByteArray("a\0b<a href=\"\">c</a><base href=\"\">", 33),
        large.toUtf8(),
    };
    for (const QByteArray& page : pages) {
        SCOPED_TRACE(page.left(40).toStdString());
        const std::optional<veldrin::HtmlPage> fromChild
            = veldrin::parseUtf8HtmlPage(page, base, veldrin::ParseStop {});
        ASSERT_TRUE(fromChild);
        const veldrin::HtmlPage here = veldrin::parseUtf8HtmlPageInProcess(page, base);
        EXPECT_EQ(fromChild->innerText, here.innerText);
        EXPECT_EQ(fromChild->links, here.links);
        EXPECT_EQ(fromChild->title, here.title);
        EXPECT_EQ(veldrin::innerTextOfUtf8Html(page, veldrin::ParseStop {}),
                  std::optional<QString>(veldrin::innerTextOfUtf8HtmlInProcess(page)));
    }
    const veldrin::HtmlPage page = veldrin::parseUtf8HtmlPage(large.toUtf8(), base);
    EXPECT_GT(page.innerText.size() * 2, 1024 * 1024) << "larger than the pipe";
    ASSERT_EQ(page.links.size(), 80000);
    EXPECT_EQ(page.links.last(), QStringLiteral("http://example.com/sub/p79999.html"));
    EXPECT_EQ(page.title, u16(u"大 页面 😀"));
}
