#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

namespace veldrin {

// The mark inside a verdict badge.
enum class BadgeMark
{
    Tick,
    Cross,
    Question
};

// A verdict picture of the URL safety check, drawn here rather than shipped: a coloured round
// badge with a white mark, the verdict's word under it, 82 by 106 pixels.
QPixmap verdictBadge(const QColor& colour, BadgeMark mark, const QString& word);

} // namespace veldrin
