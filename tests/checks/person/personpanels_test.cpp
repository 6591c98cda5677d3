#include "checks/person/mxpanel.h"
#include "checks/person/qqpanel.h"
#include "checks/person/shenfenzhengpanel.h"
#include "checks/person/shoujipanel.h"
#include "checks/person/telwzpanel.h"
#include "support/printers.h"
#include "support/recorders.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

// The five panels side by side in one window, as the main window holds them.
class PersonPanels : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (ToolPanel* panel : panels())
            QObject::connect(panel, &ToolPanel::queryHandlerStarted, &host,
                             [this](const QString& handler) { started.append(handler); });
        host.resize(600, 400);
        host.show();
        host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    }

    QList<ToolPanel*> panels() const { return { shouJi, shenFenZheng, telWz, qq, mx }; }

    template<typename W = QWidget> W* find(const char16_t* name) const
    {
        auto* widget = host.findChild<W*>(str(name));
        EXPECT_NE(widget, nullptr) << str(name).toStdString();
        return widget;
    }
    QLineEdit* box(const char16_t* name) const { return find<QLineEdit>(name); }

    TestSeams seams;
    QWidget host;
    ShouJiPanel* shouJi = new ShouJiPanel(seams.context, &host);
    ShenFenZhengPanel* shenFenZheng = new ShenFenZhengPanel(seams.context, &host);
    TelWzPanel* telWz = new TelWzPanel(seams.context, &host);
    QqPanel* qq = new QqPanel(seams.context, &host);
    MxPanel* mx = new MxPanel(seams.context, &host);
    QStringList started;
};

TEST_F(PersonPanels, PanelsOpenWithTheirIdleCaptionsAndEmptyBoxes)
{
    struct Row
    {
        const char16_t* control;
        const char16_t* shown;
    };
    const Row rows[] = {
        { u"frmShouJi", u"手机归属查询" },
        { u"txtShouJi", u"" },
        { u"cmdShouJiChaXun", u"查询" },
        { u"lblChengShi", u"归属：" },
        { u"lblQuHao", u"区号：" },
        { u"lblKaXing", u"卡型：" },
        { u"lblPost", u"邮编：" },
        { u"lblShouJiZZ", u"准备就绪" },
        { u"frmShenFenZheng", u"身份证校验" },
        { u"txtShenFenZheng", u"" },
        { u"cmdShenFenZhengChaXun", u"查询" },
        { u"lblXingBie", u"性别：" },
        { u"lblChuSheng", u"出生日期：" },
        { u"lblSFZSuoZai", u"发证地：" },
        { u"lblSFZZZ", u"" },
        { u"frmTelWZ", u"Email查所在地、电话查具体位置" },
        { u"txtTel", u"" },
        { u"cmdTelChaXun", u"查询" },
        { u"txtTelWZ", u"" },
        { u"Text2", u"" },
        { u"Text3", u"" },
        { u"Command5", u"查询" },
        { u"Command4", u"查询Email所在地" },
        { u"frmQQ", u"QQ在线查询" },
        { u"Text4", u"" },
        { u"Command9", u"查询" },
        { u"frmMX", u"明星知名度查询" },
        { u"txtMXName", u"" },
        { u"cmdMXCX", u"查询" },
    };
    for (const Row& row : rows) {
        const QWidget* widget = find(row.control);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(shownText(widget), str(row.shown)) << str(row.control).toStdString();
        EXPECT_TRUE(widget->isEnabled()) << str(row.control).toStdString();
        EXPECT_TRUE(widget->isVisible()) << str(row.control).toStdString();
    }
}

TEST_F(PersonPanels, FocusGoesToThePanelsInputBoxExceptForTheCelebrityPanel)
{
    const std::pair<const ToolPanel*, const char16_t*> rows[] = {
        { shouJi, u"txtShouJi" }, { shenFenZheng, u"txtShenFenZheng" }, { telWz, u"txtTel" }, { qq, u"Text4" },
        { mx, nullptr },
    };
    for (const auto& [panel, focus] : rows) {
        const QWidget* expected = focus ? find(focus) : nullptr;
        EXPECT_EQ(panel->focusBox(), expected) << panel->objectName().toStdString();
    }
}

TEST_F(PersonPanels, TypedCharactersAreKeptOrRefusedByTheBoxesList)
{
    struct Row
    {
        const char16_t* box;
        char16_t typed;
        bool kept;
    };
    const Row rows[] = {
        // Mobile number: digits only in practice; the ASCII "." and "," are refused here.
        { u"txtShouJi", u'1', true },
        { u"txtShouJi", u'0', true },
        { u"txtShouJi", u'a', false },
        { u"txtShouJi", u'Z', false },
        { u"txtShouJi", u'.', false },
        { u"txtShouJi", u',', false },
        { u"txtShouJi", u'？', false },
        { u"txtShouJi", u'，', false },
        { u"txtShouJi", u'。', false },
        { u"txtShouJi", u'/', false },
        { u"txtShouJi", u'*', false },
        { u"txtShouJi", u' ', false },
        { u"txtShouJi", u'?', true },
        { u"txtShouJi", u'-', true },
        { u"txtShouJi", u'中', true },
        // Identity card: x and X pass for the check character, every other letter is refused.
        { u"txtShenFenZheng", u'7', true },
        { u"txtShenFenZheng", u'x', true },
        { u"txtShenFenZheng", u'X', true },
        { u"txtShenFenZheng", u'a', false },
        { u"txtShenFenZheng", u'Y', false },
        { u"txtShenFenZheng", u'？', false },
        { u"txtShenFenZheng", u'。', false },
        { u"txtShenFenZheng", u'/', false },
        { u"txtShenFenZheng", u'*', false },
        { u"txtShenFenZheng", u'.', true },
        { u"txtShenFenZheng", u',', true },
        { u"txtShenFenZheng", u'?', true },
        // Directory number: letters refused, the hyphen of "010-12345678" passes.
        { u"txtTel", u'0', true },
        { u"txtTel", u'-', true },
        { u"txtTel", u'b', false },
        { u"txtTel", u'Q', false },
        { u"txtTel", u'x', false },
        { u"txtTel", u'.', true },
        { u"txtTel", u',', true },
        { u"txtTel", u'?', true },
        { u"txtTel", u'？', false },
        { u"txtTel", u'，', false },
        { u"txtTel", u'/', false },
        { u"txtTel", u'*', false },
        // Area code of the range search: the same list.
        { u"Text2", u'0', true },
        { u"Text2", u'c', false },
        { u"Text2", u'。', false },
        // Number of the range search: like the mobile number.
        { u"Text3", u'8', true },
        { u"Text3", u'.', false },
        { u"Text3", u',', false },
        { u"Text3", u'd', false },
        { u"Text3", u'，', false },
        { u"Text3", u'*', false },
        { u"Text3", u'?', true },
        // Messenger number: the double quote and the characters of "允许输入的字符" too.
        { u"Text4", u'1', true },
        { u"Text4", u'q', false },
        { u"Text4", u'"', false },
        { u"Text4", u'\'', false },
        { u"Text4", u'允', false },
        { u"Text4", u'许', false },
        { u"Text4", u'输', false },
        { u"Text4", u'入', false },
        { u"Text4", u'的', false },
        { u"Text4", u'字', false },
        { u"Text4", u'符', false },
        { u"Text4", u'？', false },
        { u"Text4", u'/', false },
        { u"Text4", u'*', false },
        { u"Text4", u'?', true },
        { u"Text4", u'.', true },
        { u"Text4", u',', true },
        { u"Text4", u'中', true },
        // The celebrity name box has no key handler: nothing is refused.
        { u"txtMXName", u'/', true },
        { u"txtMXName", u'？', true },
        { u"txtMXName", u'a', true },
    };
    for (const Row& row : rows) {
        QLineEdit* target = box(row.box);
        ASSERT_NE(target, nullptr);
        target->clear();
        target->setFocus();
        typeChar(target, QChar(row.typed));
        const QString expected = row.kept ? QString(QChar(row.typed)) : QString();
        EXPECT_EQ(target->text(), expected) << str(row.box).toStdString() << " typed U+" << std::hex << int(row.typed);
    }
    EXPECT_TRUE(started.isEmpty()) << "typing a character started " << started.join(u',').toStdString();
}

TEST_F(PersonPanels, BackspacePassesEveryFilter)
{
    for (const char16_t* name : { u"txtShouJi", u"txtShenFenZheng", u"txtTel", u"Text2", u"Text3", u"Text4" }) {
        QLineEdit* target = box(name);
        ASSERT_NE(target, nullptr);
        target->setText(QStringLiteral("12"));
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Backspace);
        EXPECT_EQ(target->text(), QStringLiteral("1")) << str(name).toStdString();
    }
}

TEST_F(PersonPanels, InputMethodTextIsJudgedLikeTypedKeys)
{
    struct Row
    {
        const char16_t* box;
        const char16_t* committed;
        const char16_t* arrives;
    };
    const Row rows[] = {
        { u"txtShouJi", u"a1。3", u"13" },
        { u"txtShenFenZheng", u"Y4x", u"4x" },
        { u"txtTel", u"我b-", u"我-" },
        { u"Text2", u"？0", u"0" },
        { u"Text3", u"，8", u"8" },
        { u"Text4", u"允5许", u"5" },
        { u"txtMXName", u"刘/德？", u"刘/德？" },
    };
    for (const Row& row : rows) {
        QLineEdit* target = box(row.box);
        ASSERT_NE(target, nullptr);
        target->clear();
        target->setFocus();
        QInputMethodEvent event;
        event.setCommitString(str(row.committed));
        QApplication::sendEvent(target, &event);
        EXPECT_EQ(target->text(), str(row.arrives)) << str(row.box).toStdString();
    }
}

TEST_F(PersonPanels, PastedAndProgramSetTextIsNotFiltered)
{
    const QString refused = QStringLiteral("a/？，允\"*");
    for (const char16_t* name : { u"txtShouJi", u"txtShenFenZheng", u"txtTel", u"Text2", u"Text3", u"Text4" }) {
        QLineEdit* target = box(name);
        ASSERT_NE(target, nullptr);
        target->setText(refused);
        EXPECT_EQ(target->text(), refused) << str(name).toStdString();

        target->clear();
        target->setFocus();
        pasteText(target, refused);
        EXPECT_EQ(target->text(), refused) << str(name).toStdString();
    }
}

TEST_F(PersonPanels, EnterRunsTheBoxsQueryAndStillReachesTheBox)
{
    struct Row
    {
        const char16_t* box;
        const char16_t* disabledButton; // disabled before Enter, or none
        const char16_t* handler; // expected to run, or none
        const char16_t* typed; // in the box before Enter
        const char16_t* left; // what the box holds afterwards: a refused number is emptied
    };
    const Row rows[] = {
        { u"txtShouJi", nullptr, u"cmdShouJiChaXun_Click", u"12345", u"" },
        { u"txtShouJi", u"cmdShouJiChaXun", u"cmdShouJiChaXun_Click", u"12345", u"" },
        { u"txtShenFenZheng", nullptr, u"cmdShenFenZhengChaXun_Click", u"12345", u"" },
        { u"txtTel", nullptr, u"cmdTelChaXun_Click", u"12345", u"" },
        // A reset during a pending directory lookup leaves the button disabled; Enter still runs.
        { u"txtTel", u"cmdTelChaXun", u"cmdTelChaXun_Click", u"12345", u"" },
        { u"Text2", nullptr, nullptr, u"12345", u"12345" },
        { u"Text3", nullptr, u"Command5_Click", u"12345", u"12345" },
        // A number the lookup refuses: a pending one would hold the box disabled, and a disabled
        // box takes no key.
        { u"Text4", nullptr, u"Command9_Click", u"1234", u"1234" },
        { u"Text4", u"Command9", nullptr, u"12345", u"12345" },
        { u"txtMXName", nullptr, u"cmdMXCX_Click", u"12345", u"12345" },
        { u"txtMXName", u"cmdMXCX", nullptr, u"12345", u"12345" },
    };
    for (const Row& row : rows) {
        const std::string label = str(row.box).toStdString() + (row.disabledButton ? " (button disabled)" : "");
        QLineEdit* target = box(row.box);
        ASSERT_NE(target, nullptr);
        QPushButton* button = row.disabledButton ? find<QPushButton>(row.disabledButton) : nullptr;
        if (button)
            button->setEnabled(false);
        target->setText(str(row.typed));
        target->setFocus();
        QSignalSpy reached(target, &QLineEdit::returnPressed);
        started.clear();

        QTest::keyClick(target, Qt::Key_Return);

        EXPECT_EQ(started, row.handler ? QStringList { str(row.handler) } : QStringList {}) << label;
        EXPECT_EQ(reached.count(), 1) << label;
        EXPECT_EQ(target->text(), str(row.left)) << label;
        if (button)
            button->setEnabled(true);
        // A lookup that loads its page ends (here: refused at once) before the next row.
        EXPECT_TRUE(waitUntil([&] { return target->isEnabled(); })) << label;
    }
}

TEST_F(PersonPanels, EnterInTheAreaCodeMovesOnToTheNumber)
{
    QLineEdit* areaCode = box(u"Text2");
    QLineEdit* number = box(u"Text3");
    areaCode->setFocus();
    QTest::keyClicks(areaCode, QStringLiteral("010"));
    QTest::keyClick(areaCode, Qt::Key_Return);

    EXPECT_EQ(QApplication::focusWidget(), number);
    EXPECT_EQ(areaCode->text(), QStringLiteral("010"));
    EXPECT_TRUE(started.isEmpty());
}

TEST_F(PersonPanels, QueryButtonsRunTheirHandlers)
{
    const std::pair<const char16_t*, const char16_t*> rows[] = {
        { u"cmdShouJiChaXun", u"cmdShouJiChaXun_Click" },
        { u"cmdShenFenZhengChaXun", u"cmdShenFenZhengChaXun_Click" },
        { u"cmdTelChaXun", u"cmdTelChaXun_Click" },
        { u"Command5", u"Command5_Click" },
        { u"Command4", u"Command4_Click" },
        { u"Command9", u"Command9_Click" },
        { u"cmdMXCX", u"cmdMXCX_Click" },
    };
    for (const auto& [name, handler] : rows) {
        started.clear();
        QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton);
        EXPECT_EQ(started, QStringList { str(handler) }) << str(name).toStdString();
    }
}

TEST_F(PersonPanels, ResetBringsBackTheIdleMobileNumberPanel)
{
    box(u"txtShouJi")->setText(QStringLiteral("13800138000"));
    box(u"txtShouJi")->setEnabled(false);
    find(u"cmdShouJiChaXun")->setEnabled(false);
    find<QLabel>(u"lblChengShi")->setText(QStringLiteral("归属：北京"));
    find<QLabel>(u"lblQuHao")->setText(QStringLiteral("区号：010"));
    find<QLabel>(u"lblKaXing")->setText(QStringLiteral("卡型：全球通"));
    find<QLabel>(u"lblPost")->setText(QStringLiteral("邮编：100000"));
    find<QLabel>(u"lblShouJiZZ")->setText(QStringLiteral("正在查询手机号归属地中..."));

    shouJi->resetPanel();

    EXPECT_EQ(box(u"txtShouJi")->text(), QString());
    EXPECT_TRUE(box(u"txtShouJi")->isEnabled());
    EXPECT_TRUE(find(u"cmdShouJiChaXun")->isEnabled());
    EXPECT_EQ(find<QLabel>(u"lblChengShi")->text(), QStringLiteral("归属："));
    EXPECT_EQ(find<QLabel>(u"lblQuHao")->text(), QStringLiteral("区号："));
    EXPECT_EQ(find<QLabel>(u"lblKaXing")->text(), QStringLiteral("卡型："));
    EXPECT_EQ(find<QLabel>(u"lblPost")->text(), QStringLiteral("邮编："));
    EXPECT_EQ(find<QLabel>(u"lblShouJiZZ")->text(), QStringLiteral("准备就绪"));
}

TEST_F(PersonPanels, ResetBringsBackTheIdleIdentityCardPanelButLeavesItsStatus)
{
    box(u"txtShenFenZheng")->setText(QStringLiteral("11010519491231002X"));
    box(u"txtShenFenZheng")->setEnabled(false);
    find(u"cmdShenFenZhengChaXun")->setEnabled(false);
    find<QLabel>(u"lblXingBie")->setText(QStringLiteral("性别：女"));
    find<QLabel>(u"lblChuSheng")->setText(QStringLiteral("出生日期：1949年12月31日"));
    find<QLabel>(u"lblSFZSuoZai")->setText(QStringLiteral("发证地：北京市朝阳区"));
    find<QLabel>(u"lblSFZZZ")->setText(QStringLiteral("正在查询中..."));

    shenFenZheng->resetPanel();

    EXPECT_EQ(box(u"txtShenFenZheng")->text(), QString());
    EXPECT_TRUE(box(u"txtShenFenZheng")->isEnabled());
    EXPECT_TRUE(find(u"cmdShenFenZhengChaXun")->isEnabled());
    EXPECT_EQ(find<QLabel>(u"lblXingBie")->text(), QStringLiteral("性别："));
    EXPECT_EQ(find<QLabel>(u"lblChuSheng")->text(), QStringLiteral("出生日期："));
    EXPECT_EQ(find<QLabel>(u"lblSFZSuoZai")->text(), QStringLiteral("发证地："));
    EXPECT_EQ(find<QLabel>(u"lblSFZZZ")->text(), QStringLiteral("正在查询中..."));
}

TEST_F(PersonPanels, ResetOfTheTelephonePanelLeavesItsQueryButtonAndTheRangeSearchAlone)
{
    box(u"txtTel")->setText(QStringLiteral("010-12345678"));
    box(u"txtTel")->setEnabled(false);
    find<QPlainTextEdit>(u"txtTelWZ")->setPlainText(QStringLiteral("正在连接服务器中..."));
    find(u"txtTelWZ")->setEnabled(false);
    find(u"cmdTelChaXun")->setEnabled(false);
    box(u"Text2")->setText(QStringLiteral("010"));
    box(u"Text3")->setText(QStringLiteral("88888888"));

    telWz->resetPanel();

    EXPECT_EQ(box(u"txtTel")->text(), QString());
    EXPECT_TRUE(box(u"txtTel")->isEnabled());
    EXPECT_EQ(find<QPlainTextEdit>(u"txtTelWZ")->toPlainText(), QString());
    EXPECT_TRUE(find(u"txtTelWZ")->isEnabled());
    EXPECT_FALSE(find(u"cmdTelChaXun")->isEnabled());
    EXPECT_EQ(box(u"Text2")->text(), QStringLiteral("010"));
    EXPECT_EQ(box(u"Text3")->text(), QStringLiteral("88888888"));
}

TEST_F(PersonPanels, MessengerAndCelebrityPanelsKeepEverythingAcrossAReset)
{
    box(u"Text4")->setText(QStringLiteral("10000"));
    box(u"Text4")->setEnabled(false);
    find(u"Command9")->setEnabled(false);
    box(u"txtMXName")->setText(QStringLiteral("刘德华"));
    find(u"cmdMXCX")->setEnabled(false);

    for (ToolPanel* panel : panels())
        panel->resetPanel();

    EXPECT_EQ(box(u"Text4")->text(), QStringLiteral("10000"));
    EXPECT_FALSE(box(u"Text4")->isEnabled());
    EXPECT_FALSE(find(u"Command9")->isEnabled());
    EXPECT_EQ(box(u"txtMXName")->text(), QStringLiteral("刘德华"));
    EXPECT_FALSE(find(u"cmdMXCX")->isEnabled());
}

// While the panel's lookup runs, a reset empties the input but keeps `kept` disabled; once
// the lookup has ended, the next reset enables them.
template<typename Panel>
void expectResetWaitsForRunningLookup(TestSeams& seams, const QString& input, const QStringList& kept)
{
    BusyPanel<Panel> panel(seams.context);
    auto* inputBox = panel.template findChild<QLineEdit*>(input);
    ASSERT_NE(inputBox, nullptr);
    for (const QString& name : kept)
        panel.template findChild<QWidget*>(name)->setEnabled(false);
    inputBox->setText(QStringLiteral("12345"));

    panel.startLookup();
    panel.resetPanel();
    EXPECT_EQ(inputBox->text(), QString()) << input.toStdString();
    for (const QString& name : kept)
        EXPECT_FALSE(panel.template findChild<QWidget*>(name)->isEnabled()) << name.toStdString() << " while running";

    panel.endLookup();
    panel.resetPanel();
    for (const QString& name : kept)
        EXPECT_TRUE(panel.template findChild<QWidget*>(name)->isEnabled()) << name.toStdString() << " after the end";
}

TEST_F(PersonPanels, ResetKeepsARunningLookupsInputAndButtonDisabled)
{
    expectResetWaitsForRunningLookup<ShouJiPanel>(seams, QStringLiteral("txtShouJi"),
                                                  { QStringLiteral("txtShouJi"), QStringLiteral("cmdShouJiChaXun") });
    expectResetWaitsForRunningLookup<ShenFenZhengPanel>(
        seams, QStringLiteral("txtShenFenZheng"),
        { QStringLiteral("txtShenFenZheng"), QStringLiteral("cmdShenFenZhengChaXun") });
    expectResetWaitsForRunningLookup<TelWzPanel>(seams, QStringLiteral("txtTel"),
                                                 { QStringLiteral("txtTel"), QStringLiteral("txtTelWZ") });
}

} // namespace
