#include "checks/site/renqipanel.h"

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

const QString globalCaption = QStringLiteral("全球流量排名：");
const QString chinaCaption = QStringLiteral("中国流量排名：");

// The middle marker ends the global ranking and starts the Chinese one. One character (a
// blank on the service's pages) stands between the start marker and the global value.
constexpr QStringView middleMarker = u" 位，中文排名第 ";
constexpr Cut globalCut { u"全球综合排名第", 1, middleMarker, 0 };
constexpr Cut chinaCut { middleMarker, 0, u" 位。", 0 };

// What the service shows for a site it has no figures for.
constexpr QStringView noRankingData = u"没有排名数据";

const QStringList failureCauses = {
    QStringLiteral("网址输入错误，请检查后重新输入！"),
    QStringLiteral("VeldrinXMLhttp组件丢失，请重新下载！"),
    QStringLiteral("排名服务器繁忙或故障检修，请稍后再试！"),
    QStringLiteral("网络不稳定或繁忙，请退出大量占用网络资源的程序！"),
};

QString rankingCaption(const QString& caption, const QString& value)
{
    if (value == noRankingData)
        return caption + u"查无资料";
    return caption + u"第 " + value + u" 名";
}

} // namespace

RenQiPanel::RenQiPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmRenQi"), QStringLiteral("网站人气排名"), parent)
{
    const layout::InputRow row = layout::inputRowAt(360);
    addLabel(QStringLiteral("lblRenQiURL"), QStringLiteral("网址："), row.prompt);
    m_txtRenQi = addLineEdit(QStringLiteral("txtRenQi"), row.box);
    m_txtRenQi->setFont(QFont(QStringLiteral("Verdana")));
    m_cmdRenQiChaxun = addButton(QStringLiteral("cmdRenQiChaxun"), QStringLiteral("查询"), row.button);
    m_lblRenQi = addLabel(QStringLiteral("lblRenQi"), globalCaption, layout::lineAt(1080));
    m_lblZG = addLabel(QStringLiteral("lblZG"), chinaCaption, layout::lineAt(1500));
    QLabel* about = addLabel(QStringLiteral("lblRenQiJS"),
                             QStringLiteral("    本功能可以查询您需要了解的网站的全球流量排名情况，"
                                            "骗子网站无论如何伪装，其流量等人气指标是无法伪装出来的。"),
                             layout::lineAt(2100, 900));
    about->setWordWrap(true);
    m_lblRenQiZZ = addLabel(QStringLiteral("lblRenQiZZ"), QString(), layout::lineAt(4260));
    layout::setTextColour(m_lblRenQiZZ, layout::statusBlue);
    for (QLabel* result : { m_lblRenQi, m_lblZG })
        result->setTextFormat(Qt::PlainText);

    connect(m_cmdRenQiChaxun, &QPushButton::clicked, this, [this] { cmdRenQiChaxun_Click(); });
    attachKeyHandler(m_txtRenQi, [this](int& k) { txtRenQi_KeyPress(k); });
}

QWidget* RenQiPanel::focusBox() const
{
    return m_txtRenQi;
}

void RenQiPanel::resetPanel()
{
    enableUnlessRunning(m_txtRenQi);
    m_txtRenQi->clear();
    enableUnlessRunning(m_cmdRenQiChaxun);
}

void RenQiPanel::cmdRenQiChaxun_Click()
{
    queryStarting(QStringLiteral("cmdRenQiChaxun_Click"));
    const QString typed = m_txtRenQi->text();
    if (typed.size() < 6)
        return refuse({ QStringLiteral("请输入正确的网址！") });
    // Only a site's own address is ranked, so "WWW" and a scheme in front are refused too.
    if (!typed.startsWith(u"www"))
        return refuse({ QStringLiteral("错误！错误原因："),
                        QStringLiteral("1.输入的网址必须是www开头，不能查询旗下网址，请检查后再试！") });

    m_lblRenQiZZ->setText(QStringLiteral("正在查询该网站流量排名中..."));
    m_lblZG->setText(chinaCaption);
    m_lblRenQi->setText(globalCaption);
    BusyGuard busy(*this, { m_cmdRenQiChaxun, m_txtRenQi }, BusyGuard::EnableOrder::AsListed);

    const std::optional<QString> page = fetchPage(Service::TrafficRank, u"/?domain=" + percentEncodeUserPart(typed));
    if (page)
        m_txtRenQiTT = *page;
    const std::optional<QString> global = page ? cut(m_txtRenQiTT, globalCut) : std::nullopt;
    if (global)
        showInLabel(m_lblRenQi, rankingCaption(globalCaption, *global));
    const std::optional<QString> china = global ? cut(m_txtRenQiTT, chinaCut) : std::nullopt;
    busy.end();
    if (!china)
        return showLookupFailure();
    showInLabel(m_lblZG, rankingCaption(chinaCaption, *china));
    m_lblRenQiZZ->setText(QStringLiteral("查询完毕"));
}

void RenQiPanel::refuse(const QStringList& lines)
{
    showBox(MsgCritical, QStringLiteral("错误"), lines);
    m_txtRenQi->clear();
}

// The panel is enabled before the box; a global ranking already shown gives way too.
void RenQiPanel::showLookupFailure()
{
    m_lblRenQiZZ->setText(QStringLiteral("出现错误"));
    m_lblZG->setText(chinaCaption + u"出错");
    m_lblRenQi->setText(globalCaption + u"出错");
    showFailure(QStringLiteral("出现错误！错误原因："), failureCauses);
}

void RenQiPanel::txtRenQi_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        cmdRenQiChaxun_Click();
    refuseListed(KeyAscii, RefusedList::Common);
}

} // namespace veldrin
