// What a page whose parse outlives the lookup's deadline costs after the lookup has ended.
//
// pageAfterDeadline waits for a hostile page through the waiting fetch with a 1 s deadline (3 s
// for the links), down one of the two roads a page takes (road "text": GetWebText's GBK decode
// and inner text; road "page": the page loader's declared charset, inner text, links and
// title), each bounded as the real fetch and loader bound it (the deadline; on the loader's
// road also the cancel it sets once its deadline passes), then waits until the worker and the
// parse have ended, and reports:
//   cpu_in_wait_s       CPU seconds of the process and its children (the parser's program and the
//                       pages' processes it runs) until the wait gave up
//   cpu_after_s         CPU seconds of the same from then until the worker and the parse had ended
//   wall_after_s        wall-clock seconds of the same
// The pages, each within the fetch's size cap:
//   divs         100,000 unclosed <div>s (the parser's time grows with the square of the depth)
//   formatting   20,000 unclosed <div>s, a <b>, then 4 MiB of text: every character makes the
//                parser look through the whole stack of open elements
//   misnested    <b><i></b></i> and <a><p></a> over and over, which the parser mends each time
//   tables       tables nested in the cells of tables
//   links        1.5 million <a href=x>: making them absolute takes long after the walk
//
// deepPageAfterDeadline is the "divs" page on the text road once more, without a stop
// ("unbounded"), which is how every such page was parsed before parses had a stop.

#include "platform/innertext.h"
#include "platform/pageparse.h"
#include "platform/textcodec.h"
#include "platform/waitingfetch.h"
#include "platform/webtext.h"

#include <QCoreApplication>
#include <QUrl>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

double cpuSeconds(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double schedulerSeconds(const std::string& pid)
{
    std::ifstream schedstat("/proc/" + pid + "/schedstat");
    double nanoseconds = 0;
    return schedstat >> nanoseconds ? nanoseconds / 1e9 : 0.0;
}

// The CPU time of the children `pid` has reaped, as its /proc stat counts it: in clock ticks, a
// hundredth of a second each, where the resource usage of the process's own children counts
// microseconds. A page's process that ended before a wait gave up is counted so until the
// parser's program is reaped.
double reapedChildrenSeconds(const std::string& pid)
{
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t command = line.rfind(')'); // the fields after it hold no blanks
    if (command == std::string::npos)
        return 0;
    std::istringstream fields(line.substr(command + 2));
    std::string field;
    double ticks = 0;
    for (int number = 3; fields >> field && number <= 17; ++number) {
        if (number >= 16) // cutime, cstime
            ticks += std::stod(field);
    }
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// The scheduler's count of the CPU time of every child of `pid` not yet reaped, which the
// resource usage of children leaves out until then, and the same below each: a page's process
// is a child of the parser's program. A child's count is read again when it reaped one of its
// own while it was being read, which would count that one twice or not at all.
double unreapedCpuSecondsBelow(const std::string& pid)
{
    double seconds = 0;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + pid + "/task", error)) {
        std::ifstream children(task.path() / "children");
        for (long child = 0; children >> child;) {
            const std::string id = std::to_string(child);
            for (;;) {
                const double reaped = reapedChildrenSeconds(id);
                const double below = unreapedCpuSecondsBelow(id);
                if (reapedChildrenSeconds(id) == reaped) {
                    seconds += schedulerSeconds(id) + reaped + below;
                    break;
                }
            }
        }
    }
    return seconds;
}

// The process's own, its reaped children's and its running children's. Read again when a child
// was reaped while its time was being read, which would count it twice or not at all.
double processCpuSeconds()
{
    for (;;) {
        const double reaped = cpuSeconds(RUSAGE_CHILDREN);
        const double unreaped = unreapedCpuSecondsBelow("self");
        if (cpuSeconds(RUSAGE_CHILDREN) == reaped)
            return cpuSeconds(RUSAGE_SELF) + reaped + unreaped;
    }
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "deadline_bench";
    static char* argv[] = { name, nullptr };
    static QCoreApplication app(argc, argv);
}

constexpr qsizetype pageCap = veldrin::FetchLimits {}.maxBytes;

QByteArray bodyPage(const QByteArray& body)
{
    return QByteArrayLiteral("<html><body>") + body;
}

// `unit` repeated as often as the page, with its head, stays within the fetch's cap.
QByteArray filledPage(const QByteArray& unit)
{
    return bodyPage(unit.repeated((pageCap - 16) / unit.size()));
}

using std::chrono::milliseconds;

struct Shape
{
    const char* name;
    QByteArray (*page)();
    milliseconds deadline;
};

const Shape shapes[] = {
    { "divs", [] { return bodyPage(QByteArray("<div>").repeated(100000) + "x"); }, milliseconds(1000) },
    { "formatting",
      [] { return bodyPage(QByteArray("<div>").repeated(20000) + "<b>" + QByteArray(4 * 1024 * 1024, 'x')); },
      milliseconds(1000) },
    { "misnested b i", [] { return filledPage("<b><i></b></i>"); }, milliseconds(1000) },
    { "misnested a p", [] { return filledPage("<a><p></a>"); }, milliseconds(1000) },
    { "tables", [] { return filledPage("<table><tr><td>"); }, milliseconds(1000) },
    // Parsed and walked in about 2.5 s, its links made absolute in about 1 s more: the deadline
    // falls among the links on the page road; the text road may well end in time.
    { "links", [] { return filledPage("<a href=x>"); }, milliseconds(3000) },
};

// Waits for `work` as a lookup does, then for the worker and the parse to end. `cancel` is set
// when the wait gives up, as the page loader cancels its navigation at its deadline.
template<class Work>
void measureAfterDeadline(benchmark::State& state, Work work, milliseconds deadline, std::atomic<bool>* cancel)
{
    for (auto _ : state) {
        const double cpuStart = processCpuSeconds();
        const auto result = veldrin::runWaiting(work, deadline);
        if (cancel)
            cancel->store(true);
        benchmark::DoNotOptimize(result.has_value());
        const double cpuAtDeadline = processCpuSeconds();
        const auto atDeadline = std::chrono::steady_clock::now();
        while (veldrin::waitingWorkersRunning() > 0 || veldrin::htmlParsesRunning() > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        // Reaped, the parser's program hands over the time of the pages' processes it reaped, in
        // the resource usage's finer grain.
        veldrin::endPageParser();
        state.counters["cpu_in_wait_s"] = cpuAtDeadline - cpuStart;
        state.counters["cpu_after_s"] = processCpuSeconds() - cpuAtDeadline;
        state.counters["wall_after_s"] = secondsSince(atDeadline);
    }
}

veldrin::ParseStop stopAfter(milliseconds timeout, const std::atomic<bool>* cancel = nullptr)
{
    veldrin::ParseStop stop;
    stop.cancel = cancel;
    stop.deadline = std::chrono::steady_clock::now() + timeout;
    return stop;
}

void pageAfterDeadline(benchmark::State& state)
{
    ensureApplication();
    const Shape& shape = shapes[state.range(0)];
    const bool textRoad = state.range(1) == 0;
    const QByteArray page = shape.page();
    const milliseconds timeout = shape.deadline;
    if (textRoad) {
        // What GetWebText does once the bytes are in.
        measureAfterDeadline(
            state, [page, timeout] { return veldrin::pageTextOfGbk(page, stopAfter(timeout)); }, timeout, nullptr);
    } else {
        // What the page loader does once the bytes are in. The flag outlives a worker left behind.
        static std::atomic<bool> cancel;
        cancel.store(false);
        measureAfterDeadline(
            state,
            [page, timeout] {
                const veldrin::ParseStop stop = stopAfter(timeout, &cancel);
                const QByteArray html = veldrin::decodeDeclaredToUtf8({}, page);
                return veldrin::parseUtf8HtmlPage(html, QUrl(QStringLiteral("http://127.0.0.1:9/page")), stop);
            },
            timeout, &cancel);
    }
    state.SetLabel(QByteArray(shape.name + QByteArrayLiteral(", ") + (textRoad ? "text" : "page")).toStdString());
}

BENCHMARK(pageAfterDeadline)
    ->ArgsProduct({ benchmark::CreateDenseRange(0, int64_t(std::size(shapes)) - 1, 1), { 0, 1 } })
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

void deepPageAfterDeadline(benchmark::State& state)
{
    ensureApplication();
    const QByteArray page = shapes[0].page();
    measureAfterDeadline(
        state, [page] { return veldrin::pageTextOfGbk(page); }, shapes[0].deadline, nullptr);
    state.SetLabel("divs, text, unbounded");
}

BENCHMARK(deepPageAfterDeadline)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
