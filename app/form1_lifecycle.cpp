#include "app/form1.h"
#include "app/toolpanel.h"
#include "checks/site/gongshangpanel.h"
#include "checks/site/icppanel.h"
#include "windows/form2.h"
#include "windows/form5.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWindow>

namespace veldrin {

// Load steps. None of them reports a failure: a step that cannot be done is left out and
// loading goes on.
void Form1::Form_Load()
{
    // A second copy of the program ends here, before its window is ever shown.
    if (m_context.instance != nullptr && m_context.instance->anotherInstanceRunning()) {
        m_context.process->endNow();
        return;
    }
    if (m_context.hotKey != nullptr)
        m_context.hotKey->registerAltA(this);
    if (m_icp != nullptr) {
        if (PageLoader* web = m_icp->WebICP())
            web->setSilent(true);
    }
    cmdChuJi_Click();
    m_gongShang->underlineLinks();
    m_gongShang->fillLists();
    // The tool panels are drawn like the container frames.
    for (ToolPanel* panel : std::as_const(m_panels))
        panel->setFlat(true);
}

namespace {

// Whether a press of the mouse at `pos` (in the window's coordinates) gives a control the focus:
// the control under it, or the nearest of its parents, takes the focus by a click.
bool pressSetsFocus(const QWidget* window, QPoint pos)
{
    for (const QWidget* widget = window->childAt(pos); widget != nullptr && !widget->isWindow();
         widget = widget->parentWidget()) {
        if (widget->isEnabled() && (widget->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus)
            return true;
    }
    return false;
}

} // namespace

// When the window is first shown, and when the user comes back to it from the update or About
// window, the focus goes to the sink outside the visible area, so that no visible control shows
// a caret. After one of the program's message boxes, or coming back from another program, the
// focus stays where the user left it: typing goes on in the same box.
void Form1::Form_Activate()
{
    if (!m_focusSinkPending)
        return;
    m_focusSinkPending = false;
    Text5->setFocus(Qt::ActiveWindowFocusReason);
}

bool Form1::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    // The window system's input reaches the native window before any control.
    if (event->type() == QEvent::Show) {
        if (QWindow* native = windowHandle())
            native->installEventFilter(this);
    }
    return QMainWindow::event(event);
}

// The window system may report this window's activation before or after the click that
// activated it (without a window manager it comes after). A click that gives a control the
// focus is the user's choice either way, so it disarms the move to the sink. Leaving the update
// or About window by closing it moves the focus at once, while this window may still wait for
// its activation: a click that comes first then lands where the user clicked.
void Form1::watchFocus(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    // Known by its class, not by the guarded pointers: a window being destroyed still sends
    // events, and is no update or About window any more by then.
    if (qobject_cast<Form5*>(watched) != nullptr || qobject_cast<Form2*>(watched) != nullptr) {
        if (type == QEvent::WindowActivate) {
            m_focusSinkPending = true;
        } else if (type == QEvent::Hide && m_focusSinkPending) {
            m_focusSinkPending = false;
            Text5->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    if (m_focusSinkPending && type == QEvent::MouseButtonPress && watched == windowHandle()) {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        if (pressSetsFocus(this, mouse->position().toPoint()))
            m_focusSinkPending = false;
    }
}

// Any close request ends the program at once; nothing is saved and no other window is asked.
void Form1::closeEvent(QCloseEvent* event)
{
    event->ignore();
    m_context.process->endNow();
}

void Form1::Command2_Click()
{
    m_context.process->endNow();
}

void Form1::mnuEnd_Click()
{
    hide();
    m_context.process->endNow();
}

// Keeps the window above other windows, or releases it, without moving or resizing it. The
// flag goes to the native window directly: setting it on the widget would re-create the
// native window, hiding it and losing its place.
void Form1::Check1_Click()
{
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, Check1->checkState() == Qt::Checked);
    if (flags == windowFlags())
        return;
    if (QWindow* native = windowHandle()) {
        overrideWindowFlags(flags);
        native->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
}

} // namespace veldrin
