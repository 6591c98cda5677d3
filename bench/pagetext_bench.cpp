// The page-text fetch's path from an answer's bytes to its text, and the marker search over
// that text.
//
// pipelineAgainstBareParse runs the fetch's decode + parse + inner text and gumbo's bare parse
// of the same page (as the UTF-8 it reads), interleaved, on a page of about 5 MB GBK made of
// the rows result pages have, and reports:
//   ratio        median pipeline time / median bare-parse time
//   pipe_MB/s    GBK page bytes per second through the pipeline
//   gumbo_MB/s   UTF-8 page bytes per second through the bare parse
//   peak_MB      peak memory of the pipeline: the GBK page it is handed plus all it allocates,
//                in the process and in the child process that parses
//   gumbo_MB     peak memory of the bare parse: the UTF-8 page it reads plus all it allocates
//   allow_MB     gumbo_MB plus the page's own size: what peak_MB is to stay under
// The bare parse has the options the pipeline gives gumbo (no per-error copies of the tag
// stack), its default allocator, and includes freeing the tree.
//
// perPageCost/N parses the text of a page of N KiB (as fetched, GBK, made of the same rows; the
// parser reads it decoded to UTF-8, as the fetch hands it over) the way every fetch lookup
// does, through the parser process, and the same code in this process, interleaved; so does
// perPageCostBigPage with the page above. Both report:
//   process_ms   median time of a page through innerTextOfUtf8Html with the fetch's stop
//   inproc_ms    median time of a page through innerTextOfUtf8HtmlInProcess
//   ratio        process_ms / inproc_ms
//   page_KiB     the page as fetched; utf8_KiB the page as the parser reads it
// The parser program is the one the build made (bench/pageparser.cpp names it); a line where it
// cannot be started, or gives another text, ends with an error instead of figures.

#include "bench/childvalue.h"
#include "platform/innertext.h"
#include "platform/pageparse.h"
#include "platform/textcodec.h"
#include "platform/textsearch.h"
#include "platform/webtext.h"

#include <QString>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gumbo.h>
#include <iconv.h>
#include <malloc.h>
#include <optional>
#include <stdexcept>
#include <sys/resource.h>
#include <vector>

namespace {

QByteArray toGbk(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("no GBK in iconv");
    QByteArray out(utf8.size() + 16, '\0');
    char* in = const_cast<char*>(utf8.constData());
    size_t inLeft = static_cast<size_t>(utf8.size());
    char* outPtr = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1))
        throw std::runtime_error("page text is not all GBK");
    out.truncate(out.size() - static_cast<qsizetype>(outLeft));
    out.squeeze(); // exactly the page's size, which the memory figures count
    return out;
}

struct Page
{
    QByteArray gbk; // what the fetch receives
    QByteArray utf8; // the same page as the bytes gumbo reads
};

// `head`, then `row` (its %1 the row's number) until the page holds about `bytes` GBK bytes,
// then `tail`.
Page repeatedRows(const QString& head, const QString& row, const QString& tail, qsizetype bytes)
{
    QString html = head;
    for (qsizetype size = toGbk(head).size(), i = 0; size < bytes; ++i) {
        const QString numbered = row.arg(i);
        size += toGbk(numbered).size();
        html += numbered;
    }
    html += tail;
    return Page { toGbk(html), html.toUtf8() };
}

const QString resultsHead
    = QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
                     "<title>查询结果</title><style>td{color:red}</style>"
                     "<script>var x = '<p>not text</p>';</script></head><body>\n<h1>IP地址查询结果</h1>\n");
const QString resultsTail = QStringLiteral("<p>当前状态：安全</p></body></html>\n");

// A results table of Chinese and ASCII cells, some links and entities.
Page tablePage(qsizetype bytes)
{
    return repeatedRows(resultsHead + QStringLiteral("<table>"),
                        QStringLiteral("<tr><td>本站主数据：</td><td>广东省深圳市 电信&nbsp;ADSL</td>"
                                       "<td><a href=\"/ips.asp?ip=1.2.3.%1&amp;action=2\">详细</a></td>"
                                       "<td>参考数据一：&lt;未知&gt; 123456789</td></tr>\n"),
                        QStringLiteral("</table>") + resultsTail, bytes);
}

// Rows of the mix long result pages have: headings, paragraphs with font runs and links,
// divs with images, small tables, lists and preformatted blocks.
Page mixedPage(qsizetype bytes)
{
    return repeatedRows(
        resultsHead,
        QStringLiteral("<h3>第%1条 查询结果</h3>\n"
                       "<p>本站主数据：<font color=\"red\">广东省深圳市 电信</font>&nbsp;ADSL "
                       "<a href=\"/ips.asp?ip=1.2.3.%1&amp;action=2\">详细</a></p>\n"
                       "<div class=\"row\"><img src=\"/img/flag.gif\" width=16 height=11> 参考数据一：&lt;未知&gt; "
                       "123456789 <font face=\"宋体\" size=2>更新于 2009-06-%1</font></div>\n"
                       "<table border=\"1\" cellpadding=\"2\">\n"
                       "  <tr><td>域名</td><td><a href=\"http://www.example%1.com/\">www.example%1.com</a></td></tr>\n"
                       "  <tr><td>注册商</td><td>某某网络科技有限公司</td></tr>\n"
                       "</table>\n"
                       "<ul>\n  <li>当前状态：安全</li>\n  <li><img src=\"/img/ok.gif\"> 收录数量 %1 页</li>\n</ul>\n"
                       "<pre>  编号    名称\n  %1     测试记录</pre>\n"),
        resultsTail, bytes);
}

constexpr qsizetype largePageBytes = 5 * 1024 * 1024;

const Page& largeMixedPage()
{
    static const Page page = mixedPage(largePageBytes);
    return page;
}

// A stop as GetWebText sets one for its page: a deadline far enough off not to be reached.
veldrin::ParseStop fetchStop()
{
    veldrin::ParseStop stop;
    stop.deadline = std::chrono::steady_clock::now() + veldrin::FetchLimits {}.totalTimeout;
    return stop;
}

// The fetch's own path from the answer's bytes, which it hands over, bounded as GetWebText
// bounds it.
QString pageText(QByteArray body)
{
    return veldrin::pageTextOfGbk(std::move(body), fetchStop()).value_or(QString());
}

void bareParse(const QByteArray& utf8)
{
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;
    GumboOutput* output = gumbo_parse_with_options(&options, utf8.constData(), static_cast<size_t>(utf8.size()));
    benchmark::DoNotOptimize(output);
    gumbo_destroy_output(&options, output);
}

double secondsOf(const auto& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

qint64 statusKb(const char* field)
{
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    qint64 kb = -1;
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            kb = std::atoll(line + length + 1);
            break;
        }
    }
    std::fclose(status);
    return kb;
}

// How far the resident set grows above where it stands while `work` runs, in a child of a
// child: the first child fixes malloc's mmap threshold (so freed blocks go back to the system
// and the peak is what is live), builds the inputs and hands them down; the second, whose peak
// starts at its resident size, runs the work once.
struct Peaks
{
    double pipelineMb = -1; // GBK page + what the pipeline allocates
    double gumboMb = -1; // UTF-8 page + what the bare parse allocates
    double pageMb = 0;
};

double growthKbInChild(const auto& work)
{
    return veldrin::bench::valueFromChild([&] {
               const qint64 before = statusKb("VmRSS");
               const qint64 anonymousBefore = statusKb("RssAnon");
               work();
               const qint64 peak = statusKb("VmHWM");
               // The parse runs in a process the parser's program forks, which this child
               // started; once that program is reaped, its pages' processes count among this
               // child's children. What the parse grew beyond this process's anonymous pages is
               // added (an upper bound).
               veldrin::endPageParser();
               rusage children {};
               getrusage(RUSAGE_CHILDREN, &children);
               const qint64 childGrowth = std::max<qint64>(0, children.ru_maxrss - anonymousBefore);
               return before < 0 || peak < 0 || anonymousBefore < 0 ? -1.0 : double(peak - before + childGrowth);
           })
        .value_or(-1.0);
}

Peaks measurePeaks()
{
    return veldrin::bench::valueFromChild([] {
               mallopt(M_MMAP_THRESHOLD, 64 * 1024);
               mallopt(M_TRIM_THRESHOLD, 64 * 1024);
               malloc_trim(0);
               Page inputs = mixedPage(largePageBytes);
               const qsizetype gbkSize = inputs.gbk.size();
               (void)pageText(QByteArray("<p>warm</p>")); // the decoder's table is built once per program
               malloc_trim(0);
               const double gumboKb = growthKbInChild([&] { bareParse(inputs.utf8); });
               const double pipelineKb = growthKbInChild([&] {
                   QByteArray handed = std::move(inputs.gbk); // the fetch hands its answer over
                   benchmark::DoNotOptimize(pageText(std::move(handed)).constData());
               });
               const double mb = 1024.0 * 1024.0;
               Peaks peaks;
               peaks.pageMb = double(gbkSize) / mb;
               peaks.gumboMb = gumboKb < 0 ? -1 : (double(inputs.utf8.size()) + gumboKb * 1024.0) / mb;
               peaks.pipelineMb = pipelineKb < 0 ? -1 : (double(gbkSize) + pipelineKb * 1024.0) / mb;
               return peaks;
           })
        .value_or(Peaks {});
}

void pipelineAgainstBareParse(benchmark::State& state)
{
    const Page& input = largeMixedPage();
    std::vector<double> pipelineSeconds;
    std::vector<double> gumboSeconds;
    for (auto _ : state) {
        gumboSeconds.push_back(secondsOf([&] { bareParse(input.utf8); }));
        pipelineSeconds.push_back(secondsOf([&] { benchmark::DoNotOptimize(pageText(input.gbk).constData()); }));
    }
    const double mb = 1024.0 * 1024.0;
    const double pipelineMedian = median(pipelineSeconds);
    const double gumboMedian = median(gumboSeconds);
    state.counters["ratio"] = pipelineMedian / gumboMedian;
    state.counters["pipe_MB/s"] = double(input.gbk.size()) / mb / pipelineMedian;
    state.counters["gumbo_MB/s"] = double(input.utf8.size()) / mb / gumboMedian;
    state.counters["page_MB"] = double(input.gbk.size()) / mb;

    const Peaks peaks = measurePeaks();
    state.counters["peak_MB"] = peaks.pipelineMb;
    state.counters["gumbo_MB"] = peaks.gumboMb;
    state.counters["allow_MB"] = peaks.gumboMb + peaks.pageMb;
}
BENCHMARK(pipelineAgainstBareParse)->Iterations(15)->Unit(benchmark::kMillisecond);

// The text road's cost of the page `gbk`, decoded as the fetch decodes it, through the parser
// process against the same parse in this process. The two take turns at going first, so that
// both see the same machine and neither always finds the caches the other left.
void measurePerPage(benchmark::State& state, const QByteArray& gbk)
{
    const QByteArray utf8 = veldrin::decodeGbkToUtf8(gbk);
    const auto throughProcess = [&] {
        return veldrin::innerTextOfUtf8Html(utf8, fetchStop());
    };
    const auto inProcess = [&] {
        return veldrin::innerTextOfUtf8HtmlInProcess(utf8);
    };

    const std::optional<QString> processText = throughProcess();
    if (!processText) {
        state.SkipWithError("no page parser could be started: is veldrin-pageparse built?");
        return;
    }
    if (processText != inProcess()) {
        state.SkipWithError("the parser process gave another text than the parse in this process");
        return;
    }

    std::vector<double> processSeconds;
    std::vector<double> inProcessSeconds;
    for (auto _ : state) {
        const auto measureProcess = [&] {
            processSeconds.push_back(secondsOf([&] { benchmark::DoNotOptimize(throughProcess()); }));
        };
        const auto measureInProcess = [&] {
            inProcessSeconds.push_back(secondsOf([&] { benchmark::DoNotOptimize(inProcess()); }));
        };
        if (processSeconds.size() % 2 == 0) {
            measureProcess();
            measureInProcess();
        } else {
            measureInProcess();
            measureProcess();
        }
    }
    const double processMedian = median(processSeconds);
    const double inProcessMedian = median(inProcessSeconds);
    state.counters["process_ms"] = processMedian * 1000.0;
    state.counters["inproc_ms"] = inProcessMedian * 1000.0;
    state.counters["ratio"] = processMedian / inProcessMedian;
    state.counters["page_KiB"] = double(gbk.size()) / 1024.0;
    state.counters["utf8_KiB"] = double(utf8.size()) / 1024.0;
}

void perPageCost(benchmark::State& state, qsizetype kib)
{
    measurePerPage(state, mixedPage(kib * 1024).gbk);
}
// Iterations for a second or two a line.
BENCHMARK_CAPTURE(perPageCost, 5, 5)->Iterations(400)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(perPageCost, 20, 20)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(perPageCost, 100, 100)->Iterations(60)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(perPageCost, 500, 500)->Iterations(20)->Unit(benchmark::kMillisecond);

void perPageCostBigPage(benchmark::State& state)
{
    measurePerPage(state, largeMixedPage().gbk);
}
BENCHMARK(perPageCostBigPage)->Iterations(11)->Unit(benchmark::kMillisecond);

void decodeAndInnerText(benchmark::State& state)
{
    const QByteArray page = tablePage(state.range(0)).gbk;
    for (auto _ : state) {
        const QString text = pageText(page);
        benchmark::DoNotOptimize(text.constData());
    }
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(decodeAndInnerText)->Arg(100 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);

void decodeGbkOnly(benchmark::State& state)
{
    const QByteArray page = tablePage(state.range(0)).gbk;
    for (auto _ : state) {
        const QByteArray text = veldrin::decodeGbkToUtf8(page);
        benchmark::DoNotOptimize(text.constData());
    }
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(decodeGbkOnly)->Arg(100 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);

// The marker stands only near the start, so a search for its last occurrence passes the
// whole text; the text is full of near misses that share the marker's first characters.
void findLastPosWholeScan(benchmark::State& state)
{
    const QString needle = QStringLiteral("当前状态：");
    const QString filler = QStringLiteral("当前网址 当前状态 状态：正常 abcdefghij 0123456789\r\n");
    QString text = QStringLiteral("开头 ") + needle + QStringLiteral("安全\r\n");
    const qsizetype bytes = state.range(0);
    while (text.size() * qsizetype(sizeof(QChar)) < bytes)
        text += filler;
    for (auto _ : state)
        benchmark::DoNotOptimize(veldrin::FindLastPos(needle, text));
    state.SetBytesProcessed(state.iterations() * text.size() * qsizetype(sizeof(QChar)));
}
BENCHMARK(findLastPosWholeScan)->Arg(1024 * 1024)->Arg(10 * 1024 * 1024)->Unit(benchmark::kMillisecond);

} // namespace
