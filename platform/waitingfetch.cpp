#include "platform/waitingfetch.h"

#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

namespace veldrin {

namespace {

std::atomic<int> workersRunning { 0 };

// Shared by the waiting caller and the worker; the worker may outlive the wait.
struct Handoff
{
    std::mutex mutex;
    bool finished = false; // guarded by mutex
    QEventLoop* waiter = nullptr; // guarded by mutex; cleared when the caller stops waiting
};

} // namespace

namespace detail {

WaitEnd waitForWorker(std::function<void()> work, std::chrono::milliseconds deadline)
{
    auto handoff = std::make_shared<Handoff>();
    QEventLoop loop;
    handoff->waiter = &loop;

    workersRunning.fetch_add(1);
    try {
        std::thread([handoff, work = std::move(work)] {
            work();
            const std::lock_guard lock(handoff->mutex);
            handoff->finished = true;
            workersRunning.fetch_sub(1);
            // Queued to the loop's thread; a loop gone by then takes the call with it.
            if (handoff->waiter != nullptr)
                QMetaObject::invokeMethod(handoff->waiter, &QEventLoop::quit, Qt::QueuedConnection);
        }).detach();
    } catch (const std::system_error&) {
        workersRunning.fetch_sub(1);
        return WaitEnd::NoThread;
    }

    QTimer timer;
    timer.setSingleShot(true);
    // A coarse timer may fire a twentieth of its interval early: the wait would end while the
    // work, bounded by the same deadline, still rightly runs on.
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(deadline);

    for (;;) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        const std::lock_guard lock(handoff->mutex);
        if (handoff->finished || !timer.isActive()) {
            handoff->waiter = nullptr; // a late finish is never delivered
            return handoff->finished ? WaitEnd::Finished : WaitEnd::DeadlinePassed;
        }
        // Woken by something else that quit the innermost loop: wait on.
    }
}

} // namespace detail

WebText fetchWaiting(const PageTextFetch& fetch, const QString& url, const FetchLimits& limits)
{
    WaitEnd end = WaitEnd::Finished;
    std::optional<WebText> text
        = runWaiting([fetch, url, limits] { return fetch(url, limits); }, limits.totalTimeout, &end);
    if (!text) {
        // Only a wait that ran out is a time-out; without a thread the request was never sent.
        return WebText { false,
                         {},
                         end == WaitEnd::NoThread ? QStringLiteral("no thread for the request") : timedOutError() };
    }
    if (const QString serverError = serverErrorOf(text->status); text->ok && !serverError.isEmpty()) {
        text->ok = false;
        text->error = serverError;
    }
    return std::move(*text);
}

int waitingWorkersRunning()
{
    return workersRunning.load();
}

} // namespace veldrin
