#include "platform/innertext.h"

#include "platform/pageparse.h"
#include "platform/pageparseserver.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace veldrin {

namespace {

std::atomic<int> parsesRunning { 0 };

// Counts itself among the running parses for as long as it lives.
struct RunningParse
{
    RunningParse() { parsesRunning.fetch_add(1); }
    ~RunningParse() { parsesRunning.fetch_sub(1); }
    RunningParse(const RunningParse&) = delete;
    RunningParse& operator=(const RunningParse&) = delete;
};

// Runs one parse, counted among the running ones while it lasts. One that runs out of memory is
// a failed parse (no value), never an exception out of the thread that asked for it.
template<class Parse> auto countedParse(const Parse& parse) -> decltype(parse())
{
    const RunningParse running;
    try {
        return parse();
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

// What a browser does to an href before parsing it: blanks and control characters at either
// end go, tabs and line ends inside go.
QString cleanedHref(const char* href)
{
    const QString raw = QString::fromUtf8(href);
    qsizetype begin = 0;
    qsizetype end = raw.size();
    while (begin < end && raw[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && raw[end - 1].unicode() <= 0x20)
        --end;
    QString cleaned;
    cleaned.reserve(end - begin);
    for (qsizetype i = begin; i < end; ++i) {
        const QChar c = raw[i];
        if (c != u'\t' && c != u'\n' && c != u'\r')
            cleaned.append(c);
    }
    return cleaned;
}

QString resolvedHref(const QUrl& base, const QString& href)
{
    QUrl resolved = base.resolved(QUrl(href, QUrl::TolerantMode));
    // An address that cannot be parsed is handed on as written, as a browser's href gives it.
    if (!resolved.isValid() || resolved.isEmpty())
        return href;
    // A browser gives a web address with no path its "/": "http://host" reads "http://host/".
    const QString scheme = resolved.scheme();
    if ((scheme == u"http" || scheme == u"https") && !resolved.host().isEmpty() && resolved.path().isEmpty())
        resolved.setPath(QStringLiteral("/"));
    return resolved.toString(QUrl::FullyEncoded);
}

bool isAsciiWhitespace(QChar qc)
{
    const char16_t c = qc.unicode();
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// The title's text pieces, each NUL-ended, with runs of white space as one blank and none at
// either end.
QString collapsedTitle(const std::string& pieces)
{
    QString raw;
    for (const char* piece = pieces.c_str(); piece < pieces.c_str() + pieces.size(); piece += std::strlen(piece) + 1)
        raw.append(QString::fromUtf8(piece));
    QString collapsed;
    collapsed.reserve(raw.size());
    bool blank = false;
    for (const QChar c : std::as_const(raw)) {
        if (isAsciiWhitespace(c)) {
            blank = true;
            continue;
        }
        if (blank && !collapsed.isEmpty())
            collapsed.append(u' ');
        blank = false;
        collapsed.append(c);
    }
    return collapsed;
}

// The hrefs made absolute, against a <base href> where the page has one. No value when the
// stop is reached on the way: a page can hold a million links, each a URL to parse.
std::optional<HtmlPage> assembledPage(QString text, html::DocumentFacts facts, const QUrl& baseUrl,
                                      const ParseStop* stop)
{
    HtmlPage page;
    page.innerText = std::move(text);
    page.title = collapsedTitle(facts.titlePieces);
    QUrl base = baseUrl;
    if (facts.hasBaseHref) {
        const QUrl declared = baseUrl.resolved(QUrl(cleanedHref(facts.baseHref.c_str()), QUrl::TolerantMode));
        if (declared.isValid() && !declared.isEmpty())
            base = declared;
    }
    page.links.reserve(qsizetype(std::count(facts.hrefs.begin(), facts.hrefs.end(), '\0')));
    constexpr qsizetype linksPerStopCheck = 256;
    const char* href = facts.hrefs.c_str();
    const char* const end = href + facts.hrefs.size();
    for (qsizetype i = 0; href < end; ++i) {
        if (stop && i % linksPerStopCheck == 0 && stop->reached())
            return std::nullopt;
        page.links.append(resolvedHref(base, cleanedHref(href)));
        href += std::strlen(href) + 1;
    }
    return page;
}

// The text the walker writes, straight into the string it gives.
class StringText final : public html::TextStorage
{
public:
    explicit StringText(QString& text)
        : m_text(text)
    {
    }

    char16_t* resize(std::size_t units) override
    {
        m_text.resize(qsizetype(units));
        return reinterpret_cast<char16_t*>(m_text.data());
    }

private:
    QString& m_text;
};

// Parses in this process, where nothing ends the parse early.
std::optional<ParseResult> parseHere(QByteArrayView utf8, Wanted wanted)
{
    ParseResult result;
    StringText text(result.text);
    std::optional<pageparse::ParsedPage> parsed
        = pageparse::parsePage(std::string_view(utf8.data(), size_t(utf8.size())), wanted, text);
    if (!parsed)
        return std::nullopt;
    result.text.squeeze();
    result.facts = std::move(parsed->facts);
    return result;
}

// The text of a parse; none where the parse gave none.
std::optional<QString> textOf(std::optional<ParseResult> result)
{
    if (!result)
        return std::nullopt;
    return std::move(result->text);
}

// The page of a parse, its links made absolute (assembledPage); none where the parse gave none.
std::optional<HtmlPage> pageOf(std::optional<ParseResult> result, const QUrl& baseUrl, const ParseStop* stop)
{
    if (!result)
        return std::nullopt;
    return assembledPage(std::move(result->text), std::move(result->facts), baseUrl, stop);
}

} // namespace

std::optional<QString> innerTextOfUtf8Html(QByteArrayView utf8, const ParseStop& stop)
{
    return countedParse([&] { return textOf(parseInChild(utf8, stop, Wanted::Text)); });
}

// Without a stop a parse ends only where memory runs out (or the parser fails): it then gives
// no text.
QString innerTextOfUtf8Html(QByteArrayView utf8)
{
    return innerTextOfUtf8Html(utf8, ParseStop {}).value_or(QString());
}

QString innerTextOfHtml(const QString& html)
{
    return innerTextOfUtf8Html(html.toUtf8());
}

std::optional<HtmlPage> parseUtf8HtmlPage(QByteArrayView utf8, const QUrl& baseUrl, const ParseStop& stop)
{
    return countedParse([&] { return pageOf(parseInChild(utf8, stop, Wanted::WholePage), baseUrl, &stop); });
}

HtmlPage parseUtf8HtmlPage(QByteArrayView utf8, const QUrl& baseUrl)
{
    return parseUtf8HtmlPage(utf8, baseUrl, ParseStop {}).value_or(HtmlPage {});
}

HtmlPage parseHtmlPage(const QString& html, const QUrl& baseUrl)
{
    return parseUtf8HtmlPage(html.toUtf8(), baseUrl);
}

QString innerTextOfUtf8HtmlInProcess(QByteArrayView utf8)
{
    return countedParse([&] { return textOf(parseHere(utf8, Wanted::Text)); }).value_or(QString());
}

HtmlPage parseUtf8HtmlPageInProcess(QByteArrayView utf8, const QUrl& baseUrl)
{
    return countedParse([&] { return pageOf(parseHere(utf8, Wanted::WholePage), baseUrl, nullptr); })
        .value_or(HtmlPage {});
}

int htmlParsesRunning()
{
    return parsesRunning.load();
}

} // namespace veldrin
