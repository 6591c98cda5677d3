#include "support/panelkit.h"

#include "checks/person/mxpanel.h"
#include "checks/person/qqpanel.h"
#include "checks/person/shenfenzhengpanel.h"
#include "checks/person/shoujipanel.h"
#include "checks/person/telwzpanel.h"
#include "checks/site/gongshangpanel.h"
#include "checks/site/icppanel.h"
#include "checks/site/ippanel.h"
#include "checks/site/liuxingpanel.h"
#include "checks/site/renqipanel.h"
#include "checks/site/slpanel.h"
#include "checks/site/usafepanel.h"
#include "checks/site/yumingpanel.h"
#include "checks/site/zhujipanel.h"
#include "shop/tbpanel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

namespace veldrin::test {

void typeChar(QWidget* box, QChar c)
{
    if (c.unicode() < 0x80)
        QTest::keyClick(box, static_cast<char>(c.unicode()));
    else
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void typeText(QWidget* box, const QString& text)
{
    for (QChar c : text)
        typeChar(box, c);
}

void pasteText(QLineEdit* box, const QString& text)
{
    QApplication::clipboard()->setText(text);
    box->paste();
}

namespace {

// Queues mouse events of `types` at `at` in `target` (its middle when not given), the left
// button held from the press on.
void queueMouse(QWidget* target, std::optional<QPoint> at, std::initializer_list<QEvent::Type> types,
                Qt::MouseButtons held = Qt::NoButton)
{
    QWidget* top = target->window();
    QWindow* window = top->windowHandle();
    const QPointF local
        = target->mapTo(top, at ? QPointF(*at) : QPointF(target->width() / 2.0, target->height() / 2.0));
    const QPointF global = top->mapToGlobal(local);
    for (const QEvent::Type type : types) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        if (type == QEvent::MouseButtonPress)
            held = Qt::LeftButton;
        else if (type == QEvent::MouseButtonRelease)
            held = Qt::NoButton;
        QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(window, local, global,
                                                                                               held, button, type);
    }
}

} // namespace

void queueClick(QWidget* target, std::optional<QPoint> at)
{
    queueMouse(target, at, { QEvent::MouseButtonPress, QEvent::MouseButtonRelease });
}

void queueMove(QWidget* target, std::optional<QPoint> at)
{
    queueMouse(target, at, { QEvent::MouseMove });
}

void queueDrag(QWidget* from, QWidget* to)
{
    queueMouse(from, std::nullopt, { QEvent::MouseButtonPress });
    queueMouse(to, std::nullopt, { QEvent::MouseMove, QEvent::MouseButtonRelease }, Qt::LeftButton);
}

void queueKey(QWidget* window, Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers)
{
    using Async = QWindowSystemInterface::AsynchronousDelivery;
    QWindow* handle = window->window()->windowHandle();
    QWindowSystemInterface::handleKeyEvent<Async>(handle, QEvent::KeyPress, key, modifiers, text);
    QWindowSystemInterface::handleKeyEvent<Async>(handle, QEvent::KeyRelease, key, modifiers, text);
}

void queueWheel(QWidget* target, int degrees)
{
    QWidget* top = target->window();
    const QPointF local = target->mapTo(top, QPointF(target->width() / 2.0, target->height() / 2.0));
    // The wheel reports eighths of a degree. Without a delivery named, the event is queued.
    QWindowSystemInterface::handleWheelEvent(top->windowHandle(), local, top->mapToGlobal(local), QPoint(),
                                             QPoint(0, degrees * 8));
}

bool queuedInputHandled()
{
    return QWindowSystemInterface::windowSystemEventsQueued() == 0;
}

void whenReady(QObject* context, const std::function<bool()>& ready, const std::function<void()>& step)
{
    if (ready()) {
        step();
        return;
    }
    QTimer::singleShot(std::chrono::milliseconds(2), context, [=] { whenReady(context, ready, step); });
}

QString shownText(const QWidget* widget)
{
    if (auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    if (auto* box = qobject_cast<const QPlainTextEdit*>(widget))
        return box->toPlainText();
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->currentText();
    if (auto* frame = qobject_cast<const QGroupBox*>(widget))
        return frame->title();
    return {};
}

void setShownText(QWidget* widget, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(text);
    else if (auto* box = qobject_cast<QPlainTextEdit*>(widget))
        box->setPlainText(text);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
}

QHash<QString, Look> looks(const QWidget& root)
{
    QHash<QString, Look> result;
    for (const QWidget* widget : root.findChildren<QWidget*>()) {
        if (!widget->objectName().isEmpty() && !widget->objectName().startsWith(u"qt_"))
            result.insert(widget->objectName(),
                          Look { shownText(widget), widget->isEnabled(), widget->isVisibleTo(&root) });
    }
    return result;
}

HandlerLog::HandlerLog(ToolPanel* panel)
{
    QObject::connect(panel, &ToolPanel::queryHandlerStarted, panel,
                     [this](const QString& handler) { handlers.append(handler); });
}

namespace {

template<class P> BuiltPanel buildAs(Context& context)
{
    auto panel = std::make_unique<BusyPanel<P>>(context);
    auto* raw = panel.get();
    raw->resize(twipsToPixels(6015), twipsToPixels(4815));
    raw->show();
    return BuiltPanel { std::move(panel), [raw] { raw->startLookup(); },
                        [raw] {
                            raw->endLookup();
                        } };
}

} // namespace

BuiltPanel buildPanel(const QString& frame, Context& context)
{
    using Maker = BuiltPanel (*)(Context&);
    static const std::pair<const char16_t*, Maker> makers[] = {
        { u"frmYuMing", &buildAs<YuMingPanel> },
        { u"frmZhuJi", &buildAs<ZhuJiPanel> },
        { u"frmIP", &buildAs<IpPanel> },
        { u"frmSL", &buildAs<SlPanel> },
        { u"frmRenQi", &buildAs<RenQiPanel> },
        { u"frmLiuXing", &buildAs<LiuXingPanel> },
        { u"frmICP", &buildAs<IcpPanel> },
        { u"frmUSafe", &buildAs<USafePanel> },
        { u"frmGongShang", &buildAs<GongShangPanel> },
        { u"frmShouJi", &buildAs<ShouJiPanel> },
        { u"frmShenFenZheng", &buildAs<ShenFenZhengPanel> },
        { u"frmTelWZ", &buildAs<TelWzPanel> },
        { u"frmQQ", &buildAs<QqPanel> },
        { u"frmMX", &buildAs<MxPanel> },
        { u"frmTB", &buildAs<TbPanel> },
    };
    for (const auto& [name, make] : makers) {
        if (frame == QString::fromUtf16(name))
            return make(context);
    }
    return {};
}

} // namespace veldrin::test
