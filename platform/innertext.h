#pragma once

#include "platform/parsestop.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace veldrin {

// What the lookups read of a parsed page.
struct HtmlPage
{
    QString innerText; // the body's rendered text, line breaks as CR LF
    QStringList links; // href of every <a> and <area> with one, in document order, made absolute
    QString title; // the <title> text, white space collapsed
};

// The body's inner text as a browser renders it for a page without style sheets (the user
// agent's default display of each element): hidden elements give nothing; blocks give line
// breaks (CR LF), paragraphs a blank line, <br> and table rows a line break, table cells a tab;
// white space collapsed outside <pre>, but not into images and other atomic inline boxes;
// options of pick lists one per line; text of inline SVG drawings; entities resolved, U+00A0
// kept.
QString innerTextOfHtml(const QString& html);

// The same from the page as UTF-8, the form the parser reads: no conversion on the way in.
QString innerTextOfUtf8Html(QByteArrayView utf8);

// Inner text, links (made absolute against `baseUrl`, or a <base href> in the page) and title.
HtmlPage parseHtmlPage(const QString& html, const QUrl& baseUrl);
HtmlPage parseUtf8HtmlPage(QByteArrayView utf8, const QUrl& baseUrl);

// The same, given up (no value) once `stop` is reached, during the parse or the work after it,
// or where the parser failed. The functions above and these parse in a process of its own for
// each page (pageparse.h), ended at the stop: neither the parser's time nor a fault of its
// reaches the caller's process, and what it answers is checked before it is believed. Where no
// such process can be had, no page is parsed: no value (the functions above give an empty text
// and page).
std::optional<QString> innerTextOfUtf8Html(QByteArrayView utf8, const ParseStop& stop);
std::optional<HtmlPage> parseUtf8HtmlPage(QByteArrayView utf8, const QUrl& baseUrl, const ParseStop& stop);

// The same as innerTextOfUtf8Html and parseUtf8HtmlPage without a stop, parsed in the caller's
// process, where nothing ends a parse early: for the fuzz targets only, whose coverage does not
// see into a child process.
QString innerTextOfUtf8HtmlInProcess(QByteArrayView utf8);
HtmlPage parseUtf8HtmlPageInProcess(QByteArrayView utf8, const QUrl& baseUrl);

// How many parses are running now, on any thread, their pages' processes included (a parse ends
// once its page's process has ended): a page given up on leaves none behind.
int htmlParsesRunning();

// The reason given for a page that was had but could not be parsed: no parser could be started,
// or the one started failed.
inline QString unparsedPageError()
{
    return QStringLiteral("无法解析页面");
}

} // namespace veldrin
