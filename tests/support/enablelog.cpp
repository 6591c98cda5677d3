#include "support/enablelog.h"

#include <QEvent>
#include <QWidget>

namespace veldrin::test {

EnableLog::EnableLog(std::initializer_list<QWidget*> controls)
{
    for (QWidget* control : controls)
        control->installEventFilter(this);
}

bool EnableLog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        const auto* widget = static_cast<QWidget*>(watched);
        changes.append(widget->objectName() + (widget->isEnabled() ? u'+' : u'-'));
    }
    return QObject::eventFilter(watched, event);
}

} // namespace veldrin::test
