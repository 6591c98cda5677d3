#include "windows/form3.h"

#include "app/form1.h"
#include "app/messages.h"
#include "app/panellayout.h"
#include "app/resulttext.h"
#include "windows/version.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace veldrin {

Form3::Form3(Context& context, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_context(context)
{
    setObjectName(QStringLiteral("Form3"));
    // Closing this window hands over to the main window; it never ends the program by itself
    // (Qt would otherwise quit when its last window closes, before the main window is shown).
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(twipsToPixels(7710), twipsToPixels(4485));

    Label1 = layout::place(new QLabel(QStringLiteral("正在连接到服务器......"), this), QStringLiteral("Label1"),
                           QRect(0, 3360, 7710, 480));
    Label1->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("微软雅黑"), 12);
    font.setBold(true);
    Label1->setFont(font);
    QPalette palette = Label1->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(palette);

    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

Form3::~Form3() = default;

void Form3::start()
{
    Form_Load();
    if (!m_ended)
        show();
}

// A second copy of the program ends here, before any window is shown.
void Form3::Form_Load()
{
    if (m_context.instance->anotherInstanceRunning()) {
        m_ended = true;
        m_context.process->endNow();
    }
}

// Activation is unreliable on some window systems and absent offscreen, so the check starts on
// the first show or activation, whichever comes first, and after the window has been drawn.
// Closing the notice activates this window again; that starts nothing.
bool Form3::event(QEvent* event)
{
    if ((event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) && !m_checkQueued) {
        m_checkQueued = true;
        QTimer::singleShot(0, this, &Form3::Form_Activate);
    }
    return QWidget::event(event);
}

void Form3::Form_Activate()
{
    // The start-up check has limits of its own: a silent server delays the main window by a
    // few seconds only.
    Context startUp = m_context;
    startUp.fetchLimits = startUpLimits(m_context.fetchLimits);
    // A page that cannot be had, or carries no version, shows no notice: the start goes on as
    // after a check that found the same version.
    if (const std::optional<QString> page = startUp.fetchPage(Service::VersionPage, versionPagePath())) {
        strVersionPage = *page;
        const std::optional<QString> published = publishedVersion(strVersionPage);
        if (published && !published->isEmpty() && *published != localVersion()) {
            showMessage(m_context, this, MsgInformation, QStringLiteral("版本信息"),
                        { u"您使用的Veldrin版本是：" + localVersion() + u"，最新版本是："
                              + cappedText(*published, labelCaps) + u"，请及时更新。",
                          QStringLiteral("定期将软件升至最新版本，获取更多功能，杜绝软件漏洞！") });
        }
    }

    strVersionPage.clear();
    close();
    m_form1 = std::make_unique<Form1>(m_context);
    m_form1->show();
}

void Form3::paintEvent(QPaintEvent*)
{
    // The start-up picture: a deep blue field that the white caption stands out on.
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, QColor(0x10, 0x3a, 0x7a));
    gradient.setColorAt(1, QColor(0x04, 0x14, 0x33));
    painter.fillRect(rect(), gradient);
    QFont title(QStringLiteral("微软雅黑"), 28);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, width(), height() * 2 / 3), Qt::AlignCenter, appTitle());
}

} // namespace veldrin
