#include "checks/site/liuxingpanel.h"

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

// Result captions before a lookup has written its value after them.
QString popularityCaption()
{
    return QStringLiteral("网站流行度：");
}

QString indexCountCaption()
{
    return QStringLiteral("收录数：");
}

// The grade follows the marker at once; its colon is the ASCII one, so a full-width
// "搜狗评级：" elsewhere on the page is not taken for it.
constexpr QStringView gradeMarker = u"搜狗评级:";
constexpr QStringView gradeEnd = u"/100";
constexpr Cut gradeCut { gradeMarker, 0, gradeEnd, 0 };
// One character (the engine writes "约") stands between the marker and the count.
constexpr Cut indexCountCut { u"找到相关网页", 1, u"篇，用时", 0 };

const QString failureFirstLine = QStringLiteral("出现错误！错误原因：");
// The two lookups' boxes differ in their first and third causes.
const QStringList gradeFailureCauses = {
    QStringLiteral("网址输入错误，请检查后重新输入！"),
    QStringLiteral("VeldrinXMLhttp组件丢失，请重新下载！"),
    QStringLiteral("服务器繁忙或故障检修，请稍后再试！"),
    QStringLiteral("网络不稳定或繁忙，请退出大量占用网络资源的程序！"),
};
const QStringList indexCountFailureCauses = {
    QStringLiteral("网址输入错误，请重新输入！"),
    QStringLiteral("VeldrinXMLhttp组件丢失，请重新下载！"),
    QStringLiteral("服务器繁忙或维护检修，请稍后再试！"),
    QStringLiteral("网络不稳定或繁忙，请退出大量占用网络资源的程序！"),
};

} // namespace

LiuXingPanel::LiuXingPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmLiuXing"), QStringLiteral("网站流行度"), parent)
{
    // Two lookups share the one address box, so the box takes the whole row and the two
    // buttons share its width under it.
    const layout::InputRow row = layout::inputRowAt(360);
    const QRect box = row.box.adjusted(0, 0, row.button.right() - row.box.right(), 0);
    const int gap = 120;
    const int buttonWidth = (box.width() - gap) / 2;
    addLabel(QStringLiteral("lblLiuXingURL"), QStringLiteral("网址："), row.prompt);
    m_txtLiuXing = addLineEdit(QStringLiteral("txtLiuXing"), box);
    m_txtLiuXing->setFont(QFont(QStringLiteral("Verdana")));
    m_cmdLiuXingChaXun = addButton(QStringLiteral("cmdLiuXingChaXun"), QStringLiteral("查询流行度"),
                                   QRect(box.left(), 840, buttonWidth, 405));
    m_cmdShouLuChaXun = addButton(QStringLiteral("cmdShouLuChaXun"), QStringLiteral("查询收录数量"),
                                  QRect(box.right() + 1 - buttonWidth, 840, buttonWidth, 405));
    m_lblLiuXing = addLabel(QStringLiteral("lblLiuXing"), popularityCaption(), layout::lineAt(1500));
    m_lblShouLu = addLabel(QStringLiteral("lblShouLu"), indexCountCaption(), layout::lineAt(1920));
    QLabel* about = addLabel(QStringLiteral("lblLiuXingJS"),
                             QStringLiteral("本功能可以查询全球最有名的两大搜索引擎对您需要查询网站的综合等级评价，"
                                            "骗子网站无论如何伪装，其等级评价都是极低的。"),
                             layout::lineAt(2520, 900));
    about->setWordWrap(true);
    m_lblLiuXingZZ = addLabel(QStringLiteral("lblLiuXingZZ"), QString(), layout::lineAt(4260));
    layout::setTextColour(m_lblLiuXingZZ, layout::statusBlue);
    for (QLabel* result : { m_lblLiuXing, m_lblShouLu })
        result->setTextFormat(Qt::PlainText);

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
    // The grading engine wants the bare address; the box shows what is sent.
    m_txtLiuXing->setText(m_txtLiuXing->text().remove(QStringLiteral("http://")));
    const QString address = m_txtLiuXing->text();
    if (address.size() < 6) {
        showBox(MsgCritical, QStringLiteral("错误"), { QStringLiteral("网址错误！") });
        m_txtLiuXing->clear();
        return;
    }

    m_lblLiuXing->setText(popularityCaption());
    BusyGuard busy(*this, { m_cmdLiuXingChaXun, m_cmdShouLuChaXun, m_txtLiuXing }, BusyGuard::EnableOrder::AsListed);
    m_lblLiuXingZZ->setText(QStringLiteral("正在查询流行度中..."));

    const std::optional<QString> page
        = fetchPage(Service::SearchEngineA, u"/web?query=" + percentEncodeUserPart(address));
    if (page)
        m_txtLiuXingTT = *page;
    if (page && (FindLastPos(gradeMarker, m_txtLiuXingTT) == 0 || FindLastPos(gradeEnd, m_txtLiuXingTT) == 0)) {
        m_lblLiuXing->setText(popularityCaption() + u"没有找到该网站的信息");
        busy.end();
        m_lblLiuXingZZ->setText(QStringLiteral("查询完毕"));
        return;
    }
    const std::optional<QString> grade = page ? cut(m_txtLiuXingTT, gradeCut) : std::nullopt;
    const std::optional<double> value = grade ? toNumber(*grade) : std::nullopt;
    // A grade read, or a failure, gives the buttons back in the index count's order.
    busy.end({ m_cmdShouLuChaXun, m_cmdLiuXingChaXun, m_txtLiuXing });
    if (!value) {
        m_lblLiuXingZZ->setText(QStringLiteral("出现错误"));
        return showFailure(failureFirstLine, gradeFailureCauses);
    }
    // The grade is shown as the page writes it; a grade with a fraction is not shown at all.
    if (isWholeNumber(*value))
        showInLabel(m_lblLiuXing, popularityCaption() + *grade + u" 分");
    m_lblLiuXingZZ->setText(QStringLiteral("查询完毕"));
}

void LiuXingPanel::cmdShouLuChaXun_Click()
{
    queryStarting(QStringLiteral("cmdShouLuChaXun_Click"));
    BusyGuard busy(*this, { m_cmdShouLuChaXun, m_cmdLiuXingChaXun, m_txtLiuXing }, BusyGuard::EnableOrder::AsListed);
    m_lblShouLu->setText(indexCountCaption());
    m_lblLiuXingZZ->setText(QStringLiteral("正在查询收录数量中.."));

    // "site%3A" is the engine's site: operator, already encoded; the address follows it as typed.
    const std::optional<QString> page
        = fetchPage(Service::SearchEngineB, u"/s?wd=site%3A" + percentEncodeUserPart(m_txtLiuXing->text()));
    if (page)
        m_txtShouLuTT = *page;
    const std::optional<QString> count = page ? cut(m_txtShouLuTT, indexCountCut) : std::nullopt;
    if (!count) {
        m_lblLiuXingZZ->setText(QStringLiteral("出现错误"));
        busy.end();
        return showFailure(failureFirstLine, indexCountFailureCauses);
    }
    showInLabel(m_lblShouLu, indexCountCaption() + *count);
    busy.end();
    m_lblLiuXingZZ->setText(QStringLiteral("查询完毕"));
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
