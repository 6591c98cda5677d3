#pragma once

#include <QString>
#include <optional>

namespace veldrin {

// A messenger number as the presence request carries it: 5 to 10 ASCII digits, written
// without leading zeros ("0" when all are zeros). No value for anything else, signs,
// blanks and fractions included.
std::optional<QString> messengerNumberText(const QString& typed);

// The decimal text of a number text's value plus one, worked on its digits so that no digit
// is lost however long the number is; an empty text counts as 0. No value when the text is
// not a whole number.
std::optional<QString> nextWholeNumberText(const QString& text);

// The number-range search for an area code and a telephone number: the web search for every
// number that shares the number's digits but its last four.
enum class RangeCheck
{
    Ready,
    // Both are numbers, but not whole ones.
    NotWhole,
    // One of them is no number, or the number is shorter than four characters.
    Unreadable
};

struct RangeSearch
{
    RangeCheck check = RangeCheck::Unreadable;
    QString pathAndQuery; // set when Ready
};

RangeSearch rangeSearch(const QString& areaCode, const QString& number);

} // namespace veldrin
