#pragma once

#include <QObject>

namespace veldrin::test {

// Counts the paint events of the widgets it is installed on as an event filter.
class PaintCounter final : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override;
    int paints = 0;
};

} // namespace veldrin::test
