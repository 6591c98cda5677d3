#include "checks/site/ippanel.h"

#include "app/panellayout.h"
#include "app/resulttext.h"
#include "checks/site/ipaddress.h"
#include "checks/site/iplocationpage.h"
#include "platform/convert.h"
#include "platform/textsearch.h"

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace veldrin {

namespace {

const QString resultCaption = QStringLiteral("查询结果");

const QStringList failureCauses = {
    QStringLiteral("IP地址输入错误，请重新输入！"),
    QStringLiteral("服务器繁忙或检修维护，请稍后再试！"),
    QStringLiteral("VeldrinXMLhttp组件丢失，请重新下载！"),
    QStringLiteral("网络不稳定或繁忙，请退出占用大量网络资源的程序！"),
};

} // namespace

IpPanel::IpPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmIP"), QStringLiteral("IP地址查询"), parent)
{
    const layout::InputRow row = layout::inputRowAt(360);
    addLabel(QStringLiteral("lblIPDZ"), QStringLiteral("IP地址："), row.prompt);
    m_txtIP = addLineEdit(QStringLiteral("txtIP"), row.box);
    m_txtIP->setFont(QFont(QStringLiteral("Verdana")));
    m_cmdIPChaXun = addButton(QStringLiteral("cmdIPChaXun"), QStringLiteral("查询"), row.button);

    // The warning sits right under the box it speaks about; shown only after a bad address.
    m_Label10 = addLabel(QStringLiteral("Label10"), QStringLiteral("输入的IP地址不合法！"),
                         QRect(row.box.left(), 780, row.box.width(), 300));
    layout::setTextColour(m_Label10, layout::warningRed);
    m_Label10->hide();

    m_txtIPJG = addTextBox(QStringLiteral("txtIPJG"), layout::lineAt(1140, 2520), resultCaption + u"\r\n");
    m_lblIPZZ = addLabel(QStringLiteral("lblIPZZ"), QString(), layout::lineAt(3720));
    layout::setTextColour(m_lblIPZZ, layout::statusBlue);
    QLabel* about = addLabel(QStringLiteral("lblIPJieShao"),
                             QStringLiteral("本功能可以查询对方IP地址的所在地区，结果将会精确到网吧/省市/区县。"
                                            "IP地址不知道的请用1个“*”代替"),
                             layout::lineAt(4080, 600));
    about->setWordWrap(true);

    connect(m_cmdIPChaXun, &QPushButton::clicked, this, [this] { cmdIPChaXun_Click(); });
    attachKeyHandler(m_txtIP, [this](int& k) { txtIP_KeyPress(k); });
    m_txtIP->installEventFilter(this);
}

QWidget* IpPanel::focusBox() const
{
    return m_txtIP;
}

void IpPanel::resetPanel()
{
    m_txtIP->clear();
    enableUnlessRunning(m_txtIP);
    enableUnlessRunning(m_cmdIPChaXun);
    m_Label10->hide();
}

void IpPanel::cmdIPChaXun_Click()
{
    queryStarting(QStringLiteral("cmdIPChaXun_Click"));
    m_txtIPJG->setPlainText(resultCaption);

    const QString typed = m_txtIP->text();
    switch (checkIpAddress(typed)) {
    case IpCheck::Valid:
        break;
    case IpCheck::Malformed:
        // The warning stays up through later queries until the user clicks into the box.
        m_Label10->show();
        return;
    case IpCheck::NotANumber:
        showLookupFailure();
        return;
    }

    // The box comes while the panel is still disabled; the guard enables it once it is closed.
    BusyGuard busy(*this, { m_txtIP, m_cmdIPChaXun });
    m_lblIPZZ->setText(QStringLiteral("正在查询中..."));
    m_lblIPZZ->show();

    const std::optional<QString> page = fetchPage(Service::IpLocation, ipLocationQuery(typed));
    if (!page)
        return showLookupFailure();
    m_txtIPTT = *page;
    const std::optional<QString> location = cut(m_txtIPTT, ipLocationCut);
    if (!location)
        return showLookupFailure();
    showInTextBox(m_txtIPJG, *location);
    busy.end();
    m_lblIPZZ->hide();
}

void IpPanel::showLookupFailure()
{
    showFailure(QStringLiteral("出现错误！错误原因："), failureCauses);
    m_lblIPZZ->hide();
}

void IpPanel::txtIP_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        cmdIPChaXun_Click();
    refuseListed(KeyAscii, RefusedList::IpAddress);
}

void IpPanel::txtIP_Click()
{
    m_Label10->hide();
}

bool IpPanel::eventFilter(QObject* watched, QEvent* event)
{
    // A click into the box, not the focus arriving by Tab or by a panel switch.
    if (watched == m_txtIP && event->type() == QEvent::MouseButtonRelease && m_txtIP->isEnabled())
        txtIP_Click();
    return ToolPanel::eventFilter(watched, event);
}

} // namespace veldrin
