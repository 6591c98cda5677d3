#include "platform/textsearch.h"

namespace veldrin {

qsizetype FindLastPos(const QString& needle, const QString& text)
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

std::optional<QString> cutBetween(const QString& text, const QString& startMarker, qsizetype startOffset,
                                  const QString& endMarker, qsizetype endOffset)
{
    const qsizetype startMarkerPos = FindLastPos(startMarker, text);
    if (startMarkerPos == 0)
        return std::nullopt;
    const qsizetype start = startMarkerPos + startMarker.size() + startOffset;
    const qsizetype end = FindLastPos(endMarker, text) - endOffset;
    return cutText(text, start, end);
}

} // namespace veldrin
