#pragma once

#include <string>

namespace veldrin {

// The page parser's own program, which the parses of innertext.h start as their child process:
// beside the running program, or else where the build put it. Empty where there is none: pages
// are then parsed in the caller's process. Looked up once; safe from any thread.
const std::string& pageParserProgram();

// The page parser's work, for its main: reads a request from `input` (what is wanted, the stop's
// deadline, the page as UTF-8), parses, and writes the result to `output`. The exit status.
int servePageParse(int input, int output);

} // namespace veldrin
