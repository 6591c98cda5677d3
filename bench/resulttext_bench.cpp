// The longest stall of the event loop while a result control shows one unbroken line of page
// text, set through the control's own setter ("raw") and through the result-text helper.
//
// Each case runs in a child process of its own with a fresh QApplication (the platform of
// QT_QPA_PLATFORM, offscreen when unset): the control is placed at a panel's size and shown, a
// timer ticks every millisecond, the text is set, and the loop runs on until the control has
// been laid out and painted. Reported:
//   gap_ms     the longest time between two ticks: how long the window stood still
//   shown      UTF-16 units the control shows afterwards
//   cut_off    1 when the child outran the budget and was ended; gap_ms is then the budget, a floor
// The line is Latin letters and digits without a blank, so there is no break opportunity.

#include "app/panellayout.h"
#include "app/resulttext.h"
#include "bench/childvalue.h"
#include "bench/loopgap.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <optional>

namespace {

using namespace veldrin;

enum Control
{
    ResultLabel, // one result line of a panel, plain text, not wrapped
    WrappedLabel, // plain text, word-wrapped, as a panel's explanation or a box's text
    LineEdit,
    TextBox,
};

enum Setter
{
    Raw,
    Helper,
};

// A raw 4 Mi-unit line in a text box would take many minutes; this is where it is given up.
constexpr int budgetMs = 30'000;

struct Outcome
{
    double gapMs = -1;
    double shown = -1;
};

QString unbrokenLine(qsizetype units)
{
    static const QString pattern = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789");
    QString line;
    line.reserve(units);
    while (line.size() < units)
        line += pattern;
    line.truncate(units);
    return line;
}

Outcome measure(Control control, Setter setter, qsizetype units)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "resulttext_bench";
    char* argv[] = { name, nullptr };
    QApplication app(argc, argv);

    QWidget panel;
    panel.resize(twipsToPixels(6030), twipsToPixels(4815));
    QLabel* label = nullptr;
    QLineEdit* edit = nullptr;
    QPlainTextEdit* box = nullptr;
    switch (control) {
    case ResultLabel:
    case WrappedLabel:
        label = layout::place(new QLabel(&panel), QStringLiteral("label"), layout::lineAt(1140));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(control == WrappedLabel);
        break;
    case LineEdit:
        edit = layout::place(new QLineEdit(&panel), QStringLiteral("edit"), layout::inputRowAt(420).box);
        break;
    case TextBox:
        box = layout::place(new QPlainTextEdit(&panel), QStringLiteral("box"), QRect(120, 1140, 2820, 1980));
        break;
    }
    panel.show();
    QCoreApplication::processEvents();

    const QString text = unbrokenLine(units);
    Outcome outcome;
    outcome.gapMs = veldrin::bench::longestLoopGapMs(app, [&] {
        if (label)
            setter == Raw ? label->setText(text) : showInLabel(label, text);
        else if (edit)
            setter == Raw ? edit->setText(text) : showInLineEdit(edit, text);
        else
            setter == Raw ? box->setPlainText(text) : showInTextBox(box, text);
    });
    outcome.shown = double(label ? label->text().size() : edit ? edit->text().size() : box->toPlainText().size());
    return outcome;
}

void worstGap(benchmark::State& state)
{
    const auto control = static_cast<Control>(state.range(0));
    const auto setter = static_cast<Setter>(state.range(1));
    const qsizetype units = state.range(2);
    std::optional<Outcome> outcome;
    for (auto _ : state) {
        outcome = bench::valueFromChild([&] { return measure(control, setter, units); }, budgetMs);
        state.SetIterationTime((outcome ? outcome->gapMs : budgetMs) / 1000.0);
    }
    state.counters["gap_ms"] = outcome ? outcome->gapMs : budgetMs;
    state.counters["shown"] = outcome ? outcome->shown : -1;
    state.counters["cut_off"] = outcome ? 0 : 1;
    static const char* const controls[] = { "result label", "wrapped label", "line edit", "text box" };
    state.SetLabel(std::string(controls[control]) + (setter == Raw ? ", raw setter" : ", helper"));
}

void allCases(benchmark::internal::Benchmark* bench)
{
    bench->ArgNames({ "control", "helper", "units" });
    for (int control : { ResultLabel, WrappedLabel, LineEdit, TextBox })
        for (int setter : { Raw, Helper })
            for (qsizetype units : { qsizetype(64) * 1024, qsizetype(4) * 1024 * 1024 })
                bench->Args({ control, setter, units });
    // The helper at the size the fetch accepts at most.
    for (int control : { ResultLabel, WrappedLabel, LineEdit, TextBox })
        bench->Args({ control, Helper, qsizetype(16) * 1024 * 1024 });
}
BENCHMARK(worstGap)->Apply(allCases)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
