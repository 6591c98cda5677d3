#pragma once

#include "platform/documentfacts.h"
#include "platform/pageparseformat.h"
#include "platform/parsestop.h"

#include <QByteArrayView>
#include <QString>
#include <optional>
#include <string>
#include <sys/types.h>

namespace veldrin {

// The page parser's own program, which the parses of innertext.h start and ask for each page:
// `veldrin-pageparse` in the running program's folder, and nowhere else, unless another was
// named. Empty where the program's folder cannot be known. Safe from any thread.
std::string pageParserProgram();

// Names the page parser's program for the tests, benchmarks and fuzz targets, which run from
// folders of their own; empty goes back to the one beside the running program. The product
// never calls it.
void setPageParserProgram(const std::string& program);

// The page parser's program while it runs, -1 while none does: it lives as long as the program
// (or until another parser is named) and is no page's; the processes of the pages it parses
// are its children. For the tests that look for processes left behind.
pid_t pageParserProcess();

// Ends the page parser's program and reaps it; the next page starts another. For the
// benchmarks, which find what the pages' processes used counted once it is reaped.
void endPageParser();

// What a parse makes of a page before its links are made absolute: the body's text and, for a
// whole page, the document's facts.
struct ParseResult
{
    QString text;
    html::DocumentFacts facts; // only for a whole page
};

using Wanted = pageparse::Wanted;

// Parses in a process of its own, which is ended the moment the stop is reached. The parser can
// be stopped from inside only where it allocates, and some pages keep it busy for seconds
// without an allocation (a formatting element open over thousands of open elements makes it
// look through all of them at every character of text); a process ends at once, whatever it is
// doing, and a fault of the parser's ends only that process. So no page is parsed in the
// caller's process, where nothing could end it: where the parser's program cannot be started
// there is no value, and the program says so once on its standard error. The page's process is
// forked by the parser's program (pageparseserver.h), started with the first page; the text and
// the document's facts are made there, and what needs more than memory (links resolved by QUrl)
// is made here, after.
std::optional<ParseResult> parseInChild(QByteArrayView utf8, const ParseStop& stop, Wanted wanted);

} // namespace veldrin
