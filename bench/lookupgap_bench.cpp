// The longest stall of the event loop while a fetch lookup runs over a big page: the real panel
// (or the update window), offscreen, with a context whose page-text fetch answers every request
// at once with the same prepared text, so what is measured is the lookup's own work on the page.
//
// Each case runs in a child process of its own with a fresh QApplication (the platform of
// QT_QPA_PLATFORM, offscreen when unset): the panel is shown at its size, a timer ticks every
// millisecond, the query button is clicked, and the loop runs on until the result has been laid
// out and painted. Reported:
//   gap_ms   the longest time between two ticks: how long the window stood still
//   boxes    message boxes the lookup showed (0: it showed its result)
//   cut_off  1 when the child outran the budget and was ended; gap_ms is then the budget, a floor
// Pages:
//   record   (domain lookup) a registration record whose lines hit many of the rewriting rows
//   repeated the lookup's sound page, markers and values, over and over
//   marker   its first marker over and over, then the sound page once

#include "app/panellayout.h"
#include "bench/childvalue.h"
#include "bench/loopgap.h"
#include "checks/person/shenfenzhengpanel.h"
#include "checks/person/shoujipanel.h"
#include "checks/site/ippanel.h"
#include "checks/site/liuxingpanel.h"
#include "checks/site/renqipanel.h"
#include "checks/site/usafepanel.h"
#include "checks/site/yumingpanel.h"
#include "checks/site/zhujipanel.h"
#include "windows/form5.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <optional>

namespace {

using namespace veldrin;

constexpr int budgetMs = 60'000;

enum Page
{
    Record,
    Repeated,
    Marker,
};

struct Outcome
{
    double gapMs = -1;
    int boxes = -1;
};

// Counts the boxes instead of showing them: a modal box would wait for a click.
struct CountingDialogs : Dialogs
{
    void messageBox(QWidget*, int, const QString&, const QString&) override { ++shown; }
    int shown = 0;
};

using Maker = std::unique_ptr<QWidget> (*)(Context&);

template<class P> std::unique_ptr<QWidget> makeAs(Context& context)
{
    auto widget = std::make_unique<P>(context);
    // The update window deletes itself on closing; nothing here closes it.
    widget->setAttribute(Qt::WA_DeleteOnClose, false);
    return widget;
}

struct Lookup
{
    const char* name;
    Maker make;
    const char16_t* input; // none for the update window's check
    const char16_t* typed;
    const char16_t* button;
    // Fixed marker texts (even places) with the values between and after them (odd places).
    QStringList page;
};

const QString ipLocationEnd = QStringLiteral("如果您发现查询结果不详细或不正确，请使用IP数据库自助添加功能进行修正");

// The domain lookup first: its page is the record.
// clang-format off
const std::vector<Lookup>& lookups()
{
    static const std::vector<Lookup> rows = {
        { "domain", &makeAs<YuMingPanel>, u"txtYuMing", u"example.com", u"cmdYuMingChaXun", {} },
        { "host", &makeAs<ZhuJiPanel>, u"txtZhuJi", u"www.example.com", u"cmdZhuJiChaXun",
          { QStringLiteral("本站主数据："), QStringLiteral("北京市 电信abcd"), ipLocationEnd } },
        { "ip", &makeAs<IpPanel>, u"txtIP", u"1.2.3.4", u"cmdIPChaXun",
          { QStringLiteral("本站主数据："), QStringLiteral("北京市 电信abcd"), ipLocationEnd } },
        { "traffic rank", &makeAs<RenQiPanel>, u"txtRenQi", u"www.example.com", u"cmdRenQiChaxun",
          { QStringLiteral("全球综合排名第"), QStringLiteral(" 1234"), QStringLiteral(" 位，中文排名第 "),
            QStringLiteral("56"), QStringLiteral(" 位。") } },
        { "popularity", &makeAs<LiuXingPanel>, u"txtLiuXing", u"www.example.com", u"cmdLiuXingChaXun",
          { QStringLiteral("搜狗评级:"), QStringLiteral("80"), QStringLiteral("/100") } },
        { "indexed pages", &makeAs<LiuXingPanel>, u"txtLiuXing", u"www.example.com", u"cmdShouLuChaXun",
          { QStringLiteral("找到相关网页"), QStringLiteral("约1234"), QStringLiteral("篇，用时") } },
        { "url reputation", &makeAs<USafePanel>, u"txtGM", u"www.example.com", u"cmdGMCX",
          { QStringLiteral("当前状态："), QStringLiteral("安全 更新于昨天") } },
        { "mobile", &makeAs<ShouJiPanel>, u"txtShouJi", u"13800138000", u"cmdShouJiChaXun",
          { QStringLiteral("卡号归属地"), QStringLiteral("北京 "), QStringLiteral("卡 类 型"), QStringLiteral("移动全球通"),
            QStringLiteral("区 号"), QStringLiteral("010 "), QStringLiteral("邮 编"), QStringLiteral("100000"),
            QStringLiteral(" 更详细的..") } },
        { "id card", &makeAs<ShenFenZhengPanel>, u"txtShenFenZheng", u"11010519491231002X",
          u"cmdShenFenZhengChaXun",
          { QStringLiteral("发 证 地："), QStringLiteral("北京市东城区abcdefg"),
            QStringLiteral("点击这里查询验证身份证号码及照片的真实资料") } },
        { "update check", &makeAs<Form5>, nullptr, nullptr, u"Command1",
          { QStringLiteral("The Newest Vision："), QStringLiteral("4.00"), QStringLiteral("########"),
            QStringLiteral("<br>"), QStringLiteral("###Update Text###"), QStringLiteral("<br>修正了若干错误<br>"),
            QStringLiteral("#End#") } },
    };
    return rows;
}

// Labels of rows early, late and in between, values holding the words later rows rewrite, the
// site name and the copyright prefix, so that most rows find something on every line block.
const QString recordBlock = QStringLiteral(
    "Domain Name: EXAMPLE.COM\r\n"
    "Registrar: Example Registrar, Inc.\r\n"
    "Whois Server Version 2.0\r\n"
    "Registrant Organization: Example Holdings\r\n"
    "Registrant Address1: 1 Main St\r\n"
    "Registrant City: Springfield\r\n"
    "Registrant Phone Number: +1.5555551234\r\n"
    "Administrative Contact Country Code: US\r\n"
    "Administrative City: A\r\n"
    "Admin Email: admin@example.com\r\n"
    "Billing Contact City: C\r\n"
    "Billing ID: B-1\r\n"
    "Technical Contact City: D\r\n"
    "Tech Phone: +1.5555550000\r\n"
    "Name Server: NS1.EXAMPLE.COM\r\n"
    "Domain Expiration Date: 2030-01-01\r\n"
    "Creation Date: 2001-01-01\r\n"
    "Updated Date: 2020-01-01\r\n"
    "Status: clientTransferProhibited clientRenewProhibited serverUpdateProhibited\r\n"
    "Status: ServerTransferProhibited serverTransferProhibited\r\n"
    "Domain servers in listed order: DNS Servers\r\n"
    "Tools About us Twitter\r\n"
    "Copyright ? 2026 whois.veldrin.example\r\n");
// clang-format on

QString repeatedTo(const QString& start, const QString& unit, qsizetype units)
{
    QString text = start;
    text.reserve(units);
    while (text.size() + unit.size() <= units)
        text += unit;
    return text;
}

QString pageOf(const Lookup& lookup, Page page, qsizetype units)
{
    const QString sound = lookup.page.join(QString());
    switch (page) {
    case Record:
        return repeatedTo({}, recordBlock, units);
    case Repeated:
        return repeatedTo({}, sound, units);
    case Marker:
        return repeatedTo({}, lookup.page.first(), units - sound.size()) + sound;
    }
    return {};
}

Outcome measure(const Lookup& lookup, Page page, qsizetype units)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "lookupgap_bench";
    char* argv[] = { name, nullptr };
    QApplication app(argc, argv);

    CountingDialogs dialogs;
    Context context;
    context.dialogs = &dialogs;
    context.services.whoisSiteName = QStringLiteral("whois.veldrin.example");
    // Shared by the UI thread's copy and the fetch's worker: a QString copy is thread-safe.
    const QString text = pageOf(lookup, page, units);
    context.pageText = [text](const QString&, const FetchLimits&) {
        return WebText { true, text, {} };
    };
    // The host lookup's name resolves to a documentation address, whose echo is answered.
    context.resolveName = [](const QString&) {
        return QList<Ipv4Address> { Ipv4Address { { 192, 0, 2, 7 } } };
    };
    context.sendEcho = [](std::optional<Ipv4Address> to, const EchoRequest&) {
        return EchoResult { true, 1, to.value_or(Ipv4Address {}), 0, {} };
    };

    const std::unique_ptr<QWidget> widget = lookup.make(context);
    if (qobject_cast<ToolPanel*>(widget.get()))
        widget->resize(twipsToPixels(6015), twipsToPixels(4815));
    widget->show();
    if (lookup.input)
        widget->findChild<QLineEdit*>(QString::fromUtf16(lookup.input))->setText(QString::fromUtf16(lookup.typed));
    QPushButton* button = widget->findChild<QPushButton*>(QString::fromUtf16(lookup.button));
    QCoreApplication::processEvents();

    // The handler returns once the lookup has ended; it waits in loops of its own, where the
    // ticker goes on.
    const double gapMs = veldrin::bench::longestLoopGapMs(app, [button] { button->click(); });
    return Outcome { gapMs, dialogs.shown };
}

void worstGap(benchmark::State& state)
{
    const Lookup& lookup = lookups().at(state.range(0));
    const auto page = static_cast<Page>(state.range(1));
    const qsizetype units = state.range(2) * 1024 * 1024;
    std::optional<Outcome> outcome;
    for (auto _ : state) {
        outcome = bench::valueFromChild([&] { return measure(lookup, page, units); }, budgetMs);
        state.SetIterationTime((outcome ? outcome->gapMs : budgetMs) / 1000.0);
    }
    state.counters["gap_ms"] = outcome ? outcome->gapMs : budgetMs;
    state.counters["boxes"] = outcome ? outcome->boxes : -1;
    state.counters["cut_off"] = outcome ? 0 : 1;
    static const char* const pages[] = { "record", "repeated", "marker" };
    state.SetLabel(std::string(lookup.name) + ", " + pages[page]);
}

void allCases(benchmark::internal::Benchmark* bench)
{
    bench->ArgNames({ "lookup", "page", "MiB" });
    // The domain lookup's record at sizes up to the fetch's cap (16 MiB, FetchLimits::maxBytes).
    for (int mib : { 1, 4, 16 })
        bench->Args({ 0, Record, mib });
    for (int lookup = 1; lookup < int(lookups().size()); ++lookup)
        for (int page : { Repeated, Marker })
            bench->Args({ lookup, page, 16 });
}
BENCHMARK(worstGap)->Apply(allCases)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
