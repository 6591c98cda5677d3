#include "checks/site/gongshangpanel.h"

#include "app/panellayout.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <array>

namespace veldrin {

namespace {

// The pick lists in the order they are offered. The province list ends with 香港, 澳门, 台湾,
// unlike the directory itself.
constexpr std::array<const char16_t*, 34> provinceChoices = {
    u"北京", u"天津", u"河北", u"山西", u"内蒙古", u"辽宁", u"吉林", u"黑龙江", u"上海", u"江苏", u"浙江", u"安徽",
    u"福建", u"江西", u"山东", u"河南", u"湖北",   u"湖南", u"广东", u"广西",   u"海南", u"重庆", u"四川", u"贵州",
    u"云南", u"西藏", u"陕西", u"甘肃", u"青海",   u"宁夏", u"新疆", u"香港",   u"澳门", u"台湾",
};

constexpr std::array<const char16_t*, 53> cityChoices = {
    u"保定",         u"常州",   u"成都", u"滁州", u"大连", u"德阳", u"鄂州", u"恩施",     u"福州", u"广州", u"贵阳",
    u"哈尔滨",       u"杭州",   u"淮南", u"惠州", u"吉林", u"济南", u"济宁", u"晋中",     u"荆门", u"九江", u"昆明",
    u"乐山",         u"临汾",   u"临海", u"南昌", u"南充", u"南京", u"内江", u"宁波",     u"青岛", u"衢州", u"泉州",
    u"厦门",         u"上饶",   u"深圳", u"沈阳", u"朔州", u"台州", u"温州", u"乌鲁木齐", u"武汉", u"西安", u"新乡",
    u"新乡北站分局", u"兴安盟", u"雅安", u"扬州", u"宜昌", u"荥阳", u"云浮", u"镇海",     u"郑州",
};

QGroupBox* innerFrame(QWidget* panel, const QString& name, const QString& caption, QRect twips)
{
    auto* frame = layout::place(new QGroupBox(caption, panel), name, twips);
    // Drawn like the panel around it.
    frame->setFlat(true);
    return frame;
}

void fill(QComboBox* list, const auto& choices)
{
    for (const char16_t* choice : choices)
        list->addItem(QString::fromUtf16(choice));
    // Adding to an empty list picks its first entry; at start nothing is picked.
    list->setCurrentIndex(-1);
}

} // namespace

GongShangPanel::GongShangPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmGongShang"), QStringLiteral("工商信息"), parent)
{
    QGroupBox* choice
        = innerFrame(this, QStringLiteral("Frame1"), QStringLiteral("请输入选项"), QRect(240, 360, 5535, 1500));
    auto* province = layout::place(new QRadioButton(QStringLiteral("选择省工商局资料"), choice),
                                   QStringLiteral("Option1"), QRect(240, 420, 2175, 300));
    m_Combo1 = layout::place(new QComboBox(choice), QStringLiteral("Combo1"), QRect(2520, 390, 1935, 345));
    layout::place(new QRadioButton(QStringLiteral("选择市工商局资料"), choice), QStringLiteral("Option2"),
                  QRect(240, 960, 2175, 300));
    m_Combo2 = layout::place(new QComboBox(choice), QStringLiteral("Combo2"), QRect(2520, 930, 1935, 345));
    province->setChecked(true);
    m_Combo2->setEnabled(false);

    QGroupBox* answer = innerFrame(this, QStringLiteral("Frame2"), QStringLiteral("该地区查询地址如下"),
                                   QRect(240, 2040, 5535, 1500));
    layout::place(new QLabel(QStringLiteral("工 商 查 询 ："), answer), QStringLiteral("Label1"),
                  QRect(240, 480, 1455, 300));
    layout::place(new QLabel(QStringLiteral("企业信用查询："), answer), QStringLiteral("Label2"),
                  QRect(240, 960, 1455, 300));
    // No region has been looked up yet: both links are empty and cannot be clicked.
    auto link = [answer](const QString& name, int top) {
        auto* label = layout::place(new QLabel(QStringLiteral("http:///"), answer), name, QRect(1800, top, 3495, 300));
        label->setEnabled(false);
        layout::setTextColour(label, layout::linkBlue);
        return label;
    };
    m_Label3 = link(QStringLiteral("Label3"), 480);
    m_Label4 = link(QStringLiteral("Label4"), 960);
}

void GongShangPanel::underlineLinks()
{
    for (QLabel* link : { m_Label3, m_Label4 }) {
        QFont font = link->font();
        font.setUnderline(true);
        link->setFont(font);
    }
}

void GongShangPanel::fillLists()
{
    fill(m_Combo1, provinceChoices);
    fill(m_Combo2, cityChoices);
}

} // namespace veldrin
