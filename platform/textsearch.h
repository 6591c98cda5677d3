#pragma once

#include <QString>
#include <QStringView>
#include <initializer_list>
#include <optional>

namespace veldrin {

// 1-based position where the last occurrence of `needle` starts in `text`, or 0.
// Positions count UTF-16 code units, as every cut of the lookups does. Overlapping
// occurrences count, and an empty needle gives the text's length.
qsizetype FindLastPos(QStringView needle, QStringView text);

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
std::optional<QString> cutBetween(const QString& text, QStringView startMarker, qsizetype startOffset,
                                  QStringView endMarker, qsizetype endOffset);

// One cut of a lookup, written next to the lookup as a constant.
struct Cut
{
    QStringView startMarker;
    qsizetype startOffset;
    QStringView endMarker;
    qsizetype endOffset;
};

inline std::optional<QString> cut(const QString& text, const Cut& what)
{
    return cutBetween(text, what.startMarker, what.startOffset, what.endMarker, what.endOffset);
}

// 1-based position of the first occurrence of `needle` that starts at or after the 1-based
// `from`, or 0. The forward scans of the lookups, done as one pass.
qsizetype findFrom(QStringView needle, QStringView text, qsizetype from = 1);

// Which of `phrases` occurs first in `text`: its index in the list and its 1-based position.
// At one position the phrase listed first wins. No value when none occurs.
struct PhraseHit
{
    qsizetype index = 0;
    qsizetype position = 0;
};
std::optional<PhraseHit> findEarliest(QStringView text, std::initializer_list<QStringView> phrases);

} // namespace veldrin
