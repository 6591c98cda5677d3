#pragma once

#include "app/context.h"
#include "app/keyfilter.h"
#include "app/panellayout.h"

#include <QGroupBox>
#include <QRect>
#include <QStringList>
#include <functional>
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

// What every tool panel shares: the frame, the widget factories that give each control its
// name, the key-handler hook, the running-lookup count that keeps a reset from re-enabling
// a lookup's controls under it, and the failure box.
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

    // The lookup of this panel has started or ended. Counted, so overlapping lookups of one
    // panel keep it busy until the last one ends.
    void lookupStarted() { ++m_runningLookups; }
    void lookupEnded() { m_runningLookups = m_runningLookups > 0 ? m_runningLookups - 1 : 0; }

    // What a reset does to a lookup's input box and query button: enabled again, unless the
    // lookup still runs; then they stay disabled until it ends.
    void enableUnlessRunning(QWidget* widget);

    // Critical box titled "错误": `firstLine` (ending in "错误原因："), then each cause on its
    // own line numbered "1.", "2.", ..., joined by a carriage return alone.
    void showFailure(const QString& firstLine, const QStringList& causes);

private:
    Context& m_context;
    int m_runningLookups = 0;
};

} // namespace veldrin
