#include "platform/innertext.h"

namespace veldrin {

QString innerTextOfHtml(const QString& html)
{
    return html;
}

HtmlPage parseHtmlPage(const QString& html, const QUrl&)
{
    return HtmlPage { innerTextOfHtml(html), {}, {} };
}

} // namespace veldrin
