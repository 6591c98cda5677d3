#include "checks/site/zhujipanel.h"

#include "app/panellayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace veldrin {

namespace {

// The address label's caption; the lookup writes the address after it.
QString addressCaption()
{
    return QStringLiteral("主机IP地址：");
}

} // namespace

ZhuJiPanel::ZhuJiPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmZhuJi"), QStringLiteral("主机地址所在地"), parent)
{
    const layout::InputRow row = layout::inputRowAt(360);
    addLabel(QStringLiteral("lblZZURL"), QStringLiteral("网址："), row.prompt);
    m_txtZhuJi = addLineEdit(QStringLiteral("txtZhuJi"), row.box);
    m_cmdZhuJiChaXun = addButton(QStringLiteral("cmdZhuJiChaXun"), QStringLiteral("查询"), row.button);
    m_lblZhuJiIP = addLabel(QStringLiteral("lblZhuJiIP"), addressCaption(), layout::lineAt(960));
    addLabel(QStringLiteral("lblZhuJiDZ"), QStringLiteral("主机所在地："), layout::lineAt(1380));
    addTextBox(QStringLiteral("txtZhuJiJG"), layout::lineAt(1740, 2340));
    QLabel* status = addLabel(QStringLiteral("lblZhuJi"), QStringLiteral("准备就绪"), layout::lineAt(4260));
    layout::setTextColour(status, layout::statusBlue);

    connect(m_cmdZhuJiChaXun, &QPushButton::clicked, this, [this] { cmdZhuJiChaXun_Click(); });
    attachKeyHandler(m_txtZhuJi, [this](int& k) { txtZhuJi_KeyPress(k); });
}

QWidget* ZhuJiPanel::focusBox() const
{
    return m_txtZhuJi;
}

void ZhuJiPanel::resetPanel()
{
    enableUnlessRunning(m_txtZhuJi);
    m_txtZhuJi->clear();
    enableUnlessRunning(m_cmdZhuJiChaXun);
    m_lblZhuJiIP->setText(addressCaption());
}

void ZhuJiPanel::cmdZhuJiChaXun_Click()
{
    queryStarting(QStringLiteral("cmdZhuJiChaXun_Click"));
}

void ZhuJiPanel::txtZhuJi_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        cmdZhuJiChaXun_Click();
    refuseListed(KeyAscii, RefusedList::Common);
}

} // namespace veldrin
