#include "platform/textcodec.h"
#include "support/printers.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <ostream>

namespace veldrin {
namespace {

struct CodecCase
{
    const char* name;
    QByteArray bytes;
    QString text;
};

TEST(DecodeGbk, Table)
{
    const CodecCase cases[] = {
        { "empty", QByteArray(), QString() },
        { "ASCII", QByteArrayLiteral("<p>abc</p>\r\n"), QStringLiteral("<p>abc</p>\r\n") },
        { "Chinese", QByteArrayLiteral("\xD6\xD0\xCE\xC4\xD2\xB3\xC3\xE6"), QStringLiteral("中文页面") },
        { "code page 936 punctuation", QByteArrayLiteral("\xA1\xA4\xA3\xBA"), QStringLiteral("·：") },
        { "euro sign of code page 936", QByteArrayLiteral("\x80"), QStringLiteral("€") },
        { "unmapped pair",
          QByteArrayLiteral("\xAA\xA1"
                            "a\xD6\xD0"),
          QString::fromUtf16(u"\uFFFDa中") },
        { "lead byte before ASCII keeps the ASCII", QByteArrayLiteral("\x81<b>"), QString::fromUtf16(u"\uFFFD<b>") },
        { "byte that is never GBK",
          QByteArrayLiteral("a\xFF"
                            "b"),
          QString::fromUtf16(u"a\uFFFDb") },
        { "truncated last character", QByteArrayLiteral("\xD6\xD0\xCE"), QString::fromUtf16(u"中\uFFFD") },
        { "NUL byte", QByteArray("a\0b", 3), QString::fromUtf16(u"a\0b", 3) },
    };
    for (const CodecCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodeGbk(c.bytes), c.text);
        EXPECT_EQ(decodeGbkToUtf8(c.bytes), c.text.toUtf8());
    }
}

// The decoder's table is read out of iconv; every double-byte sequence must come out as
// iconv decodes it, and the ones iconv refuses as U+FFFD (keeping an ASCII trail byte).
TEST(DecodeGbk, EveryPairAsIconvDecodesIt)
{
    iconv_t cd = iconv_open("UTF-8", "GBK");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    int mismatches = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            char pair[2] = { char(lead), char(trail) };
            char* in = pair;
            size_t inLeft = 2;
            char converted[8];
            char* out = converted;
            size_t outLeft = sizeof converted;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const bool ok = iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1);
            QByteArray expected = QByteArrayLiteral("<");
            if (ok)
                expected += QByteArray(converted, out - converted);
            else
                expected
                    += QByteArrayLiteral("\xEF\xBF\xBD") + (trail < 0x80 ? QByteArray(1, char(trail)) : QByteArray());
            expected += '>';
            const QByteArray page = QByteArray("<") + QByteArray(pair, 2) + '>';
            const QByteArray got = decodeGbkToUtf8(page);
            if (got != expected && ++mismatches <= 5)
                ADD_FAILURE() << "pair " << std::hex << lead << ' ' << trail << ": " << got.toHex().toStdString()
                              << " instead of " << expected.toHex().toStdString();
        }
    }
    iconv_close(cd);
    EXPECT_EQ(mismatches, 0);
}

TEST(DeclaredCharset, Table)
{
    const QByteArray gbkMetaPage = QByteArrayLiteral(
        "<html><head><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=GB2312\"></head></html>");
    const struct
    {
        const char* name;
        QByteArray header;
        QByteArray body;
        QByteArray charset;
    } cases[] = {
        { "nothing declared", QByteArrayLiteral("text/html"), QByteArrayLiteral("<p>x</p>"), QByteArray() },
        { "header", QByteArrayLiteral("text/html; charset=GBK"), QByteArray(), QByteArrayLiteral("gbk") },
        { "header, quoted", QByteArrayLiteral("text/html; Charset=\"UTF-8\""), QByteArray(),
          QByteArrayLiteral("utf-8") },
        { "header, blanks and more parameters", QByteArrayLiteral("text/html ; charset = big5 ; q=1"), QByteArray(),
          QByteArrayLiteral("big5") },
        { "meta charset", QByteArray(), QByteArrayLiteral("<head><meta charset='utf-8'/>"),
          QByteArrayLiteral("utf-8") },
        { "meta http-equiv", QByteArrayLiteral("text/html"), gbkMetaPage, QByteArrayLiteral("gb2312") },
        { "header wins over meta", QByteArrayLiteral("text/html;charset=utf-8"), gbkMetaPage,
          QByteArrayLiteral("utf-8") },
        { "the word in page text is no declaration", QByteArray(), QByteArrayLiteral("<p>charset=utf-8</p>"),
          QByteArray() },
        { "meta far down the page is not read", QByteArray(),
          QByteArray(5000, ' ') + QByteArrayLiteral("<meta charset=utf-8>"), QByteArray() },
        { "empty value", QByteArrayLiteral("text/html; charset="), QByteArray(), QByteArray() },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(declaredCharset(c.header, c.body), c.charset);
    }
}

TEST(DecodeDeclared, Table)
{
    const QByteArray gbk = QByteArrayLiteral("\xD6\xD0\xCE\xC4");
    const QByteArray utf8 = QStringLiteral("中文").toUtf8();
    const struct
    {
        const char* name;
        QByteArray header;
        QByteArray body;
        QString text;
    } cases[] = {
        { "nothing declared reads GBK", QByteArrayLiteral("text/html"), gbk, QStringLiteral("中文") },
        { "unknown charset reads GBK", QByteArrayLiteral("text/html; charset=x-no-such-set"), gbk,
          QStringLiteral("中文") },
        { "gb2312 reads GBK", QByteArrayLiteral("text/html; charset=gb2312"), gbk + QByteArrayLiteral("\x80"),
          QStringLiteral("中文€") },
        { "UTF-8", QByteArrayLiteral("text/html; charset=utf-8"), utf8, QStringLiteral("中文") },
        { "UTF-8 from meta", QByteArray(), QByteArrayLiteral("<meta charset=\"utf-8\">") + utf8,
          QStringLiteral("<meta charset=\"utf-8\">中文") },
        { "bad UTF-8 goes on", QByteArrayLiteral("text/html; charset=utf-8"), QByteArrayLiteral("a\xC3(b"),
          QString::fromUtf16(u"a\uFFFD(b") },
        { "GB18030 four-byte sequence", QByteArrayLiteral("text/html; charset=gb18030"),
          QByteArrayLiteral("\x81\x30\x81\x30") + gbk, QString::fromUtf16(u"\u0080中文") },
        { "Latin-1 label reads windows-1252", QByteArrayLiteral("text/html; charset=ISO-8859-1"),
          QByteArrayLiteral("\x80\xE9"), QStringLiteral("€é") },
        { "byte-order mark means UTF-8", QByteArray(), QByteArrayLiteral("\xEF\xBB\xBF") + utf8,
          QStringLiteral("中文") },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodeDeclared(c.header, c.body), c.text);
        EXPECT_EQ(decodeDeclaredToUtf8(c.header, c.body), c.text.toUtf8());
    }
}

// Whatever a page holds and however it is labelled, what the parser is given is well-formed
// UTF-8: each broken sequence is one U+FFFD for each maximal start of a sequence in it, and
// the characters after it stay.
TEST(DecodeDeclared, AlwaysGivesWellFormedUtf8)
{
    const QByteArray bom = QByteArrayLiteral("\xEF\xBB\xBF");
    const QByteArray utf8Header = QByteArrayLiteral("text/html; charset=utf-8");
    const struct
    {
        const char* name;
        QByteArray header;
        QByteArray body;
        const char16_t* text;
    } cases[] = {
        { "five-byte form after a mark",
          {},
          bom + QByteArrayLiteral("a\xF8\x88\x80\x80\x80z"),
          u"a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDz" },
        { "six-byte form after a mark",
          {},
          bom + QByteArrayLiteral("a\xFC\x84\x80\x80\x80\x80z"),
          u"a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDz" },
        { "beyond U+10FFFF after a mark",
          {},
          bom + QByteArrayLiteral("a\xF4\x90\x80\x80z"),
          u"a\uFFFD\uFFFD\uFFFD\uFFFDz" },
        { "surrogate after a mark", {}, bom + QByteArrayLiteral("a\xED\xA0\x80z"), u"a\uFFFD\uFFFD\uFFFDz" },
        { "overlong form after a mark", {}, bom + QByteArrayLiteral("a\xC0\xAFz"), u"a\uFFFD\uFFFDz" },
        { "cut short before ASCII", {}, bom + QByteArrayLiteral("a\xE4\xB8z"), u"a\uFFFDz" },
        { "cut short at the end", {}, bom + QByteArrayLiteral("a\xF0\x9F\x98"), u"a\uFFFD" },
        { "a mark and nothing else", {}, bom, u"" },
        { "sound four-byte form kept", {}, bom + QByteArrayLiteral("a\xF0\x9F\x98\x80z"), u"a😀z" },
        { "five-byte form, declared", utf8Header, QByteArrayLiteral("a\xF8\x88\x80\x80\x80z"),
          u"a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDz" },
        { "beyond U+10FFFF, declared utf8", QByteArrayLiteral("text/html; charset=utf8"),
          QByteArrayLiteral("a\xF4\x90\x80\x80z"), u"a\uFFFD\uFFFD\uFFFD\uFFFDz" },
        // iconv writes a UCS-4 value past the code space as a five- or six-byte form.
        { "UCS-4 beyond the code space", QByteArrayLiteral("text/html; charset=ucs-4be"),
          QByteArrayLiteral("\x00\x00\x00\x61\x00\x11\x00\x00\x7F\x00\x00\x00\x00\x00\x00\x7A"),
          u"a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDz" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray utf8 = decodeDeclaredToUtf8(c.header, c.body);
        EXPECT_TRUE(utf8.isValidUtf8()) << utf8.toHex().toStdString();
        EXPECT_EQ(QString::fromUtf8(utf8), QString::fromUtf16(c.text));
    }
}

} // namespace
} // namespace veldrin
