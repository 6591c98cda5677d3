#include "app/form1.h"
#include "app/toolpanel.h"
#include "checks/site/icppanel.h"
#include "support/printers.h"
#include "support/recorders.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

using namespace veldrin;

using veldrin::test::str;

namespace {

const char16_t* const panelNames[] = {
    u"frmShouJi", u"frmIP", u"frmShenFenZheng", u"frmYuMing", u"frmZhuJi",     u"frmRenQi", u"frmLiuXing", u"frmSL",
    u"frmTelWZ",  u"frmQQ", u"frmMX",           u"frmICP",    u"frmGongShang", u"frmUSafe", u"frmTB",
};
const char16_t* const groupFrames[] = { u"frmChuJi", u"frmZhongJi", u"frmGaoji" };
const char16_t* const groupButtons[] = { u"cmdChuJi", u"cmdZhongJi", u"cmdGaoji" };

// Where the two movable group buttons stand while each group is open.
constexpr int zhongJiTop[] = { 5160, 480, 480 };
constexpr int gaojiTop[] = { 5580, 5580, 900 };

enum class Kind
{
    GroupButton,
    PanelTool,
    LinkTool
};

struct Button
{
    const char16_t* name;
    int group; // the group the button opens or sits in
    Kind kind;
    const char16_t* panel = nullptr; // panel-switching tools
    const char16_t* focus = nullptr; // the box that takes the focus; none: the focus is not moved
};

const Button buttons[] = {
    { u"cmdChuJi", 0, Kind::GroupButton },
    { u"cmdZhongJi", 1, Kind::GroupButton },
    { u"cmdGaoji", 2, Kind::GroupButton },
    { u"cmdShouJi", 0, Kind::PanelTool, u"frmShouJi", u"txtShouJi" },
    { u"cmdIP", 0, Kind::PanelTool, u"frmIP", u"txtIP" },
    { u"cmdShenFenZheng", 0, Kind::PanelTool, u"frmShenFenZheng", u"txtShenFenZheng" },
    { u"cmdYuMing", 0, Kind::PanelTool, u"frmYuMing", u"txtYuMing" },
    { u"mnuFileSafe", 0, Kind::LinkTool },
    { u"Command11", 0, Kind::LinkTool },
    { u"cmdZhuJi", 1, Kind::PanelTool, u"frmZhuJi", u"txtZhuJi" },
    { u"cmdPaiming", 1, Kind::PanelTool, u"frmRenQi", u"txtRenQi" },
    { u"cmdLiuXing", 1, Kind::PanelTool, u"frmLiuXing", u"txtLiuXing" },
    { u"Command3", 1, Kind::PanelTool, u"frmSL", u"txtSLURL" },
    { u"Command8", 1, Kind::PanelTool, u"frmQQ", u"Text4" },
    { u"Command12", 1, Kind::PanelTool, u"frmMX" },
    { u"cmdICP", 2, Kind::PanelTool, u"frmICP" },
    { u"cmdGongShang", 2, Kind::PanelTool, u"frmGongShang" },
    { u"cmdEmail", 2, Kind::PanelTool, u"frmTelWZ", u"txtTel" },
    { u"cmdSafe", 2, Kind::PanelTool, u"frmUSafe", u"txtUS" },
    { u"Command7", 2, Kind::PanelTool, u"frmTB" },
};

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<Form1>(seams.context);
        window->show();
        activate(window.get());
    }

    static void activate(QWidget* widget)
    {
        widget->activateWindow();
        QApplication::setActiveWindow(widget);
        ASSERT_TRUE(test::waitUntil([widget] { return QApplication::activeWindow() == widget; }));
    }

    template<typename W = QWidget> W* find(const QString& name) const
    {
        W* widget = window->findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }

    void click(const QString& name)
    {
        auto* button = find<QPushButton>(name);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isVisible()) << name.toStdString() << " cannot be clicked while hidden";
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // What the right-hand area shows: Picture1 or one tool panel; empty when it is not exactly one.
    QString shownPanel() const
    {
        QStringList shown;
        if (find(QStringLiteral("Picture1"))->isVisible())
            shown << QStringLiteral("Picture1");
        for (const char16_t* panel : panelNames) {
            if (find(str(panel))->isVisible())
                shown << str(panel);
        }
        return shown.size() == 1 ? shown.first() : QString();
    }

    // The open group; -1 when not exactly one group frame is visible.
    int openGroup() const
    {
        int open = -1;
        int count = 0;
        for (int g = 0; g < 3; ++g) {
            if (find(str(groupFrames[g]))->isVisible()) {
                open = g;
                ++count;
            }
        }
        return count == 1 ? open : -1;
    }

    void expectGroupColumn(int group) const
    {
        EXPECT_EQ(openGroup(), group);
        EXPECT_EQ(find(QStringLiteral("cmdChuJi"))->y(), twipsToPixels(60));
        EXPECT_EQ(find(QStringLiteral("cmdZhongJi"))->y(), twipsToPixels(zhongJiTop[group]));
        EXPECT_EQ(find(QStringLiteral("cmdGaoji"))->y(), twipsToPixels(gaojiTop[group]));
        for (const char16_t* name : groupButtons) {
            EXPECT_TRUE(find(str(name))->isVisible()) << QString::fromUtf16(name).toStdString();
            EXPECT_TRUE(find(str(name))->isEnabled()) << QString::fromUtf16(name).toStdString();
        }
    }

    test::TestSeams seams;
    std::unique_ptr<Form1> window;
};

TEST_F(MainWindowTest, OpensOnTheBasicGroupWithTheIntroAndTheFocusOutOfSight)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Veldrin 4.01"));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "fixed border";
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(find<QCheckBox>(QStringLiteral("Check1"))->isChecked());

    expectGroupColumn(0);
    EXPECT_EQ(shownPanel(), QStringLiteral("Picture1"));

    // The focus sits in the box outside the visible area once the window is active.
    auto* text5 = find<QLineEdit>(QStringLiteral("Text5"));
    EXPECT_TRUE(test::waitUntil([&] { return QApplication::focusWidget() == text5; }));
    EXPECT_LT(text5->mapTo(window.get(), QPoint(0, text5->height())).y(), 0);

    EXPECT_EQ(seams.instance.askCount, 1);
    EXPECT_EQ(seams.hotKey.windows, QList<QWidget*> { window.get() });
    EXPECT_EQ(seams.process.endCount, 0);
}

TEST_F(MainWindowTest, LoadStepsPrepareThePanels)
{
    auto* icp = find<IcpPanel>(QStringLiteral("frmICP"));
    ASSERT_NE(icp, nullptr);
    ASSERT_NE(icp->WebICP(), nullptr);
    EXPECT_TRUE(icp->WebICP()->silent());
    for (const char16_t* name : panelNames)
        EXPECT_TRUE(find<ToolPanel>(str(name))->isFlat()) << QString::fromUtf16(name).toStdString();
    EXPECT_GT(find<QComboBox>(QStringLiteral("Combo1"))->count(), 0);
    EXPECT_GT(find<QComboBox>(QStringLiteral("Combo2"))->count(), 0);
    EXPECT_TRUE(find<QLabel>(QStringLiteral("Label3"))->font().underline());
    EXPECT_TRUE(find<QLabel>(QStringLiteral("Label4"))->font().underline());
}

TEST_F(MainWindowTest, ControlsCarryTheirCaptionsTipsAndPlaces)
{
    struct Row
    {
        const char16_t* name;
        const char16_t* caption;
        QRect twips; // relative to the parent widget
    };
    const Row rows[] = {
        { u"cmdChuJi", u"初级鉴别", { 0, 60, 2055, 435 } },
        { u"cmdShouJi", u"手机归属查询", { 240, 240, 1455, 495 } },
        { u"Command11", u"邮编查询", { 240, 3240, 1455, 495 } },
        { u"Command3", u"网站主机数量", { 240, 2040, 1455, 495 } },
        { u"cmdEmail", u"Email所在地、电话具体位置", { 240, 1380, 1455, 615 } },
        { u"Command7", u"淘宝店铺信用", { 240, 2640, 1455, 495 } },
        { u"Command2", u"退出", { 7560, 5340, 975, 315 } },
    };
    for (const Row& row : rows) {
        auto* button = find<QPushButton>(str(row.name));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), str(row.caption));
        EXPECT_EQ(button->geometry(), twipsRect(row.twips.x(), row.twips.y(), row.twips.width(), row.twips.height()))
            << QString::fromUtf16(row.name).toStdString();
    }
    EXPECT_EQ(find<QPushButton>(QStringLiteral("cmdIP"))->toolTip(), QStringLiteral("根据IP查询对方的地址。"));
    for (const char16_t* name : { u"cmdZhongJi", u"Command11", u"Command8", u"Command12", u"Command7" })
        EXPECT_FALSE(find(str(name))->toolTip().isEmpty()) << QString::fromUtf16(name).toStdString();

    for (const char16_t* name : panelNames)
        EXPECT_EQ(find(str(name))->geometry(), twipsRect(2280, 240, 6015, 4815));
    EXPECT_EQ(find(QStringLiteral("frmMain"))->geometry(), twipsRect(0, -45, 8535, 6180));
    EXPECT_EQ(find(QStringLiteral("Picture1"))->geometry(), twipsRect(2400, 1680, 5775, 1215));
    EXPECT_EQ(find(QStringLiteral("Check1"))->geometry(), twipsRect(2760, 5880, 1815, 255));
    EXPECT_EQ(find(QStringLiteral("Text5"))->geometry(), twipsRect(0, -16680, 180, 375));

    // The open group's frame lies above the group column.
    QWidget* frmMain = find(QStringLiteral("frmMain"));
    const QObjectList stack = frmMain->children();
    for (const char16_t* frame : groupFrames)
        EXPECT_GT(stack.indexOf(find(str(frame))), stack.indexOf(find(QStringLiteral("frmJianBie"))));

    auto* label11 = find<QLabel>(QStringLiteral("Label11"));
    auto* label12 = find<QLabel>(QStringLiteral("Label12"));
    EXPECT_EQ(label11->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    EXPECT_EQ(label12->palette().color(QPalette::WindowText), QColor(192, 0, 0));
    EXPECT_EQ(label12->text(), QStringLiteral("网络交易、交友、聊天、安全等"));
}

// Every group and tool button from several starting states: which group is open, what the
// right-hand area shows, where the movable group buttons stand and where the focus is.
TEST_F(MainWindowTest, GroupAndToolButtonsSwitchAsAnAccordion)
{
    struct Start
    {
        int group;
        const char16_t* tool; // clicked after opening the group; none: the intro stays
    };
    const Start starts[] = {
        { 0, nullptr },      { 0, u"cmdIP" }, { 0, u"cmdYuMing" }, { 1, nullptr },     { 1, u"Command3" },
        { 1, u"Command12" }, { 2, nullptr },  { 2, u"cmdEmail" },  { 2, u"Command7" },
    };
    for (const Start& start : starts) {
        for (const Button& button : buttons) {
            // A tool button can only be clicked while its group is open.
            if (button.kind != Kind::GroupButton && button.group != start.group)
                continue;
            const QString label = str(button.name) + QStringLiteral(" after group ") + QString::number(start.group)
                + QStringLiteral(" / ") + (start.tool ? str(start.tool) : QStringLiteral("intro"));
            SCOPED_TRACE(label.toStdString());

            click(str(groupButtons[start.group]));
            if (start.tool != nullptr)
                click(str(start.tool));
            const QString shownBefore = shownPanel();
            ASSERT_FALSE(shownBefore.isEmpty());

            click(str(button.name));
            QWidget* focused = QApplication::focusWidget();

            switch (button.kind) {
            case Kind::GroupButton:
                expectGroupColumn(button.group);
                EXPECT_EQ(shownPanel(), QStringLiteral("Picture1"));
                EXPECT_EQ(focused, find(str(button.name))) << "only the click itself takes the focus";
                break;
            case Kind::PanelTool:
                expectGroupColumn(start.group);
                EXPECT_EQ(shownPanel(), str(button.panel));
                if (button.focus != nullptr) {
                    EXPECT_EQ(focused, find(str(button.focus)));
                } else {
                    EXPECT_EQ(focused, find(str(button.name)));
                }
                break;
            case Kind::LinkTool:
                expectGroupColumn(start.group);
                EXPECT_EQ(shownPanel(), shownBefore);
                EXPECT_EQ(focused, find(str(button.name)));
                break;
            }
            EXPECT_EQ(seams.process.endCount, 0);
        }
    }
}

// A running lookup keeps its input box disabled; switching to its panel shows the panel and
// leaves the focus where it was.
TEST_F(MainWindowTest, ADisabledFocusBoxLeavesTheFocusWhereItWas)
{
    struct Row
    {
        int group;
        const char16_t* button;
        const char16_t* panel;
    };
    const Row rows[] = { { 2, u"cmdSafe", u"frmUSafe" }, { 1, u"Command8", u"frmQQ" } };
    for (const Row& row : rows) {
        SCOPED_TRACE(QString::fromUtf16(row.button).toStdString());
        auto* panel = find<ToolPanel>(str(row.panel));
        ASSERT_NE(panel, nullptr);
        QWidget* box = panel->focusBox();
        ASSERT_NE(box, nullptr);

        click(str(groupButtons[row.group]));
        box->setEnabled(false);
        click(str(row.button));
        EXPECT_EQ(shownPanel(), str(row.panel));
        EXPECT_EQ(QApplication::focusWidget(), find(str(row.button)));
        EXPECT_EQ(seams.process.endCount, 0);

        box->setEnabled(true);
        click(str(row.button));
        EXPECT_EQ(QApplication::focusWidget(), box);
    }
}

// Coming back from the update or About window moves the focus off the control that held it;
// coming back from any other window (a message box, another program) leaves it where it was, so
// typing goes on in the same box.
TEST_F(MainWindowTest, ActivationMovesTheFocusToTheSinkOnlyFromUpdateOrAbout)
{
    struct Row
    {
        const char16_t* item; // the help menu item whose window the user goes to; null: another window
        const char16_t* opens = nullptr;
    };
    const Row rows[] = { { nullptr }, { u"mnuAbout", u"Form2" }, { u"mnuUpdate", u"Form5" }, { nullptr } };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.item ? str(row.item).toStdString() : "another window");
        click(QStringLiteral("cmdIP"));
        auto* box = find<QLineEdit>(QStringLiteral("txtIP"));
        ASSERT_EQ(QApplication::focusWidget(), box);

        QWidget plain;
        QWidget* other = &plain;
        if (row.item == nullptr) {
            plain.show();
        } else {
            window->findChild<QAction*>(str(row.item))->trigger();
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (top->objectName() == str(row.opens) && top->isVisible())
                    other = top;
            }
            ASSERT_NE(other, &plain);
        }
        activate(other);
        other->close();
        activate(window.get());
        if (row.item != nullptr) {
            EXPECT_TRUE(test::waitUntil([&] { return QApplication::focusWidget() == find(QStringLiteral("Text5")); }));
        } else {
            QCoreApplication::processEvents();
            EXPECT_EQ(QApplication::focusWidget(), box);
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12"));
            EXPECT_EQ(box->text(), QStringLiteral("12"));
        }
    }
}

} // namespace
