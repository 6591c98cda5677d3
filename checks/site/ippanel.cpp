#include "checks/site/ippanel.h"

#include "app/panellayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace veldrin {

IpPanel::IpPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmIP"), QStringLiteral("IP地址查询"), parent)
{
    const layout::InputRow row = layout::inputRowAt(360);
    addLabel(QStringLiteral("lblIPDZ"), QStringLiteral("IP地址："), row.prompt);
    m_txtIP = addLineEdit(QStringLiteral("txtIP"), row.box);
    m_cmdIPChaXun = addButton(QStringLiteral("cmdIPChaXun"), QStringLiteral("查询"), row.button);

    // The warning sits right under the box it speaks about; shown only after a bad address.
    m_Label10 = addLabel(QStringLiteral("Label10"), QStringLiteral("输入的IP地址不合法！"),
                         QRect(row.box.left(), 780, row.box.width(), 300));
    layout::setTextColour(m_Label10, layout::warningRed);
    m_Label10->hide();

    addTextBox(QStringLiteral("txtIPJG"), layout::lineAt(1140, 3000), QStringLiteral("查询结果\r\n"));
    QLabel* status = addLabel(QStringLiteral("lblIPZZ"), QString(), layout::lineAt(4260));
    layout::setTextColour(status, layout::statusBlue);

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
