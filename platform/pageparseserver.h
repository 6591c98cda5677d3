#pragma once

#include "platform/documentfacts.h"
#include "platform/innertextwalker.h"
#include "platform/pageparseformat.h"
#include "platform/parsestop.h"

#include <cstddef>
#include <optional>
#include <string_view>

// The page parser's side: what it makes of a page and how it answers a request. No Qt here: the
// parser's program links only this, gumbo and the C++ library.
namespace veldrin::pageparse {

// What the parser makes of a page besides the text it writes into its storage.
struct ParsedPage
{
    std::size_t textUnits = 0; // the body's text, as long as the storage was left
    html::DocumentFacts facts; // only for a whole page
};

// Parses `utf8`: the body's text into `text` and, for a whole page, the document's facts. No
// value where the parse was given up at `stop` (none: it runs to its end) or failed. The
// parser's process does this for each request; the fuzz targets do it in their own.
std::optional<ParsedPage> parsePage(std::string_view utf8, const ParseStop* stop, Wanted wanted,
                                    html::TextStorage& text);

// The parser's work for one request: reads it from the file `request` (its head, then the
// page), parses, and writes the answer to `answer`. The exit status: 2 for a request of another
// format or cut short, 1 for a page that could not be parsed; both are answered with nothing.
int servePageParse(int request, int answer);

} // namespace veldrin::pageparse
