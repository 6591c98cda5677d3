#include "checks/person/shenfenzhengpanel.h"

#include "app/panellayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veldrin {

namespace {

// The result labels with their idle captions, top to bottom; a reset brings these back.
constexpr NamedText ResultLabels[] = {
    { u"lblXingBie", u"性别：" },
    { u"lblChuSheng", u"出生日期：" },
    { u"lblSFZSuoZai", u"发证地：" },
};

} // namespace

ShenFenZhengPanel::ShenFenZhengPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmShenFenZheng"), QStringLiteral("身份证校验"), parent)
{
    const layout::InputRow row = layout::inputRowAt(420);
    addLabel(QStringLiteral("lblShuRuSFZ"), QStringLiteral("输入身份证："), row.prompt);
    m_txtShenFenZheng = addLineEdit(QStringLiteral("txtShenFenZheng"), row.box);
    m_cmdShenFenZhengChaXun = addButton(QStringLiteral("cmdShenFenZhengChaXun"), QStringLiteral("查询"), row.button);

    m_resultLabels = addLabelColumn(ResultLabels, 1140);
    addLabel(QStringLiteral("lblSFZZZ"), QString(), layout::lineAt(4320));

    connect(m_cmdShenFenZhengChaXun, &QPushButton::clicked, this, [this] { cmdShenFenZhengChaXun_Click(); });
    attachKeyHandler(m_txtShenFenZheng, [this](int& k) { txtShenFenZheng_KeyPress(k); });
}

QWidget* ShenFenZhengPanel::focusBox() const
{
    return m_txtShenFenZheng;
}

void ShenFenZhengPanel::resetPanel()
{
    enableUnlessRunning(m_txtShenFenZheng);
    m_txtShenFenZheng->clear();
    enableUnlessRunning(m_cmdShenFenZhengChaXun);
    restoreCaptions(m_resultLabels, ResultLabels);
}

void ShenFenZhengPanel::cmdShenFenZhengChaXun_Click()
{
    queryStarting(QStringLiteral("cmdShenFenZhengChaXun_Click"));
}

void ShenFenZhengPanel::txtShenFenZheng_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        cmdShenFenZhengChaXun_Click();
    refuseListed(KeyAscii, RefusedList::IdCard);
}

} // namespace veldrin
