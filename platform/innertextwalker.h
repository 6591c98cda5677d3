#pragma once

#include "platform/parsedhtml.h"

#include <cstddef>
#include <optional>

namespace veldrin::html {

// Where the walker writes the text: UTF-16 code units in storage of the caller's, which the
// walker sizes as it goes.
class TextStorage
{
public:
    virtual ~TextStorage() = default;
    // Makes the storage `units` long, keeping what it holds, and gives its start. Throws
    // std::bad_alloc where it cannot.
    virtual char16_t* resize(std::size_t units) = 0;
};

// The body's inner text as a browser renders it for a page without style sheets (see
// innerTextOfHtml), with line breaks as CR LF, written into `storage`, which is left as long as
// the text: its length. No value where the parse ran out of memory.
std::optional<std::size_t> renderBody(const ParsedHtml& parsed, std::size_t utf8Size, TextStorage& storage);

} // namespace veldrin::html
