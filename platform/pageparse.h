#pragma once

#include "platform/documentfacts.h"
#include "platform/parsestop.h"

#include <QByteArrayView>
#include <QString>
#include <optional>
#include <string>

namespace veldrin {

// The page parser's own program, which the parses of innertext.h start as their child process:
// beside the running program, or else where the build put it. Empty where there is none: pages
// are then parsed in the caller's process. Looked up once; safe from any thread.
const std::string& pageParserProgram();

// The page parser's work, for its main: reads a request from `input` (what is wanted, the stop's
// deadline, the page as UTF-8), parses, and writes the result to `output`. The exit status.
int servePageParse(int input, int output);

// What a parse makes of a page before its links are made absolute: the body's text and, for a
// whole page, the document's facts.
struct ParseResult
{
    QString text;
    html::DocumentFacts facts; // only for a whole page
};

enum class Wanted
{
    Text,
    WholePage,
};

// Parses in this process: stopped where the parser allocates and during the walks.
std::optional<ParseResult> parseHere(QByteArrayView utf8, const ParseStop* stop, Wanted wanted);

// Parses in a child process, which is ended the moment the stop is reached. The parser can be
// stopped from inside only where it allocates, and some pages keep it busy for seconds without
// an allocation (a formatting element open over thousands of open elements makes it look
// through all of them at every character of text); a process ends at once, whatever it is
// doing, and a fault of the parser's ends only the child. The text and the document's facts
// are made there; what needs more than memory (links resolved by QUrl) is made here, after.
std::optional<ParseResult> parseInChild(QByteArrayView utf8, const ParseStop& stop, Wanted wanted);

} // namespace veldrin
