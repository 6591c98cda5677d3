#include "app/toolpanel.h"

#include "app/messages.h"
#include "app/waitinput.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

namespace veldrin {

ToolPanel::ToolPanel(Context& context, const QString& objectName, const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent)
    , m_context(context)
{
    setObjectName(objectName);
    // Drawn like the container frames: flat, no raised border.
    setFlat(true);
    // Every lookup's wait judges the user's input through the same gate.
    installWaitInput();
}

QLineEdit* ToolPanel::addLineEdit(const QString& name, QRect twips, const QString& text)
{
    return layout::place(new QLineEdit(text, this), name, twips);
}

QPlainTextEdit* ToolPanel::addTextBox(const QString& name, QRect twips, const QString& text)
{
    auto* box = layout::place(new QPlainTextEdit(text, this), name, twips);
    // Tab goes on to the next control, as from any text box, instead of into the text.
    box->setTabChangesFocus(true);
    return box;
}

QPushButton* ToolPanel::addButton(const QString& name, const QString& caption, QRect twips)
{
    auto* button = layout::place(new QPushButton(caption, this), name, twips);
    button->setAutoDefault(false);
    return button;
}

QLabel* ToolPanel::addLabel(const QString& name, const QString& caption, QRect twips)
{
    return layout::place(new QLabel(caption, this), name, twips);
}

QComboBox* ToolPanel::addComboBox(const QString& name, QRect twips)
{
    return layout::place(new QComboBox(this), name, twips);
}

QCheckBox* ToolPanel::addCheckBox(const QString& name, const QString& caption, QRect twips)
{
    return layout::place(new QCheckBox(caption, this), name, twips);
}

QRadioButton* ToolPanel::addRadioButton(const QString& name, const QString& caption, QRect twips)
{
    return layout::place(new QRadioButton(caption, this), name, twips);
}

QList<QLabel*> ToolPanel::addLabelColumn(std::span<const NamedText> rows, int top, int step)
{
    QList<QLabel*> labels;
    for (const NamedText& row : rows) {
        labels.append(addLabel(QString::fromUtf16(row.name), QString::fromUtf16(row.text), layout::lineAt(top)));
        top += step;
    }
    return labels;
}

void ToolPanel::restoreCaptions(const QList<QLabel*>& labels, std::span<const NamedText> rows)
{
    for (qsizetype i = 0; i < labels.size() && i < static_cast<qsizetype>(rows.size()); ++i)
        labels[i]->setText(QString::fromUtf16(rows[i].text));
}

void ToolPanel::enableUnlessRunning(QWidget* widget)
{
    if (!lookupRunning())
        widget->setEnabled(true);
}

PageLoader* ToolPanel::addPageLoader(const QString& name)
{
    // Owned as a child of the panel, so it lives exactly as long as the lookup that uses it.
    PageLoader* loader = m_context.pageLoader(this).release();
    loader->setObjectName(name);
    return loader;
}

void ToolPanel::showBox(int style, const QString& title, const QStringList& lines)
{
    showMessage(m_context, window(), style, title, lines);
}

void ToolPanel::showFailure(const QString& firstLine, const QStringList& causes)
{
    showBox(MsgCritical, QStringLiteral("错误"), numberedFailure(firstLine, causes));
}

BusyGuard::BusyGuard(ToolPanel& panel, std::initializer_list<QWidget*> controls, EnableOrder order)
    : m_panel(&panel)
    , m_order(order)
{
    panel.lookupStarted();
    // Taken before the controls are disabled, or Qt would already have moved it on.
    QWidget* window = panel.window();
    QWidget* focused = window->focusWidget();
    const auto holdsFocus = [focused](const QWidget* control) {
        return control == focused || control->isAncestorOf(focused);
    };
    if (focused != nullptr && std::any_of(controls.begin(), controls.end(), holdsFocus)) {
        m_focused = focused;
        m_window = window;
        focused->clearFocus();
    }
    for (QWidget* control : controls) {
        control->setEnabled(false);
        m_controls.append(control);
    }
}

void BusyGuard::end()
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_panel)
        m_panel->lookupEnded();
    const qsizetype count = m_controls.size();
    for (qsizetype n = 0; n < count; ++n) {
        const qsizetype i = m_order == EnableOrder::AsListed ? n : count - 1 - n;
        if (m_controls[i])
            m_controls[i]->setEnabled(true);
    }
    giveFocusBack();
}

void BusyGuard::giveFocusBack()
{
    // A focus found anywhere was put there meanwhile, by the user or by the lookup.
    if (m_window && m_focused && m_window->focusWidget() == nullptr && m_focused->isEnabled() && m_focused->isVisible())
        m_focused->setFocus(Qt::OtherFocusReason);
    m_window.clear();
    m_focused.clear();
}

void BusyGuard::end(std::initializer_list<QWidget*> order)
{
    if (m_ended)
        return;
    QList<QPointer<QWidget>> listed;
    for (QWidget* control : order) {
        if (m_controls.contains(control))
            listed.append(control);
    }
    for (const QPointer<QWidget>& control : std::as_const(m_controls)) {
        if (!listed.contains(control))
            listed.append(control);
    }
    m_controls = listed;
    m_order = EnableOrder::AsListed;
    end();
}

PendingLoad::PendingLoad(ToolPanel& panel, PageLoader& loader)
    : m_panel(panel)
    , m_loader(loader)
{
}

void PendingLoad::arm(std::initializer_list<QWidget*> controls, const QString& url, BusyGuard::EnableOrder order)
{
    // A guard still held from an earlier arm ends before the new one disables the same
    // controls, so they end up disabled.
    m_busy.reset();
    armAgain(std::make_unique<BusyGuard>(m_panel, controls, order), url);
}

void PendingLoad::armAgain(std::unique_ptr<BusyGuard> busy, const QString& url)
{
    m_busy = std::move(busy);
    m_loader.navigate(url);
}

std::unique_ptr<BusyGuard> PendingLoad::take()
{
    return std::move(m_busy);
}

} // namespace veldrin
