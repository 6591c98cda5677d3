#include "platform/pageloader.h"

#include "platform/innertext.h"
#include "platform/textcodec.h"

#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace veldrin {

namespace {

class HttpPageLoader;

// What a finished navigation hands back to the loader's thread.
struct LoadedPage
{
    QString innerText;
    QStringList links;
    QString locationUrl;
    QString title;
    QString error; // empty when the page was loaded
};

// State one navigation's worker shares with the loader. Held by a shared_ptr on both sides,
// so a worker that is still inside a transfer when its loader is gone touches only this.
struct Job
{
    quint64 serial = 0;
    std::atomic<bool> cancel { false };

    std::mutex mutex;
    std::condition_variable finishedChanged;
    bool finished = false; // guarded by mutex
    HttpPageLoader* target = nullptr; // guarded by mutex; cleared when the loader dies
};

LoadedPage loadPage(const QString& url, const FetchLimits& limits, const std::atomic<bool>& cancel)
{
    // The parse stops where the loader's deadline fails the navigation, or at its cancel.
    ParseStop stop;
    stop.cancel = &cancel;
    stop.deadline = std::chrono::steady_clock::now() + limits.totalTimeout;
    HttpRequestOptions options;
    options.limits = limits;
    options.formContentType = false;
    options.cancel = &cancel;
    HttpResponse response = httpGet(url, options);

    // A page that could not be had is an empty document at the requested address, marked as
    // failed so that no lookup reads it as a page without its markers. A server error's page
    // is no page either; any other status still carries the server's page, which a browser
    // shows.
    LoadedPage failed;
    failed.locationUrl = url;
    if (!response.ok || cancel.load()) {
        failed.error = !response.ok && !response.error.isEmpty() ? response.error : QStringLiteral("cancelled");
        return failed;
    }
    failed.error = serverErrorOf(response.status);
    if (!failed.error.isEmpty())
        return failed;
    // Decoded straight into the UTF-8 the parser reads; the answer's bytes go before the parse.
    const QByteArray html = decodeDeclaredToUtf8(response.contentType, response.body);
    response.body = QByteArray();
    const QString location = response.finalUrl.isEmpty() ? url : response.finalUrl;
    std::optional<HtmlPage> parsed = parseUtf8HtmlPage(html, QUrl(location), stop);
    if (!parsed) {
        failed.error = cancel.load() ? QStringLiteral("cancelled")
            : stop.reached()         ? timedOutError()
                                     : unparsedPageError();
        return failed;
    }
    return LoadedPage {
        std::move(parsed->innerText), std::move(parsed->links), location, std::move(parsed->title), {}
    };
}

class HttpPageLoader final : public PageLoader
{
public:
    HttpPageLoader(const FetchLimits& limits, QObject* parent)
        : PageLoader(parent)
        , m_limits(limits)
    {
        // The whole-answer limit bounds the navigation, parsing included: a page whose parse
        // runs past it ends as a failed load, and the worker's late result is dropped.
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this] {
            for (Worker& worker : m_workers)
                worker.job->cancel.store(true);
            finish(m_serial, LoadedPage { {}, {}, m_requested, {}, timedOutError() });
        });
    }

    ~HttpPageLoader() override
    {
        for (Worker& worker : m_workers) {
            worker.job->cancel.store(true);
            const std::lock_guard lock(worker.job->mutex);
            worker.job->target = nullptr;
        }
        // A cancelled transfer ends within moments, so waiting a little lets the threads end
        // cleanly; one that still hangs is left to finish alone, touching only its Job.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
        for (Worker& worker : m_workers) {
            bool finished;
            {
                std::unique_lock lock(worker.job->mutex);
                finished = worker.job->finishedChanged.wait_until(lock, deadline, [&] { return worker.job->finished; });
            }
            if (finished)
                worker.thread.join();
            else
                worker.thread.detach();
        }
    }

    void navigate(const QString& url) override
    {
        reapFinishedWorkers();
        for (Worker& worker : m_workers)
            worker.job->cancel.store(true);

        auto job = std::make_shared<Job>();
        job->serial = ++m_serial;
        m_requested = url;
        m_deadline.start(m_limits.totalTimeout);
        job->target = this;
        const quint64 serial = job->serial;

        // Queued like every other event, so a caller never sees its own handlers re-entered
        // from inside navigate().
        QMetaObject::invokeMethod(
            this,
            [this, serial] {
                if (serial == m_serial)
                    Q_EMIT progressChange(0, 100);
            },
            Qt::QueuedConnection);

        std::thread thread;
        try {
            thread = std::thread([job, url, limits = m_limits] {
                LoadedPage page = loadPage(url, limits, job->cancel);
                {
                    const std::lock_guard lock(job->mutex);
                    if (job->target && !job->cancel.load()) {
                        // Posted while the loader cannot be destroyed (its destructor takes this
                        // mutex); a loader destroyed afterwards discards the posted call with it.
                        HttpPageLoader* target = job->target;
                        QMetaObject::invokeMethod(
                            target,
                            [target, serial = job->serial, page = std::move(page)] { target->finish(serial, page); },
                            Qt::QueuedConnection);
                    }
                    job->finished = true;
                }
                job->finishedChanged.notify_all();
            });
        } catch (const std::system_error&) {
            // No thread to be had: the navigation still ends, as a page that could not be loaded.
            QMetaObject::invokeMethod(
                this,
                [this, serial, url] {
                    finish(serial, LoadedPage { {}, {}, url, {}, QStringLiteral("no thread for the request") });
                },
                Qt::QueuedConnection);
            return;
        }
        m_workers.push_back(Worker { std::move(job), std::move(thread) });
    }

    QString innerText() const override { return m_page.innerText; }
    QStringList links() const override { return m_page.links; }
    QString locationUrl() const override { return m_page.locationUrl; }
    QString title() const override { return m_page.title; }
    QString loadError() const override { return m_page.error; }

private:
    struct Worker
    {
        std::shared_ptr<Job> job;
        std::thread thread;
    };

    // Runs on the loader's thread. Any slot may navigate anew or delete the loader, so after
    // each signal the rest of this navigation's events go only if it is still the current one.
    void finish(quint64 serial, const LoadedPage& page)
    {
        if (serial != m_serial || serial == m_finished)
            return;
        m_finished = serial;
        m_deadline.stop();
        m_page = page;
        const QPointer<HttpPageLoader> self(this);
        const auto stillCurrent = [&] {
            return self && m_serial == serial;
        };

        Q_EMIT progressChange(100, 100);
        if (!stillCurrent())
            return;
        Q_EMIT titleChange(m_page.title);
        if (!stillCurrent())
            return;
        Q_EMIT documentComplete(m_page.locationUrl);
        if (!stillCurrent())
            return;
        Q_EMIT progressChange(0, 0);
    }

    void reapFinishedWorkers()
    {
        std::erase_if(m_workers, [](Worker& worker) {
            bool finished;
            {
                const std::lock_guard lock(worker.job->mutex);
                finished = worker.job->finished;
            }
            if (finished)
                worker.thread.join();
            return finished;
        });
    }

    FetchLimits m_limits;
    quint64 m_serial = 0;
    quint64 m_finished = 0; // the last navigation that has been delivered
    QString m_requested;
    QTimer m_deadline;
    LoadedPage m_page;
    std::vector<Worker> m_workers;
};

class FailingPageLoader final : public PageLoader
{
public:
    FailingPageLoader(const QString& reason, QObject* parent)
        : PageLoader(parent)
        , m_reason(reason)
    {
    }

    void navigate(const QString& url) override
    {
        const quint64 serial = ++m_serial;
        QMetaObject::invokeMethod(
            this,
            [this, serial, url] {
                if (serial != m_serial)
                    return;
                m_location = url;
                const QPointer<FailingPageLoader> self(this);
                Q_EMIT titleChange(QString());
                if (self && serial == m_serial)
                    Q_EMIT documentComplete(m_location);
            },
            Qt::QueuedConnection);
    }

    QString innerText() const override { return {}; }
    QStringList links() const override { return {}; }
    QString locationUrl() const override { return m_location; }
    QString title() const override { return {}; }
    QString loadError() const override { return m_location.isEmpty() ? QString() : m_reason; }

private:
    QString m_reason;
    QString m_location;
    quint64 m_serial = 0;
};

} // namespace

std::unique_ptr<PageLoader> createHttpPageLoader(const FetchLimits& limits, QObject* parent)
{
    return std::make_unique<HttpPageLoader>(limits, parent);
}

std::unique_ptr<PageLoader> createFailingPageLoader(const QString& reason, QObject* parent)
{
    return std::make_unique<FailingPageLoader>(reason, parent);
}

} // namespace veldrin
