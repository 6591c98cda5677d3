#pragma once

#include "platform/parsedhtml.h"

#include <string>

namespace veldrin::html {

// What the whole document gives besides the body's text, as the page's UTF-8 in a form that
// crosses between processes as it is: strings one after the other, each ended by a NUL (gumbo's
// values hold none). Links are made absolute, and the title's white space collapsed, by the
// caller.
struct DocumentFacts
{
    std::string hrefs; // the href of every <a> and <area> that has one, in document order
    bool hasBaseHref = false;
    std::string baseHref; // the first <base href>, without its NUL
    std::string titlePieces; // the text pieces of the first <title>
};

// The whole document in order, head included. Template contents are not part of the document,
// and a browser that runs scripts reads no markup inside <noscript>.
DocumentFacts collectFacts(const ParsedHtml& parsed);

} // namespace veldrin::html
