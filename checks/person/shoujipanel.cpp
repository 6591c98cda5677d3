#include "checks/person/shoujipanel.h"

#include "app/panellayout.h"
#include "app/resulttext.h"
#include "platform/convert.h"
#include "platform/textsearch.h"

#include <QFont>
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

// The four values in the order they are written, each with its label's row above. The
// markers keep the page's ordinary blanks between their characters. The home region and the
// area code end one character before their end marker.
struct ValueCut
{
    qsizetype label;
    Cut cut;
};
constexpr ValueCut ValueCuts[] = {
    { 0, { u"卡号归属地", 0, u"卡 类 型", 1 } },
    { 1, { u"区 号", 0, u"邮 编", 1 } },
    { 2, { u"卡 类 型", 0, u"区 号", 0 } },
    { 3, { u"邮 编", 0, u" 更详细的..", 0 } },
};

const QStringList FailureCauses = {
    QStringLiteral("VeldrinXMLhttp组件丢失，请重新下载！"),
    QStringLiteral("服务器繁忙或故障检修，请稍后再试！"),
    QStringLiteral("网络不稳定或带宽低，请退出占用大量网络资源的程序！"),
    QStringLiteral("输入的手机号错误，请检查后重新输入！"),
};

} // namespace

ShouJiPanel::ShouJiPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmShouJi"), QStringLiteral("手机归属查询"), parent)
{
    const layout::InputRow row = layout::inputRowAt(420);
    addLabel(QStringLiteral("lblShouJiHao"), QStringLiteral("手机号："), row.prompt);
    m_txtShouJi = addLineEdit(QStringLiteral("txtShouJi"), row.box);
    m_txtShouJi->setFont(QFont(QStringLiteral("Verdana")));
    m_cmdShouJiChaXun = addButton(QStringLiteral("cmdShouJiChaXun"), QStringLiteral("查询"), row.button);

    m_resultLabels = addLabelColumn(ResultLabels, 1140);
    for (QLabel* label : m_resultLabels)
        label->setTextFormat(Qt::PlainText);
    QLabel* about = addLabel(QStringLiteral("lblShouJiJieShao"),
                             QStringLiteral("本功能可以查询对方电话号码的所在地，网上购物时，如果对方的手机号与网页上"
                                            "显示地址不一致，那么对方可能是骗子。"),
                             layout::lineAt(2760, 900));
    about->setWordWrap(true);
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

    // A text that is no number at all is a failure of the lookup, not a refused number.
    const QString typed = m_txtShouJi->text();
    const std::optional<double> number = toNumber(typed);
    if (!number)
        return showLookupFailure();
    if (!isWholeNumber(*number) || typed.size() != 11) {
        showBox(MsgCritical, QStringLiteral("错误"), { QStringLiteral("您输入的手机号有误，请重新输入") });
        m_txtShouJi->clear();
        return;
    }

    restoreCaptions(m_resultLabels, ResultLabels);
    m_lblShouJiZZ->setText(QStringLiteral("正在查询手机号归属地中..."));
    BusyGuard busy(*this, { m_txtShouJi, m_cmdShouJiChaXun });
    const bool shown = fetchAndShow(typed);
    busy.end();
    if (!shown)
        return showLookupFailure();
    m_lblShouJiZZ->setText(IdleStatus);
}

bool ShouJiPanel::fetchAndShow(const QString& number)
{
    const std::optional<QString> page
        = fetchPage(Service::MobileLocation, u"/search.asp?action=mobile&mobile=" + percentEncodeUserPart(number));
    if (!page)
        return false;
    m_txtShouJiTT = *page;
    // Each value is shown as soon as it is cut; the ones after a failed cut keep their
    // captions. Values are shown as cut, blanks and line breaks included.
    for (const ValueCut& value : ValueCuts) {
        const std::optional<QString> text = cut(m_txtShouJiTT, value.cut);
        if (!text)
            return false;
        showInLabel(m_resultLabels[value.label], QString::fromUtf16(ResultLabels[value.label].text) + *text);
    }
    return true;
}

void ShouJiPanel::showLookupFailure()
{
    // The panel is enabled and idle again before the box shows.
    m_lblShouJiZZ->setText(IdleStatus);
    showFailure(QStringLiteral("出现错误！错误原因："), FailureCauses);
}

void ShouJiPanel::txtShouJi_KeyPress(int& KeyAscii)
{
    // Enter runs the query whatever the button's state.
    if (KeyAscii == KeyEnter)
        cmdShouJiChaXun_Click();
    refuseListed(KeyAscii, RefusedList::MobileNumber);
}

} // namespace veldrin
