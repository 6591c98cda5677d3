#pragma once

#include "platform/parsedhtml.h"

#include <QString>
#include <optional>

namespace veldrin::html {

// The body's inner text as a browser renders it for a page without style sheets (see
// innerTextOfHtml), with line breaks as CR LF. No value where the parse was given up or `stop`
// is reached on the way.
std::optional<QString> renderBody(const ParsedHtml& parsed, qsizetype utf8Size, const ParseStop* stop);

} // namespace veldrin::html
