#include "app/waitinput.h"

#include "platform/waitingfetch.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QThread>
#include <QWindow>
#include <optional>
#include <vector>

namespace veldrin {

namespace {

constexpr char wayOutProperty[] = "veldrinWayOut";

bool isMarked(const QObject* object)
{
    return object != nullptr && object->property(wayOutProperty).toBool();
}

// Whether the mouse at `position` (in `widget`'s coordinates) is on a way out: a marked control
// or anything inside it, or the title of a marked menu in the menu bar. The bar's other titles
// are not: moving onto one while the menu is open would switch to that menu.
bool isWayOut(const QWidget* widget, QPointF position)
{
    if (const auto* bar = qobject_cast<const QMenuBar*>(widget))
        return isMarked(bar->actionAt(position.toPoint()));
    for (const QWidget* w = widget; w != nullptr; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (isMarked(w))
            return true;
    }
    return false;
}

QWidget* widgetOf(const QWindow* window)
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->windowHandle() == window)
            return top;
    }
    return nullptr;
}

// Where Qt will take a mouse event that the window system reports for `window`: to the open
// popup, which has every click and move while it is up, or to the control under the pointer.
bool aimedAtWayOut(const QWindow* window, const QMouseEvent& mouse)
{
    if (const QWidget* popup = QApplication::activePopupWidget())
        return isMarked(popup);
    const QWidget* top = widgetOf(window);
    if (top == nullptr)
        return false;
    const QWidget* under = top->childAt(mouse.position().toPoint());
    return under != nullptr ? isWayOut(under, under->mapFrom(top, mouse.position())) : isWayOut(top, mouse.position());
}

bool isMouse(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick
        || type == QEvent::MouseMove;
}

bool isDrag(QEvent::Type type)
{
    return type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop;
}

// Input the user aims at a control: clicks, moves, keys (and the shortcut check before each key
// press), the wheel, touch, tablet, context-menu requests, text from an input method or dropped
// in from elsewhere. Not the pointer merely crossing into a window or over a control.
bool isUserInput(const QEvent& event)
{
    switch (event.type()) {
    case QEvent::Enter:
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::HoverLeave:
        return false;
    case QEvent::InputMethod:
        return true;
    default:
        return event.isInputEvent() || isDrag(event.type());
    }
}

// Judges each piece of input as Qt delivers it, while a wait runs: first as the window system
// reports it to a native window, then again as Qt hands it to a control (a menu passes the
// mouse on to its menu bar that way). What is dropped is gone; nothing is kept for later.
class WaitInput final : public QObject, public WaitInputGate
{
public:
    explicit WaitInput(QObject* parent)
        : QObject(parent)
    {
    }
    ~WaitInput() override { setWaitInputGate(nullptr); }
    WaitInput(const WaitInput&) = delete;
    WaitInput& operator=(const WaitInput&) = delete;

    bool waitStarting() override
    {
        if (QThread::currentThread() != thread())
            return false;
        if (m_modalAtStart.empty()) {
            // Installed last, so it sees the input before any other filter of the application.
            QCoreApplication::instance()->installEventFilter(this);
            QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        }
        m_modalAtStart.push_back(QGuiApplication::modalWindow());
        return true;
    }

    void waitEnded() override
    {
        m_modalAtStart.pop_back();
        if (!m_modalAtStart.empty())
            return;
        QCoreApplication::instance()->removeEventFilter(this);
        QGuiApplication::restoreOverrideCursor();
        m_pressPasses.reset();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A box that came up during the innermost wait runs a loop of its own: its input is
        // live, and Qt keeps it from the windows behind the box.
        if (!isUserInput(*event) || QGuiApplication::modalWindow() != m_modalAtStart.back())
            return false;
        const QEvent::Type type = event->type();
        if (isMouse(type) && mousePasses(watched, static_cast<const QMouseEvent&>(*event)))
            return false;
        // Taken as handled, so that neither a shortcut nor the window system acts on it instead;
        // a drop offered is refused.
        if (isDrag(type))
            event->ignore();
        else
            event->accept();
        return true;
    }

private:
    bool mousePasses(const QObject* watched, const QMouseEvent& mouse)
    {
        if (watched->isWidgetType())
            return isWayOut(static_cast<const QWidget*>(watched), mouse.position());
        if (!watched->isWindowType())
            return false;
        // A press decides for the moves and the release that follow it until the last button is
        // up: a way out pressed and left gets its release outside and does not act.
        const auto* window = static_cast<const QWindow*>(watched);
        switch (mouse.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (!m_pressPasses)
                m_pressPasses = aimedAtWayOut(window, mouse);
            return *m_pressPasses;
        case QEvent::MouseButtonRelease: {
            const bool passes = m_pressPasses.value_or(aimedAtWayOut(window, mouse));
            if (mouse.buttons() == Qt::NoButton)
                m_pressPasses.reset();
            return passes;
        }
        default:
            return mouse.buttons() != Qt::NoButton && m_pressPasses ? *m_pressPasses : aimedAtWayOut(window, mouse);
        }
    }

    // One entry per running wait, innermost last: the modal window when it started.
    std::vector<QPointer<QWindow>> m_modalAtStart;
    // Whether the buttons held down now were pressed on a way out; none while no button is.
    std::optional<bool> m_pressPasses;
};

} // namespace

void installWaitInput()
{
    static QPointer<WaitInput> installed;
    if (installed || QCoreApplication::instance() == nullptr)
        return;
    installed = new WaitInput(QCoreApplication::instance());
    setWaitInputGate(installed);
}

void markWayOut(QWidget* control)
{
    control->setProperty(wayOutProperty, true);
    // A menu is reached through its title in the menu bar, which stands for its own action.
    if (auto* menu = qobject_cast<QMenu*>(control))
        menu->menuAction()->setProperty(wayOutProperty, true);
}

} // namespace veldrin
