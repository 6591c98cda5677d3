#pragma once

#include "app/context.h"
#include "app/keyfilter.h"
#include "app/panellayout.h"

#include <QGroupBox>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace veldrin {

// A control's name and the text it shows at start, which a reset brings back.
struct NamedText
{
    const char16_t* name;
    const char16_t* text;
};

class ToolPanel;

// Holds a lookup's controls disabled and the lookup counted as running, from construction
// until end() or destruction, whichever comes first: every way out of a handler (result, not
// found, failure, exception) enables them again. A handler whose lookup enables the panel
// before its message box calls end() before showing it. The controls are enabled again in
// the reverse of the order they were disabled in, or, for lookups that enable them as
// listed, in that order. When one of the controls has the focus, it is taken from it first (Qt
// would pass it on to the next control, often an editable result box, where keys would land)
// and given back at the end, unless something has taken the focus meanwhile.
class BusyGuard
{
public:
    enum class EnableOrder
    {
        Reversed,
        AsListed
    };
    BusyGuard(ToolPanel& panel, std::initializer_list<QWidget*> controls, EnableOrder order = EnableOrder::Reversed);
    ~BusyGuard() { end(); }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

    void end();
    // Ends the guard enabling the controls in `order` (the guard's controls, listed again), for
    // a lookup whose ways out enable them in different orders.
    void end(std::initializer_list<QWidget*> order);

private:
    void giveFocusBack();

    QPointer<ToolPanel> m_panel;
    QList<QPointer<QWidget>> m_controls;
    QPointer<QWidget> m_focused; // the control whose focus was taken, until it is given back
    QPointer<QWidget> m_window; // the window it was taken in
    EnableOrder m_order;
    bool m_ended = false;
};

// The pending flag of a lookup that finishes in its loader's page event. arm() disables the
// controls, sets the flag and navigates, in that order and without yielding. The page handler
// starts with take(): nothing when the flag is clear (a later event of the same navigation, or
// one nobody asked for); otherwise the flag is cleared and the returned guard keeps the
// controls disabled until the handler drops it, or hands it back to armAgain() to load a
// second page in the same lookup.
class PendingLoad
{
public:
    PendingLoad(ToolPanel& panel, PageLoader& loader);

    void arm(std::initializer_list<QWidget*> controls, const QString& url,
             BusyGuard::EnableOrder order = BusyGuard::EnableOrder::Reversed);
    void armAgain(std::unique_ptr<BusyGuard> busy, const QString& url);
    std::unique_ptr<BusyGuard> take();

    bool isArmed() const { return m_busy != nullptr; }
    PageLoader& loader() const { return m_loader; }

private:
    ToolPanel& m_panel;
    PageLoader& m_loader;
    std::unique_ptr<BusyGuard> m_busy; // set exactly while armed
};

// What every tool panel shares: the frame, the widget factories that give each control its
// name, the key-handler hook, the running-lookup count that keeps a reset from re-enabling
// a lookup's controls under it, the waiting fetch, its page loaders and the message boxes.
class ToolPanel : public QGroupBox
{
    Q_OBJECT
public:
    ToolPanel(Context& context, const QString& objectName, const QString& caption, QWidget* parent = nullptr);

    // The box that receives the focus when the panel is switched to; none for some panels.
    virtual QWidget* focusBox() const { return nullptr; }

    // The panel's block of ResetAllPanels; empty for the panels the reset leaves alone.
    virtual void resetPanel() { }

    // True while one of the panel's lookups has started and not yet ended.
    bool lookupRunning() const { return m_runningLookups > 0; }

Q_SIGNALS:
    // A query handler of this panel has started (its name, e.g. "cmdIPChaXun_Click"), whether
    // run by its button or by a key handler's Enter action.
    void queryHandlerStarted(const QString& handler);

protected:
    Context& context() const { return m_context; }

    // First statement of every query handler.
    void queryStarting(const QString& handler) { Q_EMIT queryHandlerStarted(handler); }

    // Controls placed at a twips rectangle inside the panel, named as the program calls them.
    QLineEdit* addLineEdit(const QString& name, QRect twips, const QString& text = {});
    QPlainTextEdit* addTextBox(const QString& name, QRect twips, const QString& text = {});
    QPushButton* addButton(const QString& name, const QString& caption, QRect twips);
    QLabel* addLabel(const QString& name, const QString& caption, QRect twips);
    QComboBox* addComboBox(const QString& name, QRect twips);
    QCheckBox* addCheckBox(const QString& name, const QString& caption, QRect twips);
    QRadioButton* addRadioButton(const QString& name, const QString& caption, QRect twips);

    // Full-width labels stacked from `top` (twips), one per row, each with its start caption.
    QList<QLabel*> addLabelColumn(std::span<const NamedText> rows, int top, int step = 360);
    // Gives each label of such a column its start caption again.
    static void restoreCaptions(const QList<QLabel*>& labels, std::span<const NamedText> rows);

    // The lookup of this panel has started or ended (BusyGuard calls them). Counted, so
    // overlapping lookups of one panel keep it busy until the last one ends.
    void lookupStarted() { ++m_runningLookups; }
    void lookupEnded() { m_runningLookups = m_runningLookups > 0 ? m_runningLookups - 1 : 0; }

    // The page text of `service` at `pathAndQuery` (Context::fetchPage); no value on failure.
    std::optional<QString> fetchPage(Service service, const QString& pathAndQuery) const
    {
        return m_context.fetchPage(service, pathAndQuery);
    }

    // A hidden page loader owned by the panel and named as the program calls it; never null.
    PageLoader* addPageLoader(const QString& name);

    // What a reset does to a lookup's input box and query button: enabled again, unless the
    // lookup still runs; then they stay disabled until it ends.
    void enableUnlessRunning(QWidget* widget);

    // A box of exact lines over this panel's window (showMessage).
    void showBox(int style, const QString& title, const QStringList& lines);

    // Critical box titled "错误": `firstLine` (ending in "错误原因："), then each cause on its
    // own line numbered "1.", "2.", ..., joined by a carriage return alone.
    void showFailure(const QString& firstLine, const QStringList& causes);

private:
    friend class BusyGuard;

    Context& m_context;
    int m_runningLookups = 0;
};

} // namespace veldrin
