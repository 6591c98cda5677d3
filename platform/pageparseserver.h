#pragma once

#include "platform/documentfacts.h"
#include "platform/innertextwalker.h"
#include "platform/pageparseformat.h"

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
// value where the parse ran out of memory. Nothing stops it on the way: the parser's process,
// which does this for each request, is ended at the stop; the fuzz targets do it in their own.
std::optional<ParsedPage> parsePage(std::string_view utf8, Wanted wanted, html::TextStorage& text);

// The parser's work for one request, in a process of its own: reads it from the file `request`
// (its head, then the page), parses, and writes the answer to `answer`. The process is killed at
// the request's deadline, where it has one. The exit status: 2 for a request of another format
// or cut short, 1 for a page that could not be parsed; both are answered with nothing.
int servePageParse(int request, int answer);

// The parser's program: takes requests from `control`, one message each with three descriptors
// (the request file, a Unix socket to the caller, the answer's pipe), and serves each in a
// process forked for that page alone, which first sends the caller a pidfd of itself on the
// socket, then runs `servePage` on the request and the pipe. The program starts once, and a
// page costs a fork of this small process instead of the start of a program; no page's process
// sees another's page, and one that is ended takes nothing of the others with it. Each dies
// with the program's, which the caller ends when it stops waiting for it. Ends, with its
// status, once the other end of `control` is closed: the caller's process is gone.
int servePageParses(int control, int (*servePage)(int request, int answer) = &servePageParse);

} // namespace veldrin::pageparse
