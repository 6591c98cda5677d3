#include "shop/tbpanel.h"

#include "app/panellayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veldrin {

namespace {

struct FigureBox
{
    const char16_t* captionName;
    const char16_t* caption;
    const char16_t* boxName;
    const char16_t* hint;
};

// The three figures the user copies from the shop's credit page, top to bottom. The boxes
// start empty and have no key handler: they take any text.
constexpr FigureBox FigureBoxes[] = {
    { u"Label33", u"信用：", u"Text9", u"信用低扣分，信用高加分" },
    { u"Label37", u"最近半年好评：", u"Text7", u"好评低扣分，好评高加分" },
    { u"Label39", u"最近半年差评：", u"Text8", u"差评多扣分" },
};

} // namespace

TbPanel::TbPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmTB"), QStringLiteral("淘宝商户信用"), parent)
{
    const layout::InputRow row = layout::inputRowAt(420);
    addLabel(QStringLiteral("lblTB"), QStringLiteral("店铺名称："), row.prompt);
    m_txtTB = addLineEdit(QStringLiteral("txtTB"), row.box);
    m_cmdTBCX = addButton(QStringLiteral("cmdTBCX"), QStringLiteral("查询"), row.button);

    addLabel(QStringLiteral("Label9"), QStringLiteral("查询后将查询结果输入在下边，然后按“开始评估”进行评估"),
             layout::lineAt(1200));
    int top = 1620;
    for (const FigureBox& figure : FigureBoxes) {
        addLabel(QString::fromUtf16(figure.captionName), QString::fromUtf16(figure.caption),
                 QRect(240, top + 30, 1320, 300));
        addLineEdit(QString::fromUtf16(figure.boxName), QRect(1680, top, 1500, 360))
            ->setToolTip(QString::fromUtf16(figure.hint));
        top += 420;
    }
    m_Command13 = addButton(QStringLiteral("Command13"), QStringLiteral("开始评估"), QRect(3420, 2430, 1455, 420));

    connect(m_cmdTBCX, &QPushButton::clicked, this, [this] { cmdTBCX_Click(); });
    connect(m_Command13, &QPushButton::clicked, this, [this] { Command13_Click(); });
    attachKeyHandler(m_txtTB, [this](int& k) { txtTB_KeyPress(k); });
}

void TbPanel::cmdTBCX_Click()
{
    queryStarting(QStringLiteral("cmdTBCX_Click"));
}

void TbPanel::Command13_Click()
{
    queryStarting(QStringLiteral("Command13_Click"));
}

void TbPanel::txtTB_KeyPress(int& KeyAscii)
{
    // A shop name may hold any character, so nothing is refused. The button stays disabled
    // while a search is under way; Enter must not start a second one.
    if (KeyAscii == KeyEnter && m_cmdTBCX->isEnabled())
        cmdTBCX_Click();
}

} // namespace veldrin
