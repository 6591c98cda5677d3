#pragma once

#include "platform/http.h"
#include "platform/webtext.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

namespace veldrin {

// Fetches the visible text of a page; GetWebText in production, a recording fake in tests.
// Called on a worker thread, so it must not touch objects of the calling thread.
using PageTextFetch = std::function<WebText(const QString& url, const FetchLimits& limits)>;

// How a wait for a worker ended.
enum class WaitEnd
{
    Finished,
    DeadlinePassed,
    NoThread, // no thread could be had: the work never ran
    Quit, // the thread's event loops were told to quit (the program is ending): given up at once
};

// How a wait treats the user's clicks and keys. Without a gate its loop takes none: they stay
// with the window system until the caller has returned. The window layer installs one: the
// loops of the waits it takes then run with the user's input, which the gate judges as it
// comes, from the start of the outermost wait to its end (waits nest).
class WaitInputGate
{
public:
    virtual ~WaitInputGate() = default;
    // Called on the waiting thread as a wait starts; true when the gate takes the user's input
    // during this wait, whose loop then runs with it.
    virtual bool waitStarting() = 0;
    // Called as a wait that waitStarting() took ends, whichever way it ends.
    virtual void waitEnded() = 0;
};

// The gate every later wait asks; null for none. The gate must outlive its installation.
void setWaitInputGate(WaitInputGate* gate);

namespace detail {
// Runs `work` on a thread of its own and waits as runWaiting does. A worker still running
// after the deadline ends alone.
WaitEnd waitForWorker(std::function<void()> work, std::chrono::milliseconds deadline);
} // namespace detail

// The lookups are written as plain synchronous steps, but a page, a name resolution or an echo
// may take seconds. So `work` runs on a thread of its own while the caller waits in a local
// event loop that handles no user input: painting, timers and other panels' loader events go
// on, clicks and keys wait until the caller has returned, as they would behind a busy thread
// (or, through the installed WaitInputGate, are judged as they come).
//
// No value when `deadline` passes first, when the thread's loops are told to quit, or when no
// thread can be had (`end`, where given, tells which); the worker's late result is then
// dropped. `work` runs on the worker, so it must not touch objects of the calling thread, and
// it should bound its own time: the wait ends at the deadline, the work does not.
template<class Work>
auto runWaiting(Work work, std::chrono::milliseconds deadline, WaitEnd* end = nullptr)
    -> std::optional<std::invoke_result_t<Work&>>
{
    using Result = std::invoke_result_t<Work&>;
    // Shared with the worker, which may outlive the wait; read only once the worker is done.
    auto result = std::make_shared<std::optional<Result>>();
    const WaitEnd how
        = detail::waitForWorker([result, work = std::move(work)]() mutable { *result = work(); }, deadline);
    if (end)
        *end = how;
    if (how != WaitEnd::Finished)
        return std::nullopt;
    return std::move(*result);
}

// The page-text fetch, waited for as above. The deadline is the whole-answer limit and covers
// decoding and parsing too: a page that is still being parsed when it passes is a time-out.
// A server error (status 500 to 599) is a failure too: its page's text and status stay beside
// the error, but it is no page for a lookup.
WebText fetchWaiting(const PageTextFetch& fetch, const QString& url, const FetchLimits& limits);

// How many workers of runWaiting are running now: one given up on ends by itself soon after.
int waitingWorkersRunning();

} // namespace veldrin
