#include "app/picturebutton.h"

#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace veldrin {

namespace {

// Air inside the bevel: a pixel at the sides; none above and below, where the shallow button
// has none to spare.
constexpr int sidePadding = 1;
constexpr int largestSide = 16;
// Below this the pictures' shapes no longer read.
constexpr int smallestSide = 14;
constexpr int gapAbove = 1;
constexpr int gapLeft = 2;

} // namespace

PictureButton::PictureButton(const QString& caption, const QIcon& picture, QWidget* parent)
    : QPushButton(caption, parent)
{
    setIcon(picture);
    setIconSize(QSize(largestSide, largestSide));
}

// The style's content rectangle (inside the bevel) less the air at its sides.
QRect PictureButton::area() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()
        ->subElementRect(QStyle::SE_PushButtonContents, &option, this)
        .adjusted(sidePadding, 0, -sidePadding, 0);
}

// One line where the caption fits the width, else broken after each "、".
QStringList PictureButton::lines() const
{
    const QString caption = text();
    if (fontMetrics().horizontalAdvance(caption) <= area().width() || !caption.contains(u'、'))
        return { caption };
    QStringList parts = caption.split(u'、', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i + 1 < parts.size(); ++i)
        parts[i] += u'、';
    return parts;
}

PictureButton::Arrangement PictureButton::arrange() const
{
    const QFontMetrics metrics = fontMetrics();
    const QRect space = area();
    Arrangement result { {}, {}, lines() };
    const int textHeight = int(result.lines.size()) * metrics.lineSpacing();
    if (result.lines.size() == 1) {
        const int side = std::clamp(space.height() - textHeight - gapAbove, 0, largestSide);
        const int top = space.top() + (space.height() - side - gapAbove - textHeight) / 2;
        result.picture = QRect(space.left() + (space.width() - side) / 2, top, side, side);
        result.text = QRect(space.left(), top + side + gapAbove, space.width(), textHeight);
        return result;
    }
    // Measured by ink, so a line's closing "、" (whose glyph is mostly blank) takes no room.
    int textWidth = 0;
    for (const QString& line : result.lines)
        textWidth = std::max(textWidth, metrics.boundingRect(line).right() + 1);
    const int side = std::clamp(std::min(space.height(), space.width() - gapLeft - textWidth), 0, largestSide);
    const int left = space.left() + (space.width() - side - gapLeft - textWidth) / 2;
    result.picture = QRect(left, space.top() + (space.height() - side) / 2, side, side);
    result.text = QRect(left + side + gapLeft, space.top() + (space.height() - textHeight) / 2, textWidth, textHeight);
    return result;
}

QSize PictureButton::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    const QStringList shown = lines();
    // What the bevel and the air take around the content.
    const QSize frame = size() - area().size();
    const int textHeight = int(shown.size()) * metrics.lineSpacing();
    if (shown.size() == 1) {
        const int textWidth = metrics.horizontalAdvance(shown.front());
        return frame + QSize(std::max(textWidth, smallestSide), smallestSide + gapAbove + textHeight);
    }
    int textWidth = 0;
    for (const QString& line : shown)
        textWidth = std::max(textWidth, metrics.boundingRect(line).right() + 1);
    return frame + QSize(smallestSide + gapLeft + textWidth, std::max(smallestSide, textHeight));
}

QSize PictureButton::minimumSizeHint() const
{
    return sizeHint();
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }

    const Arrangement shown = arrange();
    icon().paint(&painter, shown.picture, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    const Qt::Alignment alignment = shown.lines.size() == 1 ? Qt::AlignHCenter : Qt::AlignLeft;
    const int lineHeight = fontMetrics().lineSpacing();
    for (qsizetype i = 0; i < shown.lines.size(); ++i) {
        const QRect line(shown.text.left(), shown.text.top() + int(i) * lineHeight, shown.text.width(), lineHeight);
        painter.drawItemText(line, alignment | Qt::AlignVCenter, palette(), isEnabled(), shown.lines[i],
                             QPalette::ButtonText);
    }
}

} // namespace veldrin
