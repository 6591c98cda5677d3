#include "checks/person/mxpanel.h"

#include "app/panellayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veldrin {

MxPanel::MxPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmMX"), QStringLiteral("明星知名度查询"), parent)
{
    const layout::InputRow row = layout::inputRowAt(420);
    addLabel(QStringLiteral("lblMXName"), QStringLiteral("明星姓名："), row.prompt);
    m_txtMXName = addLineEdit(QStringLiteral("txtMXName"), row.box);
    m_cmdMXCX = addButton(QStringLiteral("cmdMXCX"), QStringLiteral("查询"), row.button);

    connect(m_cmdMXCX, &QPushButton::clicked, this, [this] { cmdMXCX_Click(); });
    // The name box has no key handler and refuses nothing. Enter in it acts like the window's
    // default button: it runs the query, but only while the button itself could be pressed.
    connect(m_txtMXName, &QLineEdit::returnPressed, this, [this] {
        if (m_cmdMXCX->isEnabled())
            cmdMXCX_Click();
    });
}

void MxPanel::cmdMXCX_Click()
{
    queryStarting(QStringLiteral("cmdMXCX_Click"));
}

} // namespace veldrin
