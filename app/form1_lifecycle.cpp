#include "app/form1.h"
#include "app/toolpanel.h"
#include "checks/site/gongshangpanel.h"
#include "checks/site/icppanel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
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

// When the window is first shown, and when the user comes back to it from the update or About
// window, the focus goes to the sink outside the visible area, so that no visible control shows
// a caret. After one of the program's message boxes, or coming back from another program, the
// focus stays where the user left it: typing goes on in the same box.
void Form1::Form_Activate()
{
    if (!m_focusSinkOnActivate)
        return;
    m_focusSinkOnActivate = false;
    Text5->setFocus(Qt::ActiveWindowFocusReason);
}

bool Form1::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QMainWindow::event(event);
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
