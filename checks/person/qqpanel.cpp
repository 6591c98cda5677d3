#include "checks/person/qqpanel.h"

#include "app/panellayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veldrin {

QqPanel::QqPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmQQ"), QStringLiteral("QQ在线查询"), parent)
{
    const layout::InputRow row = layout::inputRowAt(420);
    addLabel(QStringLiteral("Label5"), QStringLiteral("输入QQ号："), row.prompt);
    m_Text4 = addLineEdit(QStringLiteral("Text4"), row.box);
    m_Command9 = addButton(QStringLiteral("Command9"), QStringLiteral("查询"), row.button);

    connect(m_Command9, &QPushButton::clicked, this, [this] { Command9_Click(); });
    attachKeyHandler(m_Text4, [this](int& k) { Text4_KeyPress(k); });
}

QWidget* QqPanel::focusBox() const
{
    return m_Text4;
}

void QqPanel::Command9_Click()
{
    queryStarting(QStringLiteral("Command9_Click"));
}

void QqPanel::Text4_KeyPress(int& KeyAscii)
{
    // The button stays disabled while a presence request is pending; Enter must not start a
    // second one.
    if (KeyAscii == KeyEnter && m_Command9->isEnabled())
        Command9_Click();
    refuseListed(KeyAscii, RefusedList::MessengerNumber);
}

} // namespace veldrin
