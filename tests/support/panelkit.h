#pragma once

#include "app/toolpanel.h"
#include "support/printers.h"

#include <QChar>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>

namespace veldrin::test {

// Types one character as a key press: ASCII through its key, anything else (full-width
// punctuation, Chinese) as a key event carrying only its text, as a keyboard layout sends it.
void typeChar(QWidget* box, QChar c);
void typeText(QWidget* box, const QString& text);
// Puts `text` on the clipboard and pastes it into the box, as Ctrl+V would.
void pasteText(QLineEdit* box, const QString& text);

// A left click on `target` (at `at` in its coordinates, else on its middle), a key press with
// its text, and a turn of the mouse wheel, queued as the window system delivers them: they
// arrive only when an event loop that takes user input runs.
void queueClick(QWidget* target, std::optional<QPoint> at = std::nullopt);
void queueKey(QWidget* window, Qt::Key key, const QString& text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void queueWheel(QWidget* target, int degrees);
// The pointer moved onto `at` in `target` (its middle when not given), no button held.
void queueMove(QWidget* target, std::optional<QPoint> at = std::nullopt);
// The left button pressed on the middle of `from`, the pointer moved onto the middle of `to` in
// the same window and the button released there.
void queueDrag(QWidget* from, QWidget* to);
// True once the window system has handed every queued piece of input to Qt.
bool queuedInputHandled();
// Runs `step` once `ready()` holds, looking again on every turn of whatever event loop runs (the
// loop of a lookup's wait, while one runs), for as long as `context` lives.
void whenReady(QObject* context, const std::function<bool()>& ready, const std::function<void()>& step);

// What a control shows as its text, whatever kind of control it is (a frame: its caption).
QString shownText(const QWidget* widget);
void setShownText(QWidget* widget, const QString& text);

// What a user sees of one control.
struct Look
{
    QString text;
    bool enabled = false;
    bool visible = false;
    bool operator==(const Look&) const = default;
};
// Every named control below `root`, by name.
QHash<QString, Look> looks(const QWidget& root);

// Records the query handlers a panel runs, in order.
struct HandlerLog
{
    explicit HandlerLog(ToolPanel* panel);
    QStringList handlers;
};

// A panel whose lookup the test can mark as running, the way a lookup marks itself while it
// waits for its page.
template<class P> class BusyPanel final : public P
{
public:
    explicit BusyPanel(Context& context)
        : P(context)
    {
    }
    void startLookup() { this->lookupStarted(); }
    void endLookup() { this->lookupEnded(); }
};

struct BuiltPanel
{
    std::unique_ptr<ToolPanel> panel;
    std::function<void()> startLookup;
    std::function<void()> endLookup;

    // A control of the panel by the name the program gives it.
    template<class W = QWidget> W* control(const QString& name) const { return panel->findChild<W*>(name); }
    template<class W = QWidget> W* control(const char16_t* name) const { return control<W>(str(name)); }
};

// Any of the fifteen tool panels by its frame name ("frmIP"), alone, at its size and shown;
// null panel for an unknown name.
BuiltPanel buildPanel(const QString& frame, Context& context);

} // namespace veldrin::test
