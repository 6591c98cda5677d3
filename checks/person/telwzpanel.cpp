#include "checks/person/telwzpanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace veldrin {

TelWzPanel::TelWzPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmTelWZ"), QStringLiteral("Email查所在地、电话查具体位置"), parent)
{
    // Directory lookup.
    addLabel(QStringLiteral("Label15"), QStringLiteral("数据库式查询："), QRect(240, 360, 2400, 300));
    addLabel(QStringLiteral("lblTel"), QStringLiteral("电话："), QRect(240, 780, 720, 300));
    m_txtTel = addLineEdit(QStringLiteral("txtTel"), QRect(960, 750, 3615, 360));
    m_cmdTelChaXun = addButton(QStringLiteral("cmdTelChaXun"), QStringLiteral("查询"), QRect(4695, 720, 1095, 420));
    m_txtTelWZ = addTextBox(QStringLiteral("txtTelWZ"), QRect(240, 1260, 5550, 1200));

    // Number-range search: area code, dash, number.
    addLabel(QStringLiteral("Label16"), QStringLiteral("范围式查询："), QRect(240, 2640, 2400, 300));
    addLabel(QStringLiteral("Label19"), QStringLiteral("区号"), QRect(960, 2955, 1035, 255));
    addLabel(QStringLiteral("Label20"), QStringLiteral("电话号码"), QRect(2160, 2955, 2415, 255));
    m_Text2 = addLineEdit(QStringLiteral("Text2"), QRect(960, 3240, 1035, 360));
    addLabel(QStringLiteral("Label18"), QStringLiteral("-"), QRect(2025, 3270, 120, 300));
    m_Text3 = addLineEdit(QStringLiteral("Text3"), QRect(2160, 3240, 2415, 360));
    m_Command5 = addButton(QStringLiteral("Command5"), QStringLiteral("查询"), QRect(4695, 3210, 1095, 420));

    m_Command4 = addButton(QStringLiteral("Command4"), QStringLiteral("查询Email所在地"), QRect(240, 4080, 2400, 420));

    connect(m_cmdTelChaXun, &QPushButton::clicked, this, [this] { cmdTelChaXun_Click(); });
    connect(m_Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(m_Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    attachKeyHandler(m_txtTel, [this](int& k) { txtTel_KeyPress(k); });
    attachKeyHandler(m_Text2, [this](int& k) { Text2_KeyPress(k); });
    attachKeyHandler(m_Text3, [this](int& k) { Text3_KeyPress(k); });
}

QWidget* TelWzPanel::focusBox() const
{
    return m_txtTel;
}

void TelWzPanel::resetPanel()
{
    // The query button is left as it is: a directory lookup still waiting for its page
    // enables it when the page arrives.
    m_txtTel->clear();
    enableUnlessRunning(m_txtTel);
    enableUnlessRunning(m_txtTelWZ);
    m_txtTelWZ->clear();
}

void TelWzPanel::cmdTelChaXun_Click()
{
    queryStarting(QStringLiteral("cmdTelChaXun_Click"));
}

void TelWzPanel::Command5_Click()
{
    queryStarting(QStringLiteral("Command5_Click"));
}

void TelWzPanel::Command4_Click()
{
    queryStarting(QStringLiteral("Command4_Click"));
}

void TelWzPanel::txtTel_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        cmdTelChaXun_Click();
    refuseListed(KeyAscii, RefusedList::Letters);
}

void TelWzPanel::Text2_KeyPress(int& KeyAscii)
{
    // The area code is only the first half of the range search; Enter moves on to the number.
    if (KeyAscii == KeyEnter)
        m_Text3->setFocus();
    refuseListed(KeyAscii, RefusedList::Letters);
}

void TelWzPanel::Text3_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        Command5_Click();
    refuseListed(KeyAscii, RefusedList::TelephoneNumber);
}

} // namespace veldrin
