#include "checks/site/renqipanel.h"

#include "app/panellayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veldrin {

RenQiPanel::RenQiPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmRenQi"), QStringLiteral("网站人气排名"), parent)
{
    const layout::InputRow row = layout::inputRowAt(360);
    addLabel(QStringLiteral("lblRenQiURL"), QStringLiteral("网址："), row.prompt);
    m_txtRenQi = addLineEdit(QStringLiteral("txtRenQi"), row.box);
    m_cmdRenQiChaxun = addButton(QStringLiteral("cmdRenQiChaxun"), QStringLiteral("查询"), row.button);
    addLabel(QStringLiteral("lblRenQi"), QStringLiteral("全球流量排名："), layout::lineAt(1080));
    addLabel(QStringLiteral("lblZG"), QStringLiteral("中国流量排名："), layout::lineAt(1500));
    QLabel* status = addLabel(QStringLiteral("lblRenQiZZ"), QString(), layout::lineAt(4260));
    layout::setTextColour(status, layout::statusBlue);

    connect(m_cmdRenQiChaxun, &QPushButton::clicked, this, [this] { cmdRenQiChaxun_Click(); });
    attachKeyHandler(m_txtRenQi, [this](int& k) { txtRenQi_KeyPress(k); });
}

QWidget* RenQiPanel::focusBox() const
{
    return m_txtRenQi;
}

void RenQiPanel::resetPanel()
{
    enableUnlessRunning(m_txtRenQi);
    m_txtRenQi->clear();
    enableUnlessRunning(m_cmdRenQiChaxun);
}

void RenQiPanel::cmdRenQiChaxun_Click()
{
    queryStarting(QStringLiteral("cmdRenQiChaxun_Click"));
}

void RenQiPanel::txtRenQi_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        cmdRenQiChaxun_Click();
    refuseListed(KeyAscii, RefusedList::Common);
}

} // namespace veldrin
