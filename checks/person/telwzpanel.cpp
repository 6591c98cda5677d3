#include "checks/person/telwzpanel.h"

#include "app/panellayout.h"
#include "app/resulttext.h"
#include "checks/person/phonenumbers.h"
#include "platform/convert.h"
#include "platform/textsearch.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace veldrin {

namespace {

const QColor resultBlue(0, 0, 255);
const QColor resultRed(255, 0, 0);

// The result box shows its progress text while it is disabled, so every colour group gets
// the colour, not only the enabled ones.
void setBoxTextColour(QPlainTextEdit* box, const QColor& colour)
{
    QPalette palette = box->palette();
    for (QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled })
        palette.setColor(group, QPalette::Text, colour);
    box->setPalette(palette);
}

// Either text tells that the directory refuses to answer for now.
constexpr QStringView busyMarkers[] = { u"查询次数过于频繁，请稍后再试", u"查询次数过多，请稍后再试" };

// The district starts one character after its marker and ends three characters before the
// last full-width asterisk.
constexpr Cut districtCut { u"该号段电话分部区域：", 1, u"＊", 3 };

const QString advice
    = QStringLiteral("1、Outlook：在邮件上点击右键，选择属性，选择“常规资料”中的Received from xx.xx.xx.xx或者"
                     "X-Originating-IP xx.xx.xx.xx就是对方的IP地址。")
    + QString(12, u' ')
    + QStringLiteral("2、Foxmail：按“Ctrl+I”组合键，查看邮件的“原始信息”，其中Received from xx.xx.xx.xx或者"
                     "X-Originating-IP xx.xx.xx.xx就是对方的IP地址。")
    + QString(15, u' ')
    + QStringLiteral("3、Web页面虚拟信箱：选择邮件后点击“高级动作”中的“查看信头”或者点击“原文”、或者点击“邮件头信息”"
                     "其中Received from xx.xx.xx.xx或者X-originating-IP xx.xx.xx.xx就是对方的IP地址。");

} // namespace

TelWzPanel::TelWzPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmTelWZ"), QStringLiteral("Email查所在地、电话查具体位置"), parent)
{
    const QFont verdana(QStringLiteral("Verdana"));

    // Directory lookup, left.
    addLabel(QStringLiteral("Label15"), QStringLiteral("数据库式查询："), QRect(120, 300, 2820, 255));
    addLabel(QStringLiteral("lblTel"), QStringLiteral("电话："), QRect(120, 660, 600, 300));
    m_txtTel = addLineEdit(QStringLiteral("txtTel"), QRect(720, 630, 1500, 360));
    m_txtTel->setFont(verdana);
    m_cmdTelChaXun = addButton(QStringLiteral("cmdTelChaXun"), QStringLiteral("查询"), QRect(2280, 600, 660, 420));
    m_txtTelWZ = addTextBox(QStringLiteral("txtTelWZ"), QRect(120, 1140, 2820, 2430));

    // Number-range search, right: area code, dash, number, wide enough for an eight-digit
    // number, and the button under them.
    addLabel(QStringLiteral("Label16"), QStringLiteral("范围式查询："), QRect(3120, 300, 2775, 255));
    addLabel(QStringLiteral("Label19"), QStringLiteral("区号"), QRect(3720, 600, 600, 255));
    addLabel(QStringLiteral("Label20"), QStringLiteral("电话号码"), QRect(4470, 600, 840, 255));
    addLabel(QStringLiteral("lblTel"), QStringLiteral("电话："), QRect(3120, 900, 600, 300));
    m_Text2 = addLineEdit(QStringLiteral("Text2"), QRect(3720, 870, 600, 360));
    m_Text2->setFont(verdana);
    addLabel(QStringLiteral("Label18"), QStringLiteral("-"), QRect(4335, 900, 120, 300))
        ->setFont(QFont(QStringLiteral("新宋体")));
    m_Text3 = addLineEdit(QStringLiteral("Text3"), QRect(4470, 870, 1425, 360));
    m_Text3->setFont(verdana);
    m_Command5 = addButton(QStringLiteral("Command5"), QStringLiteral("查询"), QRect(5160, 1290, 735, 420));
    QLabel* rangeHelp
        = addLabel(QStringLiteral("Label17"),
                   QStringLiteral("如果在左边数据库中无法查询您需要查询的电话号码所在地，您还可以尝试使用"
                                  "范围式查询，因为同号段电话号码位置在同一地区，优点：范围大，结果全面。")
                       + QString(23, u' ') + QStringLiteral("格式：010-88888888"),
                   QRect(3120, 1770, 2775, 1800));
    rangeHelp->setWordWrap(true);

    QLabel* about
        = addLabel(QStringLiteral("lblTelJS"),
                   QStringLiteral("本功能可以指导您通过对方固定电话查询对方所在地的具体位置（大概是街道区域），"
                                  "标志性建筑等信息。（数据库每3天自动更新）"),
                   QRect(120, 3660, 5775, 540));
    about->setWordWrap(true);
    m_Command4 = addButton(QStringLiteral("Command4"), QStringLiteral("查询Email所在地"), QRect(120, 4260, 2400, 420));

    connect(m_cmdTelChaXun, &QPushButton::clicked, this, [this] { cmdTelChaXun_Click(); });
    connect(m_Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(m_Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(m_WebTel, &PageLoader::documentComplete, this, [this] { WebTel_DocumentComplete(); });
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

    // Anything of 11 characters or more passes, "010-12345678" being 12.
    const QString typed = m_txtTel->text();
    if (typed.size() < 11) {
        showBox(MsgCritical, QStringLiteral("错误"), { QStringLiteral("电话号码格式为 010-12345678 ！") });
        m_txtTel->clear();
        return;
    }

    // The focus leaves the box before it is disabled, for the off-screen box of the window.
    if (QWidget* sink = window()->findChild<QWidget*>(QStringLiteral("Text5")))
        sink->setFocus();
    setBoxTextColour(m_txtTelWZ, resultBlue);
    m_txtTelWZ->setPlainText(QStringLiteral("正在检查电话号码地址中..."));
    m_txtTelWZ->setPlainText(QStringLiteral("正在连接服务器中..."));
    bTelPending.arm({ m_txtTel, m_txtTelWZ, m_cmdTelChaXun },
                    context().services[Service::PhoneDirectory].url(u"/dh/114.aspx?w=" + percentEncodeUserPart(typed)));
}

void TelWzPanel::WebTel_DocumentComplete()
{
    std::unique_ptr<BusyGuard> busy = bTelPending.take();
    if (!busy)
        return;
    if (m_WebTel->loadFailed())
        return showLookupFailure(*busy);

    m_txtTelTT = m_WebTel->innerText();
    for (QStringView marker : busyMarkers) {
        if (findFrom(marker, m_txtTelTT) != 0) {
            setBoxTextColour(m_txtTelWZ, resultRed);
            m_txtTelWZ->setPlainText(QStringLiteral("没有查找到该号码的地理位置。"));
            return;
        }
    }
    const std::optional<QString> district = cut(m_txtTelTT, districtCut);
    if (!district)
        return showLookupFailure(*busy);
    showInTextBox(m_txtTelWZ, *district);
}

void TelWzPanel::showLookupFailure(BusyGuard& busy)
{
    // The panel is enabled again before the box shows.
    busy.end();
    setBoxTextColour(m_txtTelWZ, resultRed);
    m_txtTelWZ->setPlainText(QStringLiteral("发生错误。"));
    showFailure(
        QStringLiteral("发生错误！错误原因："),
        { QStringLiteral("服务器维护检修或繁忙，请稍后再试！"), QStringLiteral("IE损坏，请重装IE6.0以上版本！") });
}

void TelWzPanel::Command5_Click()
{
    queryStarting(QStringLiteral("Command5_Click"));

    BusyGuard busy(*this, { m_Command5 });
    const RangeSearch search = rangeSearch(m_Text2->text(), m_Text3->text());
    switch (search.check) {
    case RangeCheck::Ready:
        context().shell->open(window(), context().services[Service::SearchEngineA].url(search.pathAndQuery));
        return;
    case RangeCheck::NotWhole:
        return showFailure(QStringLiteral("请输入正确的电话号码和区号！错误原因："),
                           { QStringLiteral("区号和电话号码必须是数字！请检查后重新输入") });
    case RangeCheck::Unreadable:
        return showFailure(QStringLiteral("请输入正确的电话号码和区号！错误原因："),
                           { QStringLiteral("电话号码或区号输入错误，请检查后重新输入！") });
    }
}

void TelWzPanel::Command4_Click()
{
    queryStarting(QStringLiteral("Command4_Click"));
    showBox(MsgInformation, QStringLiteral("Email所在地查询方法"), { advice });
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
