#include "platform/http.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace veldrin {
namespace {

using namespace std::chrono_literals;
using test::FixtureServer;

// Runs `work` on a thread of its own and ends the whole binary if it has not returned within
// `limit`: the faults looked for here are hangs, and a hung test would otherwise sit until the
// run's time-out without saying where.
void finishesWithin(std::chrono::seconds limit, std::function<void()> work)
{
    std::packaged_task<void()> task(std::move(work));
    std::future<void> done = task.get_future();
    std::thread worker(std::move(task));
    if (done.wait_for(limit) != std::future_status::ready) {
        std::fprintf(stderr, "still running after %lld s: the fixture server hangs\n",
                     static_cast<long long>(limit.count()));
        std::fflush(stderr);
        std::abort();
    }
    worker.join();
    done.get();
}

TEST(FixtureServerTest, StartsAndStopsManyTimesInARow)
{
    // Each server starts a pool of worker threads, so a sanitized build on a busy machine needs
    // some twenty seconds; a hang never ends, so the limit only has to stay under the run's 120 s.
    finishesWithin(100s, [] {
        for (int i = 0; i < 300; ++i) {
            FixtureServer server;
            // Now and then a page right after the start: the server answers as soon as it exists.
            if (i % 10 == 0) {
                HttpRequestOptions options;
                options.limits = test::shortLimits();
                const HttpResponse page = httpGet(server.url(QStringLiteral("/utf8")), options);
                EXPECT_TRUE(page.ok) << "round " << i << ": " << page.error.toStdString();
                EXPECT_EQ(page.status, 200) << "round " << i;
            }
        }
    });
}

TEST(FixtureServerTest, StopsWhileARequestIsStalled)
{
    auto server = std::make_unique<FixtureServer>();
    const QString url = server->url(QStringLiteral("/stall"));
    HttpResponse stalled;
    std::thread client([&stalled, url] {
        // Longer than the test is given, so only the server's stop can end this request.
        HttpRequestOptions options;
        options.limits.totalTimeout = 90s;
        stalled = httpGet(url, options);
    });
    EXPECT_TRUE(test::waitUntil([&] { return !server->requests().isEmpty(); }, 5s));

    finishesWithin(30s, [&server] { server.reset(); });
    client.join();
    // The stall was woken and answered, not cut off.
    EXPECT_TRUE(stalled.ok) << stalled.error.toStdString();
    EXPECT_EQ(stalled.status, 503);
}

} // namespace
} // namespace veldrin
