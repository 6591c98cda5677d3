#include "app/form1.h"
#include "support/printers.h"
#include "support/recorders.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace veldrin;

using namespace veldrin::test;

namespace {

enum class Property
{
    Text,
    Enabled,
    Visible
};

struct Setting
{
    const char16_t* control;
    Property property;
    const char16_t* text = u""; // Text
    bool flag = false; // Enabled, Visible
};

// What the reset leaves in the nine lookup panels, whatever they showed before.
const Setting resetSettings[] = {
    { u"txtIP", Property::Text, u"" },
    { u"txtIP", Property::Enabled, nullptr, true },
    { u"cmdIPChaXun", Property::Enabled, nullptr, true },
    { u"Label10", Property::Visible, nullptr, false },

    { u"txtShouJi", Property::Text, u"" },
    { u"txtShouJi", Property::Enabled, nullptr, true },
    { u"cmdShouJiChaXun", Property::Enabled, nullptr, true },
    { u"lblChengShi", Property::Text, u"归属：" },
    { u"lblQuHao", Property::Text, u"区号：" },
    { u"lblKaXing", Property::Text, u"卡型：" },
    { u"lblPost", Property::Text, u"邮编：" },
    { u"lblShouJiZZ", Property::Text, u"准备就绪" },

    { u"txtLiuXing", Property::Text, u"" },
    { u"txtLiuXing", Property::Enabled, nullptr, true },
    { u"cmdLiuXingChaXun", Property::Enabled, nullptr, true },
    { u"cmdShouLuChaXun", Property::Enabled, nullptr, true },
    { u"lblLiuXing", Property::Text, u"网站流行度：" },

    { u"txtSLURL", Property::Enabled, nullptr, true },
    { u"txtSLURL", Property::Text, u"" },
    { u"cmdGO", Property::Enabled, nullptr, true },
    { u"txtSLJG", Property::Text, u"" },
    { u"txtSLJG", Property::Enabled, nullptr, true },

    { u"txtRenQi", Property::Enabled, nullptr, true },
    { u"txtRenQi", Property::Text, u"" },
    { u"cmdRenQiChaxun", Property::Enabled, nullptr, true },

    { u"txtZhuJi", Property::Enabled, nullptr, true },
    { u"txtZhuJi", Property::Text, u"" },
    { u"cmdZhuJiChaXun", Property::Enabled, nullptr, true },
    { u"lblZhuJiIP", Property::Text, u"主机IP地址：" },

    { u"txtTel", Property::Text, u"" },
    { u"txtTel", Property::Enabled, nullptr, true },
    { u"txtTelWZ", Property::Enabled, nullptr, true },
    { u"txtTelWZ", Property::Text, u"" },

    { u"txtYuMing", Property::Text, u"" },
    { u"txtYuMing", Property::Enabled, nullptr, true },
    { u"cmdYuMingChaXun", Property::Enabled, nullptr, true },
    { u"txtYuMingJG", Property::Enabled, nullptr, true },
    { u"txtYuMingJG", Property::Text, u"" },

    { u"txtShenFenZheng", Property::Enabled, nullptr, true },
    { u"txtShenFenZheng", Property::Text, u"" },
    { u"cmdShenFenZhengChaXun", Property::Enabled, nullptr, true },
    { u"lblXingBie", Property::Text, u"性别：" },
    { u"lblChuSheng", Property::Text, u"出生日期：" },
    { u"lblSFZSuoZai", Property::Text, u"发证地：" },
};

// Results and status labels of the nine panels that the reset leaves as they are.
const char16_t* const keptTexts[] = {
    u"txtIPJG",    u"lblIPZZ",   u"txtZhuJiJG",   u"lblZhuJi", u"lblRenQi", u"lblZG",
    u"lblRenQiZZ", u"lblShouLu", u"lblLiuXingZZ", u"lblSFZZZ", u"Text2",    u"Text3",
};

// The inputs and query buttons of the six panels outside the reset.
const char16_t* const otherInputs[] = { u"txtICP", u"Text4", u"txtMXName", u"txtUS", u"txtGM", u"txtTB" };
const char16_t* const otherButtons[] = { u"Command6", u"Command9", u"cmdMXCX", u"cmdUS", u"cmdGMCX", u"cmdTBCX" };

const QString dirty = QStringLiteral("上次的结果 1.2.3.4");

class ResetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<Form1>(seams.context);
        window->show();
        ASSERT_TRUE(test::waitUntil([&] { return window->isVisible(); }));
    }

    QWidget* find(const char16_t* name) const
    {
        auto* widget = window->findChild<QWidget*>(str(name));
        EXPECT_NE(widget, nullptr) << QString::fromUtf16(name).toStdString();
        return widget;
    }

    void click(const char16_t* name) { QTest::mouseClick(qobject_cast<QPushButton*>(find(name)), Qt::LeftButton); }

    // Every panel as a finished or failed lookup leaves it: texts written, controls disabled,
    // the IP warning shown.
    void fillEverything()
    {
        for (const Setting& setting : resetSettings) {
            QWidget* widget = find(setting.control);
            ASSERT_NE(widget, nullptr);
            switch (setting.property) {
            case Property::Text:
                setShownText(widget, dirty);
                break;
            case Property::Enabled:
                widget->setEnabled(false);
                break;
            case Property::Visible:
                widget->setVisible(true);
                break;
            }
        }
        for (const char16_t* name : keptTexts)
            setShownText(find(name), dirty);
        find(u"cmdTelChaXun")->setEnabled(false);
        for (const char16_t* name : otherInputs) {
            setShownText(find(name), dirty);
            find(name)->setEnabled(false);
        }
        for (const char16_t* name : otherButtons)
            find(name)->setEnabled(false);
    }

    void expectUntouched()
    {
        for (const char16_t* name : keptTexts)
            EXPECT_EQ(shownText(find(name)), dirty) << QString::fromUtf16(name).toStdString();
        EXPECT_FALSE(find(u"cmdTelChaXun")->isEnabled());
        for (const char16_t* name : otherInputs) {
            EXPECT_EQ(shownText(find(name)), dirty) << QString::fromUtf16(name).toStdString();
            EXPECT_FALSE(find(name)->isEnabled()) << QString::fromUtf16(name).toStdString();
        }
        for (const char16_t* name : otherButtons)
            EXPECT_FALSE(find(name)->isEnabled()) << QString::fromUtf16(name).toStdString();
    }

    test::TestSeams seams;
    std::unique_ptr<Form1> window;
};

TEST_F(ResetTest, EveryPanelSwitchReturnsTheNinePanelsToTheirIdleLook)
{
    struct Switch
    {
        const char16_t* group;
        const char16_t* tool;
    };
    // A panel of the reset set and two outside it, one in each group.
    const Switch switches[]
        = { { u"cmdChuJi", u"cmdIP" }, { u"cmdZhongJi", u"Command12" }, { u"cmdGaoji", u"cmdICP" } };
    for (const Switch& change : switches) {
        SCOPED_TRACE(QString::fromUtf16(change.tool).toStdString());
        click(change.group);
        fillEverything();
        click(change.tool);

        for (const Setting& setting : resetSettings) {
            QWidget* widget = find(setting.control);
            const std::string name = QString::fromUtf16(setting.control).toStdString();
            switch (setting.property) {
            case Property::Text:
                EXPECT_EQ(shownText(widget), str(setting.text)) << name;
                break;
            case Property::Enabled:
                EXPECT_EQ(widget->isEnabled(), setting.flag) << name;
                break;
            case Property::Visible:
                EXPECT_EQ(!widget->isHidden(), setting.flag) << name;
                break;
            }
        }
        expectUntouched();
    }
}

TEST_F(ResetTest, SameButtonTwiceClearsTheTypedInputAgain)
{
    click(u"cmdShouJi");
    QTest::keyClicks(find(u"txtShouJi"), QStringLiteral("13800138000"));
    ASSERT_EQ(shownText(find(u"txtShouJi")), QStringLiteral("13800138000"));
    click(u"cmdShouJi");
    EXPECT_EQ(shownText(find(u"txtShouJi")), QString());
    EXPECT_TRUE(find(u"frmShouJi")->isVisible());
}

// Group buttons and link tools do not reset: every panel keeps what it shows.
TEST_F(ResetTest, GroupButtonsAndLinkToolsResetNothing)
{
    fillEverything();
    for (const char16_t* name : { u"mnuFileSafe", u"Command11", u"cmdChuJi", u"cmdZhongJi", u"cmdGaoji" }) {
        if (!find(name)->isVisible())
            click(u"cmdChuJi");
        click(name);
    }
    for (const Setting& setting : resetSettings) {
        QWidget* widget = find(setting.control);
        const std::string name = QString::fromUtf16(setting.control).toStdString();
        switch (setting.property) {
        case Property::Text:
            EXPECT_EQ(shownText(widget), dirty) << name;
            break;
        case Property::Enabled:
            EXPECT_FALSE(widget->isEnabled()) << name;
            break;
        case Property::Visible:
            EXPECT_FALSE(widget->isHidden()) << name;
            break;
        }
    }
    expectUntouched();
}

} // namespace
