#include "checks/site/usafepanel.h"

#include "app/panellayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veldrin {

USafePanel::USafePanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmUSafe"), QStringLiteral("网址安全检查"), parent)
{
    addLabel(QStringLiteral("Label13"), QStringLiteral("网址安全情况检查："), layout::lineAt(360));
    const layout::InputRow safety = layout::inputRowAt(720);
    addLabel(QStringLiteral("Label14"), QStringLiteral("网址："), safety.prompt);
    m_txtUS = addLineEdit(QStringLiteral("txtUS"), safety.box);
    m_txtUS->setToolTip(QStringLiteral("输入网址查询其安全性"));
    QPushButton* cmdUS = addButton(QStringLiteral("cmdUS"), QStringLiteral("测试"), safety.button);

    addLabel(QStringLiteral("Label34"), QStringLiteral("网页挂马查询："), layout::lineAt(3180));
    const layout::InputRow malware = layout::inputRowAt(3540);
    addLabel(QStringLiteral("Label35"), QStringLiteral("网址："), malware.prompt);
    m_txtGM = addLineEdit(QStringLiteral("txtGM"), malware.box);
    m_txtGM->setToolTip(QStringLiteral("输入网址，查询其安全性，可输入详细页面"));
    QPushButton* cmdGMCX = addButton(QStringLiteral("cmdGMCX"), QStringLiteral("测试"), malware.button);

    connect(cmdUS, &QPushButton::clicked, this, [this] { cmdUS_Click(); });
    connect(cmdGMCX, &QPushButton::clicked, this, [this] { cmdGMCX_Click(); });
    attachKeyHandler(m_txtUS, [this](int& k) { txtUS_KeyPress(k); });
    attachKeyHandler(m_txtGM, [this](int& k) { txtGM_KeyPress(k); });
}

QWidget* USafePanel::focusBox() const
{
    return m_txtUS;
}

void USafePanel::cmdUS_Click()
{
    queryStarting(QStringLiteral("cmdUS_Click"));
}

void USafePanel::cmdGMCX_Click()
{
    queryStarting(QStringLiteral("cmdGMCX_Click"));
}

void USafePanel::txtUS_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        cmdUS_Click();
    refuseListed(KeyAscii, RefusedList::Common);
}

void USafePanel::txtGM_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        cmdGMCX_Click();
    refuseListed(KeyAscii, RefusedList::Common);
}

} // namespace veldrin
