#pragma once

#include <cstdint>
#include <limits>

namespace veldrin::pageparse {

// What the program and its page parser say to each other. Both are built together, but a parser
// of another build can stand beside the program: a request and an answer each start with this
// magic and the format's version, and one that does not is refused whole. The parser is
// trusted with nothing: what it answers is read as input from outside.
inline constexpr std::uint64_t magic = 0x31'45'47'41'50'44'4C'56; // "VLDPAGE1"
inline constexpr std::uint32_t formatVersion = 1;

enum class Wanted : std::uint32_t
{
    Text = 1, // the body's text
    WholePage = 2, // the text and the document's facts
};

inline constexpr std::int64_t noDeadline = std::numeric_limits<std::int64_t>::max();

// The start of a request; the page, as UTF-8, follows it to the end.
struct RequestHead
{
    std::uint64_t magic;
    std::uint32_t version;
    std::uint32_t wanted;
    std::int64_t deadline; // steady-clock nanoseconds, the same in every process; noDeadline for none
    std::uint64_t pageBytes;
};

// The start of an answer. Its parts follow in this order, then answerEnd: an answer without it
// is cut short. A whole page's facts are the page's UTF-8 in NUL-ended strings, as gumbo's
// values are (they hold no NUL); a text has none of them.
struct AnswerHead
{
    std::uint64_t magic;
    std::uint32_t version;
    std::uint32_t wanted;
    std::uint64_t textUnits; // the body's text, UTF-16 code units
    std::uint64_t hrefsBytes; // every href of a link, one after the other, each NUL-ended
    std::uint64_t baseHrefBytes; // the first <base href>, NUL-ended; 0 where there is none
    std::uint64_t titleBytes; // the text pieces of the first <title>, each NUL-ended
};

inline constexpr std::uint64_t answerEnd = ~magic;

// What an answer can hold for a page of `pageBytes`, checked before anything is allocated for
// it. The text never holds more than two units for a byte of the page (a line end inside <pre>
// gives CR LF). The facts are the page's own bytes, at most three of them for one of the page
// (a NUL becomes U+FFFD) and a NUL for each string; but a link left open is copied into each
// paragraph after it, as a browser copies it: a page whose links pass four times its size is
// not parsed, as a page that cannot be.
constexpr std::uint64_t maxTextUnits(std::uint64_t pageBytes)
{
    return 2 * pageBytes + 16;
}
constexpr std::uint64_t maxFactBytes(std::uint64_t pageBytes)
{
    return 4 * pageBytes + 16;
}

} // namespace veldrin::pageparse
