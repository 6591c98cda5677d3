// What a page whose parse outlives the lookup's deadline costs after the lookup has ended.
//
// deepPageAfterDeadline waits for the page text of 100,000 unclosed <div>s (the parser's time
// grows with the square of the depth) through the waiting fetch with a 2 s deadline, then waits
// for the worker to end, and reports:
//   cpu_in_wait_s       process CPU seconds until the wait gave up
//   cpu_after_s         process CPU seconds from then until the worker had ended
//   wall_after_s        wall-clock seconds of the same
// once with the parse bounded by the deadline as GetWebText bounds it ("stopped"), and once
// without a stop ("unbounded"), which is how every such page was parsed before.

#include "platform/waitingfetch.h"
#include "platform/webtext.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <sys/resource.h>
#include <thread>

namespace {

double processCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void deepPageAfterDeadline(benchmark::State& state)
{
    static int argc = 1;
    static char name[] = "deadline_bench";
    static char* argv[] = { name, nullptr };
    static QCoreApplication app(argc, argv);

    const bool stopped = state.range(0) != 0;
    const QByteArray page = QByteArrayLiteral("<html><body>") + QByteArray("<div>").repeated(100000) + "x";
    veldrin::FetchLimits limits;
    limits.totalTimeout = std::chrono::milliseconds(2000);
    // What GetWebText does once the bytes are in, with or without its deadline.
    const veldrin::PageTextFetch fetch = [page, stopped](const QString&, const veldrin::FetchLimits& limits) {
        veldrin::ParseStop stop;
        if (stopped)
            stop.deadline = std::chrono::steady_clock::now() + limits.totalTimeout;
        std::optional<QString> text = veldrin::pageTextOfGbk(page, stop);
        return text ? veldrin::WebText { true, *text, {}, 200 } : veldrin::WebText { false, {}, {}, 200 };
    };

    for (auto _ : state) {
        const double cpuStart = processCpuSeconds();
        const veldrin::WebText text = veldrin::fetchWaiting(fetch, QStringLiteral("http://127.0.0.1:9/deep"), limits);
        benchmark::DoNotOptimize(text.ok);
        const double cpuAtDeadline = processCpuSeconds();
        const auto atDeadline = std::chrono::steady_clock::now();
        while (veldrin::waitingWorkersRunning() > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        state.counters["cpu_in_wait_s"] = cpuAtDeadline - cpuStart;
        state.counters["cpu_after_s"] = processCpuSeconds() - cpuAtDeadline;
        state.counters["wall_after_s"] = secondsSince(atDeadline);
    }
    state.SetLabel(stopped ? "stopped" : "unbounded");
}

BENCHMARK(deepPageAfterDeadline)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
