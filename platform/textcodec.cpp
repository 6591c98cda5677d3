#include "platform/textcodec.h"

#include "platform/utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <iterator>
#include <optional>
#include <vector>

namespace veldrin {

namespace {

constexpr char replacementUtf8[] = "\xEF\xBF\xBD"; // U+FFFD

// How many bytes an undecodable sequence at `at` spans. For the double-byte Chinese sets a
// lead byte followed by an ASCII byte gives up only the lead, so markup and markers right
// after a stray lead byte survive; any other bad pair is lost as a whole, as browsers do.
qsizetype badSequenceLength(QByteArrayView bytes, qsizetype at, bool doubleByte)
{
    const auto lead = static_cast<unsigned char>(bytes.at(at));
    if (!doubleByte || lead < 0x81 || lead > 0xFE || at + 1 >= bytes.size())
        return 1;
    const auto trail = static_cast<unsigned char>(bytes.at(at + 1));
    return trail < 0x80 ? 1 : 2;
}

// `bytes` as well-formed UTF-8: each broken sequence gives way to one U+FFFD for each maximal
// start of a sequence in it, as the web's decoder has it (utf8StepAt). Text that is well
// formed already comes back as it is, not copied.
QByteArray wellFormedUtf8(QByteArray bytes)
{
    const auto* const begin = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* const end = begin + bytes.size();
    QByteArray mended;
    const unsigned char* kept = begin; // the start of what is well formed and not yet in `mended`
    for (const unsigned char* at = begin; at < end;) {
        if (*at < 0x80) {
            ++at;
            continue;
        }
        const Utf8Step step = utf8StepAt(at, end);
        if (!step.wellFormed) {
            if (mended.isNull())
                mended.reserve(bytes.size() + 16);
            mended.append(reinterpret_cast<const char*>(kept), at - kept);
            mended.append(replacementUtf8, 3);
            kept = at + step.length;
        }
        at += step.length;
    }
    if (mended.isNull())
        return bytes;
    mended.append(reinterpret_cast<const char*>(kept), end - kept);
    return mended;
}

// Decodes to UTF-8 with an iconv source charset; never fails: each undecodable sequence
// becomes U+FFFD and an incomplete sequence at the end one more U+FFFD. What comes out is well
// formed: iconv itself writes whatever its source holds, even code points that UTF-8 has no
// room for (a UCS-4 page's values past U+10FFFF come out as five- and six-byte forms).
// Returns no value only when iconv does not know the charset.
std::optional<QByteArray> decodeWith(const char* charset, QByteArrayView bytes, bool doubleByte)
{
    iconv_t cd = iconv_open("UTF-8", charset);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;

    // The charsets pages use give at most three UTF-8 bytes for each byte they take, so the
    // first size is enough; the buffer grows for any that does otherwise. What is not written
    // of it is never touched.
    QByteArray out(3 * bytes.size() + 16, Qt::Uninitialized);
    qsizetype written = 0;
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = static_cast<size_t>(bytes.size());

    const auto convert = [&](char** inPtr, size_t* inLeftPtr) {
        for (;;) {
            char* outPtr = out.data() + written;
            size_t outLeft = static_cast<size_t>(out.size() - written);
            const size_t outBefore = outLeft;
            const size_t rc = iconv(cd, inPtr, inLeftPtr, &outPtr, &outLeft);
            const int error = rc == static_cast<size_t>(-1) ? errno : 0;
            written += static_cast<qsizetype>(outBefore - outLeft);
            if (error != E2BIG)
                return error;
            out.resize(out.size() * 2 + 16);
        }
    };
    const auto appendReplacement = [&] {
        if (out.size() - written < 3)
            out.resize(out.size() * 2 + 16);
        std::memcpy(out.data() + written, replacementUtf8, 3);
        written += 3;
    };

    while (inLeft > 0) {
        const int error = convert(&in, &inLeft);
        if (error == EILSEQ) {
            const qsizetype skip = badSequenceLength(bytes, in - bytes.data(), doubleByte);
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
    out.squeeze();
    return wellFormedUtf8(std::move(out));
}

// ---------------------------------------------------------------------------------------------
// GBK by table
//
// Pages are GBK almost always and can be megabytes long, so GBK is decoded by table, straight
// to UTF-8. The table is read out of iconv once, byte by byte and pair by pair, so it maps
// exactly as iconv does; decoding by it gives the same text as decodeWith("GBK").

// One character's UTF-8, padded to four bytes so it is copied in one move.
struct Utf8Char
{
    char bytes[3] = {};
    unsigned char length = 0; // 0: no character
};

struct GbkTable
{
    bool usable = false; // iconv behaved as a stateless double-byte set; else decode by iconv
    Utf8Char single[256]; // a byte that is a character by itself
    short leadIndex[256]; // row of `pairs` for a lead byte, or -1
    std::vector<Utf8Char> pairs; // 256 per lead byte, by trail byte
};

enum class Probe
{
    Character,
    Invalid, // EILSEQ
    Incomplete, // EINVAL
    Unexpected,
};

// What iconv makes of `length` bytes from a fresh state: one character (its UTF-8 in `out`),
// an invalid or an incomplete sequence.
Probe probe(iconv_t cd, const unsigned char* bytes, size_t length, Utf8Char* out)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = reinterpret_cast<char*>(const_cast<unsigned char*>(bytes));
    size_t inLeft = length;
    char buffer[16];
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    if (rc == static_cast<size_t>(-1))
        return errno == EILSEQ ? Probe::Invalid : errno == EINVAL ? Probe::Incomplete : Probe::Unexpected;
    const size_t produced = sizeof buffer - outLeft;
    // GBK maps into the Basic Multilingual Plane: one character is at most three bytes.
    if (inLeft != 0 || produced == 0 || produced > 3)
        return Probe::Unexpected;
    const auto first = static_cast<unsigned char>(buffer[0]);
    const size_t sequence = first < 0x80 ? 1 : first < 0xE0 ? 2 : 3;
    if (sequence != produced)
        return Probe::Unexpected; // more than one character
    std::memcpy(out->bytes, buffer, produced);
    out->length = static_cast<unsigned char>(produced);
    return Probe::Character;
}

GbkTable buildGbkTable()
{
    GbkTable table;
    std::fill(std::begin(table.leadIndex), std::end(table.leadIndex), short(-1));
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // A C library without GBK tables: keep at least the ASCII markup and markers
        // readable, each other byte one U+FFFD.
        for (int byte = 0; byte < 256; ++byte) {
            Utf8Char& c = table.single[byte];
            if (byte < 0x80) {
                c.bytes[0] = char(byte);
                c.length = 1;
            } else {
                std::memcpy(c.bytes, replacementUtf8, 3);
                c.length = 3;
            }
        }
        table.usable = true;
        return table;
    }

    bool usable = true;
    std::vector<int> leads;
    for (int byte = 0; byte < 256 && usable; ++byte) {
        const unsigned char bytes[1] = { static_cast<unsigned char>(byte) };
        switch (probe(cd, bytes, 1, &table.single[byte])) {
        case Probe::Character:
            // The fast path copies ASCII as it stands.
            usable = byte >= 0x80 || (table.single[byte].length == 1 && table.single[byte].bytes[0] == char(byte));
            break;
        case Probe::Incomplete:
            usable = byte >= 0x80;
            table.leadIndex[byte] = static_cast<short>(leads.size());
            leads.push_back(byte);
            break;
        case Probe::Invalid:
            usable = byte >= 0x80;
            break;
        case Probe::Unexpected:
            usable = false;
            break;
        }
    }
    table.pairs.resize(leads.size() * 256);
    for (size_t row = 0; row < leads.size() && usable; ++row) {
        for (int trail = 0; trail < 256 && usable; ++trail) {
            const unsigned char bytes[2]
                = { static_cast<unsigned char>(leads[row]), static_cast<unsigned char>(trail) };
            const Probe result = probe(cd, bytes, 2, &table.pairs[row * 256 + size_t(trail)]);
            usable = result == Probe::Character || result == Probe::Invalid;
        }
    }
    iconv_close(cd);
    table.usable = usable;
    return table;
}

const GbkTable& gbkTable()
{
    static const GbkTable table = buildGbkTable();
    return table;
}

QByteArray decodeGbkByTable(const GbkTable& table, QByteArrayView bytes)
{
    // No GBK byte or pair gives more than three UTF-8 bytes, and a character is copied as
    // four; the part of the buffer that is not written is never touched.
    QByteArray out(3 * bytes.size() + 4, Qt::Uninitialized);
    char* o = out.data();
    const auto* begin = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* in = begin;
    const auto* const end = begin + bytes.size();
    const auto put = [&o](const Utf8Char& c) {
        std::memcpy(o, &c, sizeof c);
        o += c.length;
    };
    const auto putReplacement = [&o] {
        std::memcpy(o, replacementUtf8, 3);
        o += 3;
    };
    while (in < end) {
        if (*in < 0x80) {
            // Markup is ASCII: copy eight bytes at a time while they are.
            while (end - in >= 8) {
                std::uint64_t word;
                std::memcpy(&word, in, 8);
                if (word & 0x8080808080808080ull)
                    break;
                std::memcpy(o, &word, 8);
                in += 8;
                o += 8;
            }
            while (in < end && *in < 0x80)
                *o++ = char(*in++);
            continue;
        }
        const int row = table.leadIndex[*in];
        if (row >= 0) {
            if (end - in < 2) {
                putReplacement(); // the answer ends inside a character
                break;
            }
            const Utf8Char& c = table.pairs[size_t(row) * 256 + in[1]];
            if (c.length > 0) {
                put(c);
                in += 2;
                continue;
            }
        } else if (table.single[*in].length > 0) {
            put(table.single[*in]);
            ++in;
            continue;
        }
        putReplacement();
        in += badSequenceLength(bytes, in - begin, true);
    }
    out.truncate(o - out.constData());
    out.squeeze();
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

QByteArray decodeGbkToUtf8(QByteArrayView bytes)
{
    const GbkTable& table = gbkTable();
    if (table.usable)
        return decodeGbkByTable(table, bytes);
    // glibc's GBK is code page 936 as Windows has it, the euro sign at 0x80 included.
    return decodeWith("GBK", bytes, true).value_or(QByteArray());
}

QString decodeGbk(const QByteArray& bytes)
{
    return QString::fromUtf8(decodeGbkToUtf8(bytes));
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

QByteArray decodeDeclaredToUtf8(const QByteArray& contentTypeHeader, const QByteArray& body)
{
    // A byte-order mark outweighs any declaration, as in a browser. UTF-8 needs no conversion,
    // only mending: iconv would pass its five- and six-byte forms through.
    if (body.startsWith("\xEF\xBB\xBF"))
        return wellFormedUtf8(body.sliced(3));

    const QByteArray charset = declaredCharset(contentTypeHeader, body);
    if (charset.isEmpty() || isGbkFamily(charset) || !isPlainCharsetName(charset))
        return decodeGbkToUtf8(body);
    const QByteArray name = iconvName(charset);
    if (name == "UTF-8")
        return wellFormedUtf8(body);
    if (charset == "gb18030") {
        if (std::optional<QByteArray> text = decodeWith("GB18030", body, true))
            return *std::move(text);
        return decodeGbkToUtf8(body);
    }
    if (std::optional<QByteArray> text = decodeWith(name.constData(), body, false))
        return *std::move(text);
    return decodeGbkToUtf8(body);
}

QString decodeDeclared(const QByteArray& contentTypeHeader, const QByteArray& body)
{
    return QString::fromUtf8(decodeDeclaredToUtf8(contentTypeHeader, body));
}

} // namespace veldrin
