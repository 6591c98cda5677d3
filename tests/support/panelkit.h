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

namespace veldrin::test {

// Types one character as a key press: ASCII through its key, anything else (full-width
// punctuation, Chinese) as a key event carrying only its text, as a keyboard layout sends it.
void typeChar(QWidget* box, QChar c);
void typeText(QWidget* box, const QString& text);
// Puts `text` on the clipboard and pastes it into the box, as Ctrl+V would.
void pasteText(QLineEdit* box, const QString& text);

// A left click on the middle of `target` and a key press with its text, queued as the window
// system delivers them: they arrive only when an event loop that takes user input runs.
void queueClick(QWidget* target);
void queueKey(QWidget* window, Qt::Key key, const QString& text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

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
