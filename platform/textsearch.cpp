#include "platform/textsearch.h"

namespace veldrin {

qsizetype FindLastPos(QStringView needle, QStringView text)
{
    if (text.isEmpty())
        return 0;
    if (needle.isEmpty())
        return text.size();
    // lastIndexOf compares code unit by code unit and finds overlapping occurrences,
    // which is what the callers rely on.
    const qsizetype index = text.lastIndexOf(needle, -1, Qt::CaseSensitive);
    return index < 0 ? 0 : index + 1;
}

std::optional<QString> cutText(const QString& text, qsizetype start, qsizetype end)
{
    const qsizetype count = end - start;
    if (count < 0 || start < 1)
        return std::nullopt;
    if (start > text.size())
        return QString();
    return text.mid(start - 1, count);
}

std::optional<QString> cutBetween(const QString& text, QStringView startMarker, qsizetype startOffset,
                                  QStringView endMarker, qsizetype endOffset)
{
    const qsizetype startMarkerPos = FindLastPos(startMarker, text);
    if (startMarkerPos == 0)
        return std::nullopt;
    const qsizetype start = startMarkerPos + startMarker.size() + startOffset;
    const qsizetype end = FindLastPos(endMarker, text) - endOffset;
    return cutText(text, start, end);
}

qsizetype findFrom(QStringView needle, QStringView text, qsizetype from)
{
    if (from < 1 || needle.isEmpty())
        return 0;
    const qsizetype index = text.indexOf(needle, from - 1, Qt::CaseSensitive);
    return index < 0 ? 0 : index + 1;
}

std::optional<PhraseHit> findEarliest(QStringView text, std::initializer_list<QStringView> phrases)
{
    std::optional<PhraseHit> earliest;
    qsizetype index = 0;
    for (QStringView phrase : phrases) {
        const qsizetype position = findFrom(phrase, text);
        // Strictly earlier only, so at one position the phrase listed first keeps its place.
        if (position > 0 && (!earliest || position < earliest->position))
            earliest = PhraseHit { index, position };
        ++index;
    }
    return earliest;
}

} // namespace veldrin
