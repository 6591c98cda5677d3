#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QUrl>

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

} // namespace veldrin
