#pragma once

#include <QColor>
#include <QPalette>
#include <QRect>
#include <QString>
#include <QWidget>

namespace veldrin {

// Layout values are given in twips; the windows are laid out at 15 twips per pixel.
constexpr int twipsToPixels(int twips)
{
    return twips >= 0 ? (twips + 7) / 15 : -((-twips + 7) / 15);
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

} // namespace veldrin

namespace veldrin::layout {

// Names a control as the program calls it and places it at a twips rectangle in its parent.
template<typename W> W* place(W* widget, const QString& name, QRect twips)
{
    widget->setObjectName(name);
    widget->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    return widget;
}

// Text colours of the panels' labels.
inline const QColor statusBlue(0, 0, 255);
inline const QColor warningRed(192, 0, 0);
inline const QColor linkBlue(0, 0, 192);

// Sets the text colour of an enabled control; a disabled one keeps the greyed text of the
// style, so a disabled link still looks unusable.
inline void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, colour);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// Twips rectangles of one input row of a panel: the prompt at the left, the input box in the
// middle and the query button at the right, lined up on their centres.
struct InputRow
{
    QRect prompt;
    QRect box;
    QRect button;
};

inline InputRow inputRowAt(int top)
{
    return InputRow { QRect(240, top + 60, 1320, 300), QRect(1680, top + 30, 2895, 360), QRect(4695, top, 1095, 420) };
}

// The full inner width of a panel, for explanation, result and status lines.
inline QRect lineAt(int top, int height = 300)
{
    return QRect(240, top, 5550, height);
}

} // namespace veldrin::layout
