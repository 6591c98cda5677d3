#include "checks/person/shenfenzhengpanel.h"

#include "app/panellayout.h"
#include "app/resulttext.h"
#include "checks/person/idcard.h"
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
    { u"lblXingBie", u"性别：" },
    { u"lblChuSheng", u"出生日期：" },
    { u"lblSFZSuoZai", u"发证地：" },
};
enum ResultRow
{
    Sex,
    Birth,
    Place
};

QString caption(ResultRow row)
{
    return QString::fromUtf16(ResultLabels[row].text);
}

// The issuing place follows its marker directly and ends seven characters before the link
// text that comes after it.
constexpr Cut placeCut { u"发 证 地：", 0, u"点击这里查询验证身份证号码及照片的真实资料", 7 };

const QStringList FailureCauses = {
    QStringLiteral("公安部服务器繁忙或故障检修，请稍后再试！"),
    QStringLiteral("VeldrinXMLhttp组件丢失，请重新下载！"),
    QStringLiteral("网络不稳定或不通畅，请退出占用大量网络资源的程序！"),
    QStringLiteral("输入的身份证不合法，请检查后重新输入！"),
};

} // namespace

ShenFenZhengPanel::ShenFenZhengPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmShenFenZheng"), QStringLiteral("身份证校验"), parent)
{
    const layout::InputRow row = layout::inputRowAt(420);
    addLabel(QStringLiteral("lblShuRuSFZ"), QStringLiteral("输入身份证："), row.prompt);
    m_txtShenFenZheng = addLineEdit(QStringLiteral("txtShenFenZheng"), row.box);
    m_txtShenFenZheng->setFont(QFont(QStringLiteral("Verdana")));
    m_cmdShenFenZhengChaXun = addButton(QStringLiteral("cmdShenFenZhengChaXun"), QStringLiteral("查询"), row.button);

    m_resultLabels = addLabelColumn(ResultLabels, 1140);
    for (QLabel* label : m_resultLabels)
        label->setTextFormat(Qt::PlainText);
    QLabel* about = addLabel(QStringLiteral("lblSFZJieShao"),
                             QStringLiteral("本功能可以检验身份证的真实性，以及发证地点，身份证人的性别出生日期。"),
                             layout::lineAt(2400, 600));
    about->setWordWrap(true);
    m_lblSFZZZ = addLabel(QStringLiteral("lblSFZZZ"), QString(), layout::lineAt(4320));

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

    // Form: the first 17 characters make a whole number and there are 18 in all. First 17
    // that are no number at all (an "X" among them, an empty box) are a failure, not a refusal.
    const QString typed = m_txtShenFenZheng->text();
    const std::optional<double> leading = toNumber(typed.left(17));
    if (!leading)
        return showLookupFailure();
    if (!isWholeNumber(*leading) || typed.size() != 18) {
        showFailure(QStringLiteral("请输入正确的18位身份证号！错误原因："),
                    { QStringLiteral("身份证位数不是18位，请检查后重新输入！"),
                      QStringLiteral("身份证前17位不是纯数字，请检查后重新输入！") });
        m_txtShenFenZheng->clear();
        return;
    }

    restoreCaptions(m_resultLabels, ResultLabels);
    // The input shows the number as checked and sent, a final "x" as "X", fake or not.
    const QString number = idCardUpperCased(typed);
    m_txtShenFenZheng->setText(number);

    switch (checkIdCard(number)) {
    case IdCardCheck::Genuine:
        break;
    case IdCardCheck::Fake:
        showBox(MsgCritical, QStringLiteral("假的身份证"), { QStringLiteral("这个身份证号码是假的！") });
        return;
    case IdCardCheck::Malformed:
        return showLookupFailure();
    }

    // Characters 15 to 17 as one number: its parity is that of the 17th digit.
    const bool odd = (number[16].unicode() - u'0') % 2 == 1;
    m_resultLabels[Sex]->setText(caption(Sex) + (odd ? u"男" : u"女"));

    // The box comes while the panel is still disabled; the guard enables it once it is closed.
    BusyGuard busy(*this, { m_txtShenFenZheng, m_cmdShenFenZhengChaXun });
    const std::optional<QString> page
        = fetchPage(Service::IdCard, u"/idsearch/index.asp?action=idcard&userid=" + percentEncodeUserPart(number));
    if (!page)
        return showLookupFailure();
    m_txtSFZTT = *page;
    const std::optional<QString> place = cut(m_txtSFZTT, placeCut);
    if (!place)
        return showLookupFailure();
    showInLabel(m_resultLabels[Place], caption(Place) + *place);
    // The date is shown as the number gives it, valid or not.
    m_resultLabels[Birth]->setText(caption(Birth) + number.mid(6, 4) + u"年" + number.mid(10, 2) + u"月"
                                   + number.mid(12, 2) + u"日");
    m_lblSFZZZ->clear();
}

void ShenFenZhengPanel::showLookupFailure()
{
    showFailure(QStringLiteral("身份证查询失败！错误原因："), FailureCauses);
    m_lblSFZZZ->clear();
}

void ShenFenZhengPanel::txtShenFenZheng_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        cmdShenFenZhengChaXun_Click();
    refuseListed(KeyAscii, RefusedList::IdCard);
}

} // namespace veldrin
