#pragma once

#include "platform/parsedhtml.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace veldrin::html {

// What the whole document gives besides the body's text, in a form that crosses a pipe as it
// is: every href one after the other, each ended by a NUL (gumbo's values hold none).
struct DocumentFacts
{
    QByteArray hrefs;
    bool hasBaseHref = false;
    QByteArray baseHref;
    QString title;
};

// The whole document in order, head included. Template contents are not part of the document,
// and a browser that runs scripts reads no markup inside <noscript>. No value when the stop is
// reached on the way.
std::optional<DocumentFacts> collectFacts(const ParsedHtml& parsed, const ParseStop* stop);

} // namespace veldrin::html
