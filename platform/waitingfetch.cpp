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
std::atomic<WaitInputGate*> inputGate { nullptr };

// Asks the installed gate for the user's input during one wait and gives it back after.
class GateScope
{
public:
    GateScope()
        : m_gate(inputGate.load())
        , m_taken(m_gate != nullptr && m_gate->waitStarting())
    {
    }
    ~GateScope()
    {
        if (m_taken)
            m_gate->waitEnded();
    }
    GateScope(const GateScope&) = delete;
    GateScope& operator=(const GateScope&) = delete;

    QEventLoop::ProcessEventsFlags loopFlags() const
    {
        return m_taken ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents;
    }

private:
    WaitInputGate* m_gate;
    bool m_taken;
};

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

    {
        const GateScope gate;
        loop.exec(gate.loopFlags());
    }
    const std::lock_guard lock(handoff->mutex);
    handoff->waiter = nullptr; // a late finish is never delivered
    if (handoff->finished)
        return WaitEnd::Finished;
    // Only the worker, the timer and an exit of all the thread's loops end the loop; after such
    // an exit every exec() returns at once, so waiting on would spin until the work ends.
    return timer.isActive() ? WaitEnd::Quit : WaitEnd::DeadlinePassed;
}

} // namespace detail

namespace {

QString waitFailure(WaitEnd end)
{
    switch (end) {
    case WaitEnd::NoThread:
        return QStringLiteral("no thread for the request");
    case WaitEnd::Quit:
        return QStringLiteral("the wait was told to quit");
    case WaitEnd::Finished:
    case WaitEnd::DeadlinePassed:
        break;
    }
    return timedOutError();
}

} // namespace

void setWaitInputGate(WaitInputGate* gate)
{
    inputGate.store(gate);
}

WebText fetchWaiting(const PageTextFetch& fetch, const QString& url, const FetchLimits& limits)
{
    WaitEnd end = WaitEnd::Finished;
    std::optional<WebText> text
        = runWaiting([fetch, url, limits] { return fetch(url, limits); }, limits.totalTimeout, &end);
    if (!text) {
        // Only a wait that ran out is a time-out; without a thread the request was never sent.
        return WebText { false, {}, waitFailure(end) };
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
