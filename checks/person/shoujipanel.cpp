#include "checks/person/shoujipanel.h"

#include "app/panellayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veldrin {

namespace {

// The result labels with their idle captions, top to bottom; a reset brings these back.
constexpr NamedText ResultLabels[] = {
    { u"lblChengShi", u"归属：" },
    { u"lblQuHao", u"区号：" },
    { u"lblKaXing", u"卡型：" },
    { u"lblPost", u"邮编：" },
};

const QString IdleStatus = QStringLiteral("准备就绪");

} // namespace

ShouJiPanel::ShouJiPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmShouJi"), QStringLiteral("手机归属查询"), parent)
{
    const layout::InputRow row = layout::inputRowAt(420);
    addLabel(QStringLiteral("lblShouJiHao"), QStringLiteral("手机号："), row.prompt);
    m_txtShouJi = addLineEdit(QStringLiteral("txtShouJi"), row.box);
    m_cmdShouJiChaXun = addButton(QStringLiteral("cmdShouJiChaXun"), QStringLiteral("查询"), row.button);

    m_resultLabels = addLabelColumn(ResultLabels, 1140);
    m_lblShouJiZZ = addLabel(QStringLiteral("lblShouJiZZ"), IdleStatus, layout::lineAt(4320));

    connect(m_cmdShouJiChaXun, &QPushButton::clicked, this, [this] { cmdShouJiChaXun_Click(); });
    attachKeyHandler(m_txtShouJi, [this](int& k) { txtShouJi_KeyPress(k); });
}

QWidget* ShouJiPanel::focusBox() const
{
    return m_txtShouJi;
}

void ShouJiPanel::resetPanel()
{
    m_txtShouJi->clear();
    enableUnlessRunning(m_txtShouJi);
    enableUnlessRunning(m_cmdShouJiChaXun);
    restoreCaptions(m_resultLabels, ResultLabels);
    m_lblShouJiZZ->setText(IdleStatus);
}

void ShouJiPanel::cmdShouJiChaXun_Click()
{
    queryStarting(QStringLiteral("cmdShouJiChaXun_Click"));
}

void ShouJiPanel::txtShouJi_KeyPress(int& KeyAscii)
{
    // Enter runs the query whatever the button's state.
    if (KeyAscii == KeyEnter)
        cmdShouJiChaXun_Click();
    refuseListed(KeyAscii, RefusedList::MobileNumber);
}

} // namespace veldrin
