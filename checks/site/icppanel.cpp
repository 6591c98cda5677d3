#include "checks/site/icppanel.h"

#include "app/panellayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veldrin {

IcpPanel::IcpPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmICP"), QStringLiteral("ICP证书"), parent)
{
    const layout::InputRow row = layout::inputRowAt(360);
    addLabel(QStringLiteral("Label23"), QStringLiteral("网址："), row.prompt);
    m_txtICP = addLineEdit(QStringLiteral("txtICP"), row.box);
    m_Command6 = addButton(QStringLiteral("Command6"), QStringLiteral("查询"), row.button);

    m_webIcp = addPageLoader(QStringLiteral("WebICP"));

    connect(m_Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    attachKeyHandler(m_txtICP, [this](int& k) { txtICP_KeyPress(k); });
}

void IcpPanel::Command6_Click()
{
    queryStarting(QStringLiteral("Command6_Click"));
}

void IcpPanel::txtICP_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        Command6_Click();
    refuseListed(KeyAscii, RefusedList::Common);
}

} // namespace veldrin
