#include "platform/textcodec.h"

#include <QSysInfo>
#include <cerrno>
#include <iconv.h>
#include <optional>

namespace veldrin {

namespace {

constexpr char16_t replacementChar = u'\uFFFD';

// QChar is a native-order UTF-16 unit, so iconv writes straight into the QString.
const char* nativeUtf16()
{
    return QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
}

// How many bytes an undecodable sequence at `at` spans. For the double-byte Chinese sets a
// lead byte followed by an ASCII byte gives up only the lead, so markup and markers right
// after a stray lead byte survive; any other bad pair is lost as a whole, as browsers do.
qsizetype badSequenceLength(const QByteArray& bytes, qsizetype at, bool doubleByte)
{
    const auto lead = static_cast<unsigned char>(bytes.at(at));
    if (!doubleByte || lead < 0x81 || lead > 0xFE || at + 1 >= bytes.size())
        return 1;
    const auto trail = static_cast<unsigned char>(bytes.at(at + 1));
    return trail < 0x80 ? 1 : 2;
}

// Decodes with an iconv source charset; never fails: each undecodable sequence becomes
// U+FFFD and an incomplete sequence at the end one more U+FFFD.
// Returns no value only when iconv does not know the charset.
std::optional<QString> decodeWith(const char* charset, const QByteArray& bytes, bool doubleByte)
{
    iconv_t cd = iconv_open(nativeUtf16(), charset);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;

    // For the charsets pages use, one input byte never gives more than one UTF-16 unit, so
    // the first guess is enough; the buffer grows for any that does otherwise.
    QString out(bytes.size() + 16, Qt::Uninitialized);
    qsizetype written = 0; // UTF-16 units
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());

    const auto convert = [&](char** inPtr, size_t* inLeftPtr) {
        for (;;) {
            char* outPtr = reinterpret_cast<char*>(out.data() + written);
            size_t outLeft = static_cast<size_t>(out.size() - written) * sizeof(QChar);
            const size_t outBefore = outLeft;
            const size_t rc = iconv(cd, inPtr, inLeftPtr, &outPtr, &outLeft);
            const int error = rc == static_cast<size_t>(-1) ? errno : 0;
            written += static_cast<qsizetype>((outBefore - outLeft) / sizeof(QChar));
            if (error != E2BIG)
                return error;
            out.resize(out.size() * 2 + 16);
        }
    };
    const auto appendReplacement = [&] {
        if (written == out.size())
            out.resize(out.size() * 2 + 16);
        out[written++] = QChar(replacementChar);
    };

    while (inLeft > 0) {
        const int error = convert(&in, &inLeft);
        if (error == EILSEQ) {
            const qsizetype skip = badSequenceLength(bytes, in - bytes.constData(), doubleByte);
            appendReplacement();
            in += skip;
            inLeft -= static_cast<size_t>(skip);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        } else if (error == EINVAL) {
            // The answer ends inside a character.
            appendReplacement();
            inLeft = 0;
        } else if (error != 0) {
            break;
        }
    }
    convert(nullptr, nullptr); // whatever a stateful charset still holds
    iconv_close(cd);

    out.truncate(written);
    return out;
}

bool isGbkFamily(const QByteArray& charset)
{
    static const char* const names[] = { "gbk",      "gb2312",  "x-gbk",     "cp936",      "windows-936", "ms936",
                                         "csgb2312", "chinese", "iso-ir-58", "gb_2312-80", "euc-cn" };
    for (const char* name : names) {
        if (charset == name)
            return true;
    }
    return false;
}

// Names as pages write them to the names glibc's iconv knows, for the few that differ.
QByteArray iconvName(const QByteArray& charset)
{
    // Browsers read a page labelled Latin-1 or ASCII as windows-1252, and pages rely on it.
    if (charset == "iso-8859-1" || charset == "latin1" || charset == "l1" || charset == "us-ascii" || charset == "ascii"
        || charset == "iso8859-1" || charset == "windows-1252" || charset == "cp1252")
        return QByteArrayLiteral("CP1252");
    if (charset == "utf8")
        return QByteArrayLiteral("UTF-8");
    return charset.toUpper();
}

// A charset name from the network goes to iconv_open only when it looks like a name: no
// "//" suffixes (which would switch on transliteration or ignoring) and no paths.
bool isPlainCharsetName(const QByteArray& charset)
{
    if (charset.isEmpty() || charset.size() > 40)
        return false;
    for (const char c : charset) {
        const bool ok
            = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
        if (!ok)
            return false;
    }
    return true;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// The value after "charset" (and "=") starting at `from`, up to a quote, blank, ";" or ">".
QByteArray charsetValueAt(const QByteArray& text, qsizetype from)
{
    qsizetype i = from;
    while (i < text.size() && isSpace(text.at(i)))
        ++i;
    if (i >= text.size() || text.at(i) != '=')
        return {};
    ++i;
    while (i < text.size() && isSpace(text.at(i)))
        ++i;
    if (i < text.size() && (text.at(i) == '"' || text.at(i) == '\''))
        ++i;
    const qsizetype start = i;
    while (i < text.size()) {
        const char c = text.at(i);
        if (c == '"' || c == '\'' || c == ';' || c == '>' || c == ',' || c == '/' || isSpace(c))
            break;
        ++i;
    }
    return text.mid(start, i - start);
}

// The first "charset=value" in `lowered`, or empty.
QByteArray findCharset(const QByteArray& lowered)
{
    qsizetype at = 0;
    while ((at = lowered.indexOf("charset", at)) >= 0) {
        at += 7;
        const QByteArray value = charsetValueAt(lowered, at);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

} // namespace

QString decodeGbk(const QByteArray& bytes)
{
    // glibc's GBK is code page 936 as Windows has it, the euro sign at 0x80 included.
    if (std::optional<QString> text = decodeWith("GBK", bytes, true))
        return *std::move(text);
    // A C library without GBK tables: keep at least the ASCII markup and markers readable.
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes.at(i));
        text[i] = byte < 0x80 ? QChar(char16_t(byte)) : QChar(replacementChar);
    }
    return text;
}

QByteArray declaredCharset(const QByteArray& contentTypeHeader, const QByteArray& body)
{
    if (QByteArray fromHeader = findCharset(contentTypeHeader.toLower()); !fromHeader.isEmpty())
        return fromHeader;

    // Pages declare their charset in the head, near the start.
    const QByteArray head = body.left(4096).toLower();
    qsizetype at = 0;
    while ((at = head.indexOf("<meta", at)) >= 0) {
        const qsizetype end = head.indexOf('>', at);
        const QByteArray tag = head.mid(at, end < 0 ? -1 : end - at + 1);
        if (QByteArray value = findCharset(tag); !value.isEmpty())
            return value;
        at += 5;
    }
    return {};
}

QString decodeDeclared(const QByteArray& contentTypeHeader, const QByteArray& body)
{
    // A byte-order mark outweighs any declaration, as in a browser.
    if (body.startsWith("\xEF\xBB\xBF"))
        return decodeWith("UTF-8", body.mid(3), false).value_or(QString());

    const QByteArray charset = declaredCharset(contentTypeHeader, body);
    if (charset.isEmpty() || isGbkFamily(charset) || !isPlainCharsetName(charset))
        return decodeGbk(body);
    if (charset == "gb18030") {
        if (std::optional<QString> text = decodeWith("GB18030", body, true))
            return *std::move(text);
        return decodeGbk(body);
    }
    const QByteArray name = iconvName(charset);
    if (std::optional<QString> text = decodeWith(name.constData(), body, false))
        return *std::move(text);
    return decodeGbk(body);
}

} // namespace veldrin
