#include "checks/site/slpanel.h"

#include "app/panellayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace veldrin {

SlPanel::SlPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmSL"), QStringLiteral("网站主机数量查询"), parent)
{
    const layout::InputRow row = layout::inputRowAt(360);
    addLabel(QStringLiteral("Label7"), QStringLiteral("域名："), row.prompt);
    m_txtSLURL = addLineEdit(QStringLiteral("txtSLURL"), row.box);
    m_cmdGO = addButton(QStringLiteral("cmdGO"), QStringLiteral("查询"), row.button);
    m_txtSLJG = addTextBox(QStringLiteral("txtSLJG"), layout::lineAt(900, 3675));
    m_txtSLJG->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    connect(m_cmdGO, &QPushButton::clicked, this, [this] { cmdGO_Click(); });
    attachKeyHandler(m_txtSLURL, [this](int& k) { txtSLURL_KeyPress(k); });
}

QWidget* SlPanel::focusBox() const
{
    return m_txtSLURL;
}

void SlPanel::resetPanel()
{
    enableUnlessRunning(m_txtSLURL);
    m_txtSLURL->clear();
    enableUnlessRunning(m_cmdGO);
    m_txtSLJG->clear();
    m_txtSLJG->setEnabled(true);
}

void SlPanel::cmdGO_Click()
{
    queryStarting(QStringLiteral("cmdGO_Click"));
}

void SlPanel::txtSLURL_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        cmdGO_Click();
    refuseListed(KeyAscii, RefusedList::HostList);
}

} // namespace veldrin
