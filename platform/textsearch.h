#pragma once

#include <QString>
#include <optional>

namespace veldrin {

// 1-based position where the last occurrence of `needle` starts in `text`, or 0.
// Positions count UTF-16 code units, as every cut of the lookups does. Overlapping
// occurrences count, and an empty needle gives the text's length.
qsizetype FindLastPos(const QString& needle, const QString& text);

// The positions of one cut, kept by the caller for as long as that cut needs them.
struct CutPositions
{
    qsizetype start = 0; // 1-based
    qsizetype end = 0; // 1-based, exclusive
};

// The end - start units of `text` from the 1-based `start`. No value when the count is
// negative or the start falls before position 1; a count beyond the text takes the rest,
// a start beyond the text gives an empty value.
std::optional<QString> cutText(const QString& text, qsizetype start, qsizetype end);

// The cut of the lookups: start = FindLastPos(startMarker) + len(startMarker) + startOffset,
// end = FindLastPos(endMarker) - endOffset, then cutText. A start marker that does not occur
// also gives no value, so a page without the value never passes for one.
std::optional<QString> cutBetween(const QString& text, const QString& startMarker, qsizetype startOffset,
                                  const QString& endMarker, qsizetype endOffset);

} // namespace veldrin
