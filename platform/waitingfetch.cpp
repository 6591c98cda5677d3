#include "platform/waitingfetch.h"

#include <QEventLoop>
#include <QTimer>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace veldrin {

namespace {

// Shared by the waiting caller and the worker; the worker may outlive the wait.
struct Handoff
{
    std::mutex mutex;
    std::optional<WebText> result; // guarded by mutex
    QEventLoop* waiter = nullptr; // guarded by mutex; cleared when the caller stops waiting
};

} // namespace

WebText fetchWaiting(const PageTextFetch& fetch, const QString& url, const FetchLimits& limits)
{
    auto handoff = std::make_shared<Handoff>();
    QEventLoop loop;
    handoff->waiter = &loop;

    try {
        std::thread([handoff, fetch, url, limits] {
            WebText text = fetch(url, limits);
            const std::lock_guard lock(handoff->mutex);
            if (handoff->waiter == nullptr)
                return; // the caller has given up: a late page is never delivered
            handoff->result = std::move(text);
            // Queued to the loop's thread; a loop gone by then takes the call with it.
            QMetaObject::invokeMethod(handoff->waiter, &QEventLoop::quit, Qt::QueuedConnection);
        }).detach();
    } catch (const std::system_error&) {
        return WebText { false, {}, QStringLiteral("no thread for the request") };
    }

    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(limits.totalTimeout);

    for (;;) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        const std::lock_guard lock(handoff->mutex);
        if (handoff->result) {
            handoff->waiter = nullptr;
            return std::move(*handoff->result);
        }
        if (!deadline.isActive()) {
            handoff->waiter = nullptr;
            return WebText { false,
                             {},
                             QStringLiteral("访问超时") };
        }
        // Woken by something else that quit the innermost loop: wait on.
    }
}

} // namespace veldrin
