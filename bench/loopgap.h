#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace veldrin::bench {

// The longest stretch in milliseconds during which the event loop took no timer event, while
// `action` runs from inside the loop and for `settleMs` after it returns (layout and painting
// follow as posted events). A 1 ms precise ticker is the probe: any gap above a few ms is time
// the window could not repaint.
template<class Action> double longestLoopGapMs(QCoreApplication& app, const Action& action, int settleMs = 300)
{
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - lastTick);
        lastTick = now;
    });
    QTimer::singleShot(50, [&] {
        action();
        QTimer::singleShot(settleMs, &app, &QCoreApplication::quit);
    });
    clock.start();
    ticker.start(1);
    app.exec();
    return double(longest) / 1e6;
}

} // namespace veldrin::bench
