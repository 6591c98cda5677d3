#include "checks/site/liuxingpanel.h"

#include "app/panellayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veldrin {

namespace {

// Result captions before a lookup has written its value after them.
QString popularityCaption()
{
    return QStringLiteral("网站流行度：");
}

QString indexCountCaption()
{
    return QStringLiteral("收录数：");
}

} // namespace

LiuXingPanel::LiuXingPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmLiuXing"), QStringLiteral("网站流行度"), parent)
{
    // Two lookups share the one address box, so the box takes the whole row and the two
    // buttons stand under it.
    const layout::InputRow row = layout::inputRowAt(360);
    addLabel(QStringLiteral("lblLiuXingURL"), QStringLiteral("网址："), row.prompt);
    m_txtLiuXing
        = addLineEdit(QStringLiteral("txtLiuXing"), row.box.adjusted(0, 0, row.button.right() - row.box.right(), 0));
    m_cmdLiuXingChaXun = addButton(QStringLiteral("cmdLiuXingChaXun"), QStringLiteral("查询流行度"),
                                   QRect(row.box.left(), 840, 2100, 405));
    m_cmdShouLuChaXun = addButton(QStringLiteral("cmdShouLuChaXun"), QStringLiteral("查询收录数量"),
                                  QRect(row.box.left() + 2250, 840, 2100, 405));
    m_lblLiuXing = addLabel(QStringLiteral("lblLiuXing"), popularityCaption(), layout::lineAt(1500));
    m_lblShouLu = addLabel(QStringLiteral("lblShouLu"), indexCountCaption(), layout::lineAt(1920));
    QLabel* status = addLabel(QStringLiteral("lblLiuXingZZ"), QString(), layout::lineAt(4260));
    layout::setTextColour(status, layout::statusBlue);

    connect(m_cmdLiuXingChaXun, &QPushButton::clicked, this, [this] { cmdLiuXingChaXun_Click(); });
    connect(m_cmdShouLuChaXun, &QPushButton::clicked, this, [this] { cmdShouLuChaXun_Click(); });
    attachKeyHandler(m_txtLiuXing, [this](int& k) { txtLiuXing_KeyPress(k); });
}

QWidget* LiuXingPanel::focusBox() const
{
    return m_txtLiuXing;
}

void LiuXingPanel::resetPanel()
{
    m_txtLiuXing->clear();
    enableUnlessRunning(m_txtLiuXing);
    enableUnlessRunning(m_cmdLiuXingChaXun);
    enableUnlessRunning(m_cmdShouLuChaXun);
    m_lblLiuXing->setText(popularityCaption());
}

void LiuXingPanel::cmdLiuXingChaXun_Click()
{
    queryStarting(QStringLiteral("cmdLiuXingChaXun_Click"));
}

void LiuXingPanel::cmdShouLuChaXun_Click()
{
    queryStarting(QStringLiteral("cmdShouLuChaXun_Click"));
}

void LiuXingPanel::txtLiuXing_KeyPress(int& KeyAscii)
{
    // Enter runs both lookups, one after the other, from bare captions.
    if (KeyAscii == KeyEnter) {
        m_lblLiuXing->setText(popularityCaption());
        m_lblShouLu->setText(indexCountCaption());
        cmdLiuXingChaXun_Click();
        cmdShouLuChaXun_Click();
    }
    refuseListed(KeyAscii, RefusedList::Common);
}

} // namespace veldrin
