#include "app/pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace veldrin {

// Rendered here rather than through the toolkit's SVG image plugin, so that a picture never
// depends on a plugin being found at run time. The sizes cover a tool button, a title bar, a
// task bar and the About window, at single and double density: the icon hands out the nearest
// size for the screen's pixel ratio.
QIcon picture(const QString& name)
{
    QSvgRenderer renderer(u":/pictures/" + name + u".svg");
    QIcon icon;
    if (!renderer.isValid())
        return icon;
    for (const int side : { 14, 16, 22, 24, 28, 32, 48, 64, 96, 128 }) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon programIcon()
{
    return picture(QStringLiteral("veldrin"));
}

void installProgramIcon()
{
    QGuiApplication::setWindowIcon(programIcon());
}

} // namespace veldrin
