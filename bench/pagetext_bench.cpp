#include "platform/innertext.h"
#include "platform/textcodec.h"
#include "platform/textsearch.h"

#include <benchmark/benchmark.h>
#include <iconv.h>
#include <stdexcept>

namespace {

QByteArray toGbk(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("no GBK in iconv");
    QByteArray out(utf8.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(utf8.constData());
    size_t inLeft = static_cast<size_t>(utf8.size());
    char* outPtr = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    out.truncate(out.size() - static_cast<qsizetype>(outLeft));
    return out;
}

// A results page as the lookups get them: a table of Chinese and ASCII cells, some links and
// entities, padded with rows until it holds about `bytes` GBK bytes.
QByteArray gbkPage(qsizetype bytes)
{
    QString html = QStringLiteral("<html><head><title>查询结果</title><style>td{color:red}</style>"
                                  "<script>var x = '<p>not text</p>';</script></head><body>"
                                  "<h1>IP地址查询结果</h1><table>");
    const QString row = QStringLiteral("<tr><td>本站主数据：</td><td>广东省深圳市 电信&nbsp;ADSL</td>"
                                       "<td><a href=\"/ips.asp?ip=1.2.3.4&amp;action=2\">详细</a></td>"
                                       "<td>参考数据一：&lt;未知&gt; 123456789</td></tr>\n");
    QByteArray page = toGbk(html);
    const QByteArray rowGbk = toGbk(row);
    while (page.size() < bytes)
        page += rowGbk;
    page += toGbk(QStringLiteral("</table><p>当前状态：安全</p></body></html>"));
    return page;
}

void decodeAndInnerText(benchmark::State& state)
{
    const QByteArray page = gbkPage(state.range(0));
    for (auto _ : state) {
        const QString text = veldrin::innerTextOfHtml(veldrin::decodeGbk(page));
        benchmark::DoNotOptimize(text.constData());
    }
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(decodeAndInnerText)->Arg(100 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);

void decodeGbkOnly(benchmark::State& state)
{
    const QByteArray page = gbkPage(state.range(0));
    for (auto _ : state) {
        const QString text = veldrin::decodeGbk(page);
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
