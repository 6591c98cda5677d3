#include "app/busyinput.h"

#include "platform/waitingfetch.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QThread>
#include <QWheelEvent>
#include <QWindow>
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/private/qhighdpiscaling_p.h>
#include <QtGui/private/qshortcutmap_p.h>
#include <memory>
#include <optional>
#include <qpa/qwindowsysteminterface.h>
#include <vector>

namespace veldrin {

FocusPark::FocusPark(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // One pixel in the corner: inside its panel like every control, and it draws nothing.
    setGeometry(0, 0, 1, 1);
}

void FocusPark::keyPressEvent(QKeyEvent* event)
{
    event->accept();
}

void FocusPark::keyReleaseEvent(QKeyEvent* event)
{
    event->accept();
}

namespace {

QWidget* widgetOf(const QWindow* window)
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->windowHandle() == window)
            return top;
    }
    return nullptr;
}

// The widget Qt would hand a key of `window` to.
QWidget* keyTarget(const QWindow* window)
{
    if (QWidget* grabber = QWidget::keyboardGrabber())
        return grabber;
    QWidget* top = widgetOf(window);
    if (top == nullptr)
        return nullptr;
    return top->focusWidget() != nullptr ? top->focusWidget() : top;
}

// The widget under the pointer at `position` in `window`, or the one holding the mouse.
QWidget* pointerTarget(const QWindow* window, QPointF position)
{
    if (QWidget* grabber = QWidget::mouseGrabber())
        return grabber;
    QWidget* top = widgetOf(window);
    if (top == nullptr)
        return nullptr;
    QWidget* under = top->childAt(position.toPoint());
    return under != nullptr ? under : top;
}

// A key press some shortcut of the program answers: the window's own key, whatever has the focus.
bool isShortcut(const QKeyEvent& key)
{
    const QKeySequence sequence(QKeyCombination(key.modifiers(), Qt::Key(key.key())));
    return key.type() == QEvent::KeyPress
        && QGuiApplicationPrivate::instance()->shortcutMap.hasShortcutForKeySequence(sequence);
}

bool isBusy(const QWidget* target)
{
    return target != nullptr && (!target->isEnabled() || qobject_cast<const FocusPark*>(target) != nullptr);
}

// Watches the input Qt hands to the native windows, before it is routed to a widget, while a
// wait runs. Each click or key is judged as it comes, by what it is aimed at now, since the
// lookup enables its controls again before anything queued could be delivered.
class BusyInput final : public QObject, public WaitInputGate
{
public:
    explicit BusyInput(QObject* parent)
        : QObject(parent)
    {
    }
    ~BusyInput() override { setWaitInputGate(nullptr); }
    BusyInput(const BusyInput&) = delete;
    BusyInput& operator=(const BusyInput&) = delete;

    bool waitStarting() override
    {
        if (QThread::currentThread() != thread())
            return false;
        m_modalAtStart.push_back(QGuiApplication::modalWindow());
        return true;
    }

    void waitEnded() override
    {
        m_modalAtStart.pop_back();
        if (!m_modalAtStart.empty())
            return;
        m_pressKept.reset();
        handBack();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A box that came up during the wait runs a loop of its own: its input is live.
        if (m_modalAtStart.empty() || m_modalAtStart.back() != QGuiApplication::modalWindow()
            || !watched->isWindowType())
            return false;
        auto* window = static_cast<QWindow*>(watched);
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Claimed, so that no shortcut fires inside the wait: the key press that follows is
            // judged below, and one kept meets the shortcuts when it is delivered again.
            event->accept();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            keep(window, event, !isBusy(keyTarget(window)) || isShortcut(static_cast<const QKeyEvent&>(*event)));
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
            keep(window, event, mouseKept(window, static_cast<const QMouseEvent&>(*event)));
            return true;
        case QEvent::MouseButtonDblClick:
            // Qt makes it again from the second press when that is delivered again.
            return true;
        case QEvent::Enter:
            // Not input the user aims: the pointer crossing into the window, as when not busy.
            return false;
        case QEvent::Wheel: {
            const auto& wheel = static_cast<const QWheelEvent&>(*event);
            // A wheel turned both ways comes twice; the second copy carries no delta of its own.
            const bool carries = !wheel.angleDelta().isNull() || !wheel.pixelDelta().isNull();
            keep(window, event, carries && !isBusy(pointerTarget(window, wheel.position())));
            return true;
        }
        default:
            // Touch and tablet input is not handed back: this tool is driven by mouse and keys.
            return event->isInputEvent();
        }
    }

private:
    struct Held
    {
        QPointer<QWindow> window;
        std::unique_ptr<QEvent> event;
    };

    // The moves and the release of a held-down button go where its press went.
    bool mouseKept(const QWindow* window, const QMouseEvent& mouse)
    {
        const bool free = !isBusy(pointerTarget(window, mouse.position()));
        switch (mouse.type()) {
        case QEvent::MouseButtonPress:
            if (!m_pressKept)
                m_pressKept = free;
            return *m_pressKept;
        case QEvent::MouseButtonRelease: {
            const bool kept = m_pressKept.value_or(free);
            if (mouse.buttons() == Qt::NoButton)
                m_pressKept.reset();
            return kept;
        }
        default:
            return mouse.buttons() != Qt::NoButton ? m_pressKept.value_or(free) : free;
        }
    }

    void keep(QWindow* window, const QEvent* event, bool kept)
    {
        if (kept)
            m_held.push_back(Held { window, std::unique_ptr<QEvent>(event->clone()) });
    }

    // Back into the window system's queue, in the order made and with their own times (so a
    // double click is one again): delivered once a loop that takes input runs, which is after
    // the lookup has returned, and through the same checks as any input.
    void handBack()
    {
        std::vector<Held> held = std::move(m_held);
        m_held.clear();
        for (const Held& input : held) {
            QWindow* window = input.window.data();
            if (window == nullptr)
                continue;
            const QEvent* event = input.event.get();
            switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease: {
                const auto* key = static_cast<const QKeyEvent*>(event);
                QWindowSystemInterface::handleExtendedKeyEvent(
                    window, key->timestamp(), key->type(), key->key(), key->modifiers(), key->nativeScanCode(),
                    key->nativeVirtualKey(), key->nativeModifiers(), key->text(), key->isAutoRepeat(),
                    static_cast<ushort>(key->count()));
                break;
            }
            case QEvent::Wheel: {
                const auto* wheel = static_cast<const QWheelEvent*>(event);
                QWindowSystemInterface::handleWheelEvent(
                    window, wheel->timestamp(), wheel->pointingDevice(),
                    QHighDpi::toNativeLocalPosition(wheel->position(), window),
                    QHighDpi::toNativeGlobalPosition(wheel->globalPosition(), window), wheel->pixelDelta(),
                    wheel->angleDelta(), wheel->modifiers(), wheel->phase(), wheel->source(), wheel->inverted());
                break;
            }
            default: {
                const auto* mouse = static_cast<const QMouseEvent*>(event);
                QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                    window, mouse->timestamp(), mouse->pointingDevice(),
                    QHighDpi::toNativeLocalPosition(mouse->position(), window),
                    QHighDpi::toNativeGlobalPosition(mouse->globalPosition(), window), mouse->buttons(),
                    mouse->button(), mouse->type(), mouse->modifiers(), mouse->source());
                break;
            }
            }
        }
    }

    // One entry per running wait, innermost last: the modal window when it started.
    std::vector<QPointer<QWindow>> m_modalAtStart;
    std::optional<bool> m_pressKept;
    std::vector<Held> m_held;
};

} // namespace

void installBusyInput()
{
    static QPointer<BusyInput> installed;
    if (installed || QCoreApplication::instance() == nullptr)
        return;
    installed = new BusyInput(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(installed);
    setWaitInputGate(installed);
}

} // namespace veldrin
