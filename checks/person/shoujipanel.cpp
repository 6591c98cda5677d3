#include "checks/person/shoujipanel.h"

#include "app/panellayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veldrin {

namespace {

struct LabelText
{
    const char16_t* name;
    const char16_t* caption;
};

// The result labels with their idle captions, top to bottom; a reset brings these back.
constexpr LabelText ResultLabels[] = {
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
    m_cmdShouJiChaXun
        = addButton(QStringLiteral("cmdShouJiChaXun"), QStringLiteral("查询"), row.button);

    int top = 1140;
    for (const LabelText& label : ResultLabels) {
        m_resultLabels.append(addLabel(QString::fromUtf16(label.name), QString::fromUtf16(label.caption),
                                       layout::lineAt(top)));
        top += 360;
    }
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
    for (qsizetype i = 0; i < m_resultLabels.size(); ++i)
        m_resultLabels[i]->setText(QString::fromUtf16(ResultLabels[i].caption));
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
