#include "support/paintcounter.h"

#include <QEvent>

namespace veldrin::test {

bool PaintCounter::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::Paint)
        ++paints;
    return false;
}

} // namespace veldrin::test
