#include "checks/site/yumingpanel.h"

#include "app/panellayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace veldrin {

YuMingPanel::YuMingPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmYuMing"), QStringLiteral("域名信息查询"), parent)
{
    const layout::InputRow row = layout::inputRowAt(360);
    addLabel(QStringLiteral("lblYuMing"), QStringLiteral("域名："), row.prompt);
    m_txtYuMing = addLineEdit(QStringLiteral("txtYuMing"), row.box);
    m_cmdYuMingChaXun = addButton(QStringLiteral("cmdYuMingChaXun"), QStringLiteral("查询"), row.button);
    m_txtYuMingJG = addTextBox(QStringLiteral("txtYuMingJG"), layout::lineAt(900, 3675));
    m_txtYuMingJG->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    connect(m_cmdYuMingChaXun, &QPushButton::clicked, this, [this] { cmdYuMingChaXun_Click(); });
    attachKeyHandler(m_txtYuMing, [this](int& k) { txtYuMing_KeyPress(k); });
}

QWidget* YuMingPanel::focusBox() const
{
    return m_txtYuMing;
}

void YuMingPanel::resetPanel()
{
    m_txtYuMing->clear();
    enableUnlessRunning(m_txtYuMing);
    enableUnlessRunning(m_cmdYuMingChaXun);
    m_txtYuMingJG->setEnabled(true);
    m_txtYuMingJG->clear();
}

void YuMingPanel::cmdYuMingChaXun_Click()
{
    queryStarting(QStringLiteral("cmdYuMingChaXun_Click"));
}

void YuMingPanel::txtYuMing_KeyPress(int& KeyAscii)
{
    // The button is disabled while a record is being fetched; Enter must not start a second
    // fetch into the same result box.
    if (KeyAscii == KeyEnter && m_cmdYuMingChaXun->isEnabled())
        cmdYuMingChaXun_Click();
    refuseListed(KeyAscii, RefusedList::Common);
}

} // namespace veldrin
