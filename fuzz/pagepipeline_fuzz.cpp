// libFuzzer target: any bytes as a page's answer, down both roads a page takes to the lookups
// (the page-text fetch's GBK decode and inner text; the page loader's declared charset and
// whole page). Whatever comes in, nothing crashes and what comes out is well-formed text.

#include "platform/innertext.h"
#include "platform/textcodec.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // The page-text fetch: GBK whatever is declared, then the body's inner text. Parsed in this
    // process: the fetch's own parse runs in a child, where the fuzzer's coverage does not reach.
    const QByteArray utf8 = veldrin::decodeGbkToUtf8(body);
    require(utf8.isValidUtf8(), "GBK decoded to UTF-8");
    const QString text = veldrin::innerTextOfUtf8HtmlInProcess(utf8);
    require(text.isValidUtf16(), "page text");

    // The page loader: the charset the page declares (GBK when none), then text, links and title.
    const QByteArray declared = veldrin::decodeDeclaredToUtf8({}, body);
    require(declared.isValidUtf8(), "declared charset decoded to UTF-8");
    const veldrin::HtmlPage page
        = veldrin::parseUtf8HtmlPageInProcess(declared, QUrl(QStringLiteral("http://127.0.0.1:8080/dir/page.htm")));
    require(page.innerText.isValidUtf16(), "loaded page's text");
    require(page.title.isValidUtf16(), "title");
    for (const QString& link : page.links)
        require(link.isValidUtf16(), "link");
    return 0;
}
