#include "checks/site/errorbox.h"
#include "checks/site/gongshangpanel.h"
#include "support/recorders.h"

#include <QComboBox>
#include <QGroupBox>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

constexpr const char16_t* noLink = u"没有相关网址";
constexpr const char16_t* noSite = u"无网站";
constexpr const char16_t* link = nullptr; // the label shows a link

struct Answer
{
    const char16_t* registry;
    const char16_t* credit;
};

struct Group
{
    std::initializer_list<const char16_t*> names;
    Answer answer;
};

// Which entries have a link in which label, and which no-link text stands where.
const Group provinceGroups[] = {
    { { u"北京", u"天津", u"辽宁", u"吉林", u"上海", u"浙江", u"福建", u"山东", u"湖北", u"湖南", u"广东", u"重庆",
        u"四川", u"贵州", u"陕西", u"甘肃", u"宁夏" },
      { link, link } },
    { { u"河北", u"山西", u"内蒙古", u"黑龙江", u"江苏", u"安徽", u"江西", u"河南", u"广西", u"海南", u"云南", u"青海",
        u"新疆" },
      { link, noLink } },
    { { u"西藏", u"香港" }, { noSite, noLink } },
    { { u"台湾", u"澳门" }, { noLink, noLink } },
};
const Group cityGroups[] = {
    { { u"成都", u"大连", u"广州", u"南京", u"厦门" }, { link, link } },
    { { u"滁州", u"德阳",         u"鄂州",   u"恩施", u"福州", u"贵阳", u"哈尔滨",   u"杭州", u"淮南",
        u"惠州", u"吉林",         u"济南",   u"济宁", u"晋中", u"荆门", u"九江",     u"昆明", u"乐山",
        u"临汾", u"临海",         u"南昌",   u"南充", u"内江", u"宁波", u"青岛",     u"衢州", u"泉州",
        u"上饶", u"深圳",         u"沈阳",   u"朔州", u"台州", u"温州", u"乌鲁木齐", u"武汉", u"西安",
        u"新乡", u"新乡北站分局", u"兴安盟", u"雅安", u"扬州", u"宜昌", u"荥阳",     u"镇海", u"郑州" },
      { link, noLink } },
    { { u"云浮" }, { noLink, link } },
    { { u"保定", u"常州" }, { noLink, noLink } },
};

struct Directory
{
    TestSeams seams;
    BuiltPanel built;
    QLabel* registry = nullptr;
    QLabel* credit = nullptr;

    Directory()
    {
        built = buildPanel(QStringLiteral("frmGongShang"), seams.context);
        auto* panel = static_cast<GongShangPanel*>(built.panel.get());
        panel->underlineLinks();
        panel->fillLists();
        seams.dialogs.watched = panel;
        registry = built.control<QLabel>(u"Label3");
        credit = built.control<QLabel>(u"Label4");
    }
    void lookUp(bool province, const QString& name)
    {
        QTest::mouseClick(built.control<QRadioButton>(province ? u"Option1" : u"Option2"), Qt::LeftButton);
        auto* list = built.control<QComboBox>(province ? u"Combo1" : u"Combo2");
        list->setCurrentIndex(list->findText(name));
        ASSERT_EQ(list->currentText(), name);
        QTest::mouseClick(built.control<QPushButton>(u"Command1"), Qt::LeftButton);
    }
    // Clicks the label as a user would and returns what reached the shell.
    QStringList click(QLabel* label)
    {
        seams.shell.targets.clear();
        QTest::mouseClick(label, Qt::LeftButton);
        return seams.shell.targets;
    }
};

void expectLink(Directory& d, QLabel* label, const char16_t* expected)
{
    SCOPED_TRACE(label->objectName().toStdString());
    if (expected == link) {
        EXPECT_TRUE(label->text().startsWith(QStringLiteral("http://")) && label->text().size() > 8)
            << label->text().toStdString();
        EXPECT_TRUE(label->isEnabled());
        EXPECT_EQ(d.click(label), QStringList({ label->text() }));
    } else {
        EXPECT_EQ(label->text(), str(expected));
        EXPECT_FALSE(label->isEnabled());
        EXPECT_TRUE(d.click(label).isEmpty());
    }
}

TEST(GongShangPanel, EveryEntryGivesItsLinksOrItsNoLinkText)
{
    Directory d;
    int entries = 0;
    for (const auto& [province, groups] : { std::pair { true, std::span<const Group>(provinceGroups) },
                                            std::pair { false, std::span<const Group>(cityGroups) } }) {
        for (const Group& group : groups) {
            for (const char16_t* name : group.names) {
                SCOPED_TRACE(str(name).toStdString());
                d.lookUp(province, str(name));
                expectLink(d, d.registry, group.answer.registry);
                expectLink(d, d.credit, group.answer.credit);
                ++entries;
            }
        }
    }
    EXPECT_EQ(entries, 87);
    EXPECT_TRUE(d.seams.dialogs.boxes.isEmpty());
}

TEST(GongShangPanel, ListsOfferEveryRegionInTheirOrder)
{
    Directory d;
    auto items = [&](const char16_t* name) {
        auto* list = d.built.control<QComboBox>(name);
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
        EXPECT_EQ(list->currentIndex(), -1);
        EXPECT_FALSE(list->isEditable());
        return texts;
    };
    const QStringList provinces = items(u"Combo1");
    ASSERT_EQ(provinces.size(), 34);
    EXPECT_EQ(provinces.first(), QStringLiteral("北京"));
    EXPECT_EQ(provinces.mid(30),
              QStringList(
                  { QStringLiteral("新疆"), QStringLiteral("香港"), QStringLiteral("澳门"), QStringLiteral("台湾") }));
    const QStringList cities = items(u"Combo2");
    ASSERT_EQ(cities.size(), 53);
    EXPECT_EQ(cities.first(), QStringLiteral("保定"));
    EXPECT_EQ(cities.last(), QStringLiteral("郑州"));
    EXPECT_TRUE(d.registry->font().underline());
}

TEST(GongShangPanel, NothingPickedIsRefusedAndNothingReachesTheShell)
{
    Directory d;
    QTest::mouseClick(d.built.control<QPushButton>(u"Command1"), Qt::LeftButton);
    ASSERT_EQ(d.seams.dialogs.boxes.size(), 1);
    const ShownBox& box = d.seams.dialogs.boxes[0];
    expectErrorBox(box, QStringLiteral("请选择省/市以便查询！"));
    EXPECT_FALSE(box.seen(u"Command1").enabled);
    EXPECT_TRUE(d.built.control(u"Command1")->isEnabled());
    for (QLabel* label : { d.registry, d.credit }) {
        EXPECT_EQ(label->text(), QStringLiteral("http:///"));
        EXPECT_FALSE(label->isEnabled());
        EXPECT_TRUE(d.click(label).isEmpty());
    }

    // After an answer, a refusal from the other, empty list keeps the answer and its links.
    d.lookUp(true, QStringLiteral("北京"));
    QTest::mouseClick(d.built.control<QRadioButton>(u"Option2"), Qt::LeftButton);
    EXPECT_TRUE(d.built.control(u"Combo2")->isEnabled());
    EXPECT_FALSE(d.built.control(u"Combo1")->isEnabled());
    QTest::mouseClick(d.built.control<QPushButton>(u"Command1"), Qt::LeftButton);
    EXPECT_EQ(d.seams.dialogs.boxes.size(), 2);
    EXPECT_EQ(d.click(d.registry), QStringList({ d.registry->text() }));
}

TEST(GongShangPanel, ProvinceAndCityOfTheSameNameAreDifferentEntries)
{
    Directory d;
    d.lookUp(true, QStringLiteral("吉林"));
    const QString province = d.registry->text();
    EXPECT_TRUE(d.credit->isEnabled());
    d.lookUp(false, QStringLiteral("吉林"));
    EXPECT_NE(d.registry->text(), province);
    EXPECT_EQ(d.credit->text(), QStringLiteral("没有相关网址"));
    EXPECT_FALSE(d.credit->isEnabled());
}

TEST(GongShangPanel, PressingALinkTurnsItRedUntilThePointerMovesOverTheFrame)
{
    Directory d;
    auto colour = [](QLabel* label) {
        return label->palette().color(QPalette::Active, QPalette::WindowText);
    };
    EXPECT_EQ(colour(d.registry), QColor(0, 0, 192));
    d.lookUp(true, QStringLiteral("北京"));

    QTest::mousePress(d.registry, Qt::LeftButton);
    EXPECT_EQ(colour(d.registry), QColor(255, 0, 0));
    EXPECT_EQ(colour(d.credit), QColor(0, 0, 192));
    // Moving over a label, the button held or not, is not moving over the frame.
    QTest::mouseMove(d.registry, QPoint(3, 3));
    QTest::mouseRelease(d.registry, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseMove(d.credit);
    EXPECT_EQ(colour(d.registry), QColor(255, 0, 0));
    auto* frame = d.built.control<QGroupBox>(u"Frame2");
    QTest::mouseMove(frame, QPoint(frame->width() - 4, frame->height() - 4));
    EXPECT_EQ(colour(d.registry), QColor(0, 0, 255));
    EXPECT_EQ(colour(d.credit), QColor(0, 0, 255));
}

} // namespace
