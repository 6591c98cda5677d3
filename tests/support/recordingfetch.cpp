#include "support/recordingfetch.h"

namespace veldrin::test {

struct RecordingFetch::State
{
    mutable std::mutex mutex;
    std::condition_variable released;
    QMap<QString, WebText> pages;
    QStringList urls;
    bool held = false;
    int running = 0;
};

RecordingFetch::RecordingFetch()
    : d(std::make_shared<State>())
{
}

void RecordingFetch::install(Context& context)
{
    // The state is shared, so a fetch still running after the test object is gone is harmless.
    context.pageText = [d = d](const QString& url, const FetchLimits&) {
        std::unique_lock lock(d->mutex);
        d->urls.append(url);
        ++d->running;
        d->released.wait(lock, [&] { return !d->held; });
        --d->running;
        return d->pages.value(url, WebText { false, {}, QStringLiteral("no page for ") + url });
    };
}

void RecordingFetch::setPage(const QString& url, const QString& text, long status)
{
    const std::lock_guard lock(d->mutex);
    d->pages.insert(url, WebText { true, text, {}, status });
}

void RecordingFetch::setFailure(const QString& url, const QString& reason)
{
    const std::lock_guard lock(d->mutex);
    d->pages.insert(url, WebText { false, {}, reason });
}

QStringList RecordingFetch::urls() const
{
    const std::lock_guard lock(d->mutex);
    return d->urls;
}

void RecordingFetch::hold()
{
    const std::lock_guard lock(d->mutex);
    d->held = true;
}

void RecordingFetch::release()
{
    {
        const std::lock_guard lock(d->mutex);
        d->held = false;
    }
    d->released.notify_all();
}

bool RecordingFetch::idle() const
{
    const std::lock_guard lock(d->mutex);
    return d->running == 0;
}

} // namespace veldrin::test
