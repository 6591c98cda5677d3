#include "checks/site/ippanel.h"

#include "checks/site/sitepanelparts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace veldrin {

IpPanel::IpPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmIP"), QStringLiteral("IP地址查询"), parent)
{
    const site::InputRow row = site::inputRowAt(360);
    addLabel(QStringLiteral("lblIPDZ"), QStringLiteral("IP地址："), row.prompt);
    m_txtIP = addLineEdit(QStringLiteral("txtIP"), row.box);
    m_cmdIPChaXun = addButton(QStringLiteral("cmdIPChaXun"), QStringLiteral("查询"), row.button);

    // The warning sits right under the box it speaks about; shown only after a bad address.
    m_Label10 = addLabel(QStringLiteral("Label10"), QStringLiteral("输入的IP地址不合法！"),
                         QRect(row.box.left(), 780, row.box.width(), 300));
    site::setTextColour(m_Label10, site::warningRed);
    m_Label10->hide();

    addTextBox(QStringLiteral("txtIPJG"), site::lineAt(1140, 3000), QStringLiteral("查询结果\r\n"));
    QLabel* status = addLabel(QStringLiteral("lblIPZZ"), QString(), site::lineAt(4260));
    site::setTextColour(status, site::statusBlue);

    connect(m_cmdIPChaXun, &QPushButton::clicked, this, [this] { cmdIPChaXun_Click(); });
    attachKeyHandler(m_txtIP, [this](int& k) { txtIP_KeyPress(k); });
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
}

void IpPanel::txtIP_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        cmdIPChaXun_Click();
    refuseListed(KeyAscii, RefusedList::IpAddress);
}

} // namespace veldrin
