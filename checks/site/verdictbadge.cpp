#include "checks/site/verdictbadge.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace veldrin {

QPixmap verdictBadge(const QColor& colour, BadgeMark mark, const QString& word)
{
    constexpr int width = 82;
    constexpr int height = 106;
    constexpr int diameter = 76;
    QPixmap picture(width, height);
    picture.fill(Qt::transparent);

    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle((width - diameter) / 2.0, 2, diameter, diameter);
    painter.setPen(QPen(colour.darker(130), 2));
    painter.setBrush(colour);
    painter.drawEllipse(circle);

    const QPointF centre = circle.center();
    painter.setPen(QPen(Qt::white, 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    switch (mark) {
    case BadgeMark::Tick: {
        QPainterPath tick;
        tick.moveTo(centre + QPointF(-19, 1));
        tick.lineTo(centre + QPointF(-6, 15));
        tick.lineTo(centre + QPointF(20, -14));
        painter.drawPath(tick);
        break;
    }
    case BadgeMark::Cross:
        painter.drawLine(centre + QPointF(-15, -15), centre + QPointF(15, 15));
        painter.drawLine(centre + QPointF(15, -15), centre + QPointF(-15, 15));
        break;
    case BadgeMark::Question: {
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(52);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(circle, Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    }

    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(16);
    painter.setFont(font);
    painter.setPen(colour.darker(150));
    painter.drawText(QRectF(0, circle.bottom() + 2, width, height - circle.bottom() - 2), Qt::AlignCenter, word);
    return picture;
}

} // namespace veldrin
