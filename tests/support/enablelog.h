#pragma once

#include <QObject>
#include <QStringList>
#include <initializer_list>

class QWidget;

namespace veldrin::test {

// Records, in order, every change of the enabled state of the given controls, as the
// control's name with "-" (disabled) or "+" (enabled): the order a lookup disables and
// enables its panel in.
class EnableLog final : public QObject
{
public:
    explicit EnableLog(std::initializer_list<QWidget*> controls);
    QStringList changes;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace veldrin::test
