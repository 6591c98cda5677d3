#include "shop/tbpanel.h"
#include "support/printers.h"
#include "support/recorders.h"

#include <QApplication>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

class ShopPanel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        panel.show();
        panel.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    }

    template<typename W = QLineEdit> W* find(const char16_t* name)
    {
        auto* widget = panel.findChild<W*>(str(name));
        EXPECT_NE(widget, nullptr) << str(name).toStdString();
        return widget;
    }

    TestSeams seams;
    TbPanel panel { seams.context };
    HandlerLog log { &panel };
    QStringList& started = log.handlers;
};

TEST_F(ShopPanel, OpensWithAnEmptySearchAndEmptyFigures)
{
    EXPECT_EQ(panel.title(), QStringLiteral("淘宝商户信用"));
    EXPECT_EQ(panel.focusBox(), nullptr);
    EXPECT_EQ(find<QLabel>(u"lblTB")->text(), QStringLiteral("店铺名称："));
    EXPECT_EQ(find(u"txtTB")->text(), QString());
    EXPECT_EQ(find<QPushButton>(u"cmdTBCX")->text(), QStringLiteral("查询"));
    EXPECT_EQ(find<QPushButton>(u"Command13")->text(), QStringLiteral("开始评估"));

    const std::tuple<const char16_t*, const char16_t*, const char16_t*, const char16_t*> figures[] = {
        { u"Label33", u"信用：", u"Text9", u"信用低扣分，信用高加分" },
        { u"Label37", u"最近半年好评：", u"Text7", u"好评低扣分，好评高加分" },
        { u"Label39", u"最近半年差评：", u"Text8", u"差评多扣分" },
    };
    for (const auto& [label, caption, box, hint] : figures) {
        EXPECT_EQ(find<QLabel>(label)->text(), str(caption));
        EXPECT_EQ(find(box)->text(), QString()) << str(box).toStdString();
        EXPECT_EQ(find(box)->toolTip(), str(hint)) << str(box).toStdString();
        EXPECT_TRUE(find(box)->isEnabled()) << str(box).toStdString();
    }
}

TEST_F(ShopPanel, OpensWithTheSearchStatusAndTheScoringControls)
{
    EXPECT_EQ(find<QLabel>(u"lblTBZZ")->text(), QStringLiteral("准备就绪"));
    EXPECT_EQ(find<QPushButton>(u"cmdTBURL")->text(), QStringLiteral("已为您查询到信用，点击查看结果"));
    EXPECT_FALSE(find<QPushButton>(u"cmdTBURL")->isVisible());
    EXPECT_NE(panel.WebTB(), nullptr);
    EXPECT_EQ(panel.findChild<PageLoader*>(QStringLiteral("WebTB")), panel.WebTB());

    const std::tuple<const char16_t*, const char16_t*, const char16_t*> checks[] = {
        { u"Check2", u"消费者保障服务(如交保证金请打钩)", u"不加入”消费者保障服务“扣分" },
        { u"Check3", u"违规行为(如有打钩)", u"有违规行为扣分" },
        { u"Check4", u"退款纠纷(如有打钩)", u"有退款纠纷扣分" },
        { u"Check5", u"投诉纠纷(如有打钩)", u"有投诉纠纷扣分" },
        { u"Check6", u"处罚情况(如有打钩)", u"有处罚情况扣分" },
        { u"Check7", u"宝贝与描述相符(比同行高打钩)", u"比同行低扣分" },
        { u"Check8", u"卖家服务态度(比同行高打钩)", u"卖家服务态度比同行差扣分" },
        { u"Check9", u"卖家发货速度(比同行高打钩)", u"发货速度比同行慢扣分" },
    };
    for (const auto& [name, caption, hint] : checks) {
        auto* box = find<QCheckBox>(name);
        EXPECT_EQ(box->text(), str(caption));
        EXPECT_EQ(box->toolTip(), str(hint));
        EXPECT_EQ(box->checkState(), Qt::Unchecked) << str(name).toStdString();
        // Every control fits inside the panel, clear of the others.
        EXPECT_TRUE(panel.rect().contains(box->geometry())) << str(name).toStdString();
        EXPECT_GE(box->width(), box->sizeHint().width()) << str(name).toStdString();
    }
    EXPECT_EQ(find<QLabel>(u"Label9")->text(), QStringLiteral("查询后将查询结果输入在下边，然后按“开始评估”进行评估"));
    EXPECT_EQ(find<QLabel>(u"Label38")->text(), QStringLiteral("专    家    建    议"));
    EXPECT_EQ(find<QPlainTextEdit>(u"Text10")->toPlainText(), QStringLiteral("暂无建议.\n"));

    const QList<QWidget*> controls = panel.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (const QWidget* a : controls) {
        EXPECT_TRUE(panel.rect().contains(a->geometry())) << a->objectName().toStdString();
        for (const QWidget* b : controls) {
            if (a < b) {
                EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                    << a->objectName().toStdString() << " / " << b->objectName().toStdString();
            }
        }
    }
}

TEST_F(ShopPanel, EmptyFiguresAreRefusedInTheirOrder)
{
    struct Row
    {
        const char16_t* credit;
        const char16_t* good;
        const char16_t* bad;
        const char16_t* message;
    };
    const Row rows[] = {
        { u"", u"", u"", u"您没有填写店铺信用，无法评估！" },
        { u"", u"100", u"1", u"您没有填写店铺信用，无法评估！" },
        { u"100", u"", u"", u"您没有填写最近半年好评，无法评估！" },
        { u"100", u"100", u"", u"您没有填写最近半年差评，无法评估！" },
    };
    for (const Row& row : rows) {
        find(u"Text9")->setText(str(row.credit));
        find(u"Text7")->setText(str(row.good));
        find(u"Text8")->setText(str(row.bad));
        seams.dialogs.boxes.clear();
        QTest::mouseClick(find<QPushButton>(u"Command13"), Qt::LeftButton);

        ASSERT_EQ(seams.dialogs.boxes.size(), 1);
        EXPECT_EQ(seams.dialogs.boxes[0].style, MsgCritical);
        EXPECT_EQ(seams.dialogs.boxes[0].title, QStringLiteral("Veldrin"));
        EXPECT_EQ(seams.dialogs.boxes[0].text, str(row.message));
        EXPECT_EQ(find<QPlainTextEdit>(u"Text10")->toPlainText(), QStringLiteral("暂无建议.\n"));
    }
}

TEST_F(ShopPanel, AssessmentReadsTheBoxesAndTheTicksAfresh)
{
    const QString bad = QStringLiteral("经过评估，该店总体水平太差，购物有较大风险，不建议在此店购物！");
    // Blanks only pass the empty test and read 0.
    find(u"Text9")->setText(QStringLiteral("  "));
    find(u"Text7")->setText(QStringLiteral(" "));
    find(u"Text8")->setText(QStringLiteral("\t"));
    QTest::mouseClick(find<QPushButton>(u"Command13"), Qt::LeftButton);
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    EXPECT_EQ(find<QPlainTextEdit>(u"Text10")->toPlainText(),
              u"经过检测该店存在的问题有：该店铺没加入消费者保障服务。该店铺信用太低。该店铺评分：26 分。" + bad);

    for (const char16_t* name : { u"Check2", u"Check7", u"Check8", u"Check9" })
        QTest::mouseClick(find<QCheckBox>(name), Qt::LeftButton, {}, QPoint(8, find<QCheckBox>(name)->height() / 2));
    find(u"Text9")->setText(QStringLiteral("3 000"));
    find(u"Text7")->setText(QStringLiteral("12000个"));
    find(u"Text8")->setText(QStringLiteral("10"));
    QTest::mouseClick(find<QPushButton>(u"Command13"), Qt::LeftButton);
    EXPECT_EQ(find<QPlainTextEdit>(u"Text10")->toPlainText(),
              QStringLiteral("经过检测该店存在的问题有：该店铺评分：92 分。经过评估，该店总体水平较好，可以购买！"));

    // A dimmed box meets neither rule: Check2 neither sets 70 nor adds its line.
    find<QCheckBox>(u"Check2")->setTristate(true);
    find<QCheckBox>(u"Check2")->setCheckState(Qt::PartiallyChecked);
    find<QCheckBox>(u"Check6")->setChecked(true);
    QTest::mouseClick(find<QPushButton>(u"Command13"), Qt::LeftButton);
    EXPECT_EQ(find<QPlainTextEdit>(u"Text10")->toPlainText(),
              QStringLiteral("经过检测该店存在的问题有：该店铺最近被处罚。该店铺评分：62 分。"
                             "经过评估，该店总体水平一般，购物需谨慎！"));
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    EXPECT_EQ(find(u"Text9")->text(), QStringLiteral("3 000"));
}

// The whole report shows without scrolling: the assessment's two worked examples and the
// longest report there is, every problem line and the longest verdict.
TEST_F(ShopPanel, ReportShowsWholeWithoutScrolling)
{
    struct Row
    {
        const char16_t* credit;
        const char16_t* good;
        const char16_t* bad;
        std::initializer_list<const char16_t*> ticked;
    };
    const Row rows[] = {
        { u"0", u"0", u"0", {} },
        { u"3000", u"12000", u"10", { u"Check2", u"Check7", u"Check8", u"Check9" } },
        { u"0", u"0", u"2000", { u"Check3", u"Check4", u"Check5", u"Check6" } },
    };
    auto* report = find<QPlainTextEdit>(u"Text10");
    for (const Row& row : rows) {
        for (QCheckBox* check : panel.findChildren<QCheckBox*>())
            check->setChecked(false);
        for (const char16_t* name : row.ticked)
            find<QCheckBox>(name)->setChecked(true);
        find(u"Text9")->setText(str(row.credit));
        find(u"Text7")->setText(str(row.good));
        find(u"Text8")->setText(str(row.bad));
        QTest::mouseClick(find<QPushButton>(u"Command13"), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(report->verticalScrollBar()->maximum(), 0) << report->toPlainText().toStdString();
    }
}

TEST_F(ShopPanel, NoBoxRefusesATypedCharacter)
{
    // Every kind of character that some other box refuses.
    const QString typed = QStringLiteral("？，。/*a Z.,\"'允~【");
    for (const char16_t* name : { u"txtTB", u"Text7", u"Text8", u"Text9" }) {
        QLineEdit* box = find(name);
        box->setFocus();
        typeText(box, typed);
        EXPECT_EQ(box->text(), typed) << str(name).toStdString();

        box->clear();
        QInputMethodEvent event;
        event.setCommitString(QStringLiteral("店铺？/"));
        QApplication::sendEvent(box, &event);
        EXPECT_EQ(box->text(), QStringLiteral("店铺？/")) << str(name).toStdString();

        QTest::keyClick(box, Qt::Key_Backspace);
        EXPECT_EQ(box->text(), QStringLiteral("店铺？")) << str(name).toStdString();
    }
    EXPECT_TRUE(started.isEmpty());
}

TEST_F(ShopPanel, EnterSearchesOnlyFromTheNameBoxAndOnlyWhileTheButtonIsEnabled)
{
    struct Row
    {
        const char16_t* box;
        bool buttonEnabled;
        const char16_t* handler;
    };
    const Row rows[] = {
        { u"txtTB", true, u"cmdTBCX_Click" }, { u"txtTB", false, nullptr }, { u"Text7", true, nullptr },
        { u"Text8", true, nullptr },          { u"Text9", true, nullptr },
    };
    for (const Row& row : rows) {
        const std::string label = str(row.box).toStdString() + (row.buttonEnabled ? "" : " (button disabled)");
        find<QPushButton>(u"cmdTBCX")->setEnabled(row.buttonEnabled);
        QLineEdit* box = find(row.box);
        box->setEnabled(true); // an earlier row's search left it disabled
        box->setText(QStringLiteral("100"));
        box->setFocus();
        QSignalSpy reached(box, &QLineEdit::returnPressed);
        started.clear();

        QTest::keyClick(box, Qt::Key_Return);

        EXPECT_EQ(started, row.handler ? QStringList { str(row.handler) } : QStringList {}) << label;
        // A search disables the name box inside its Enter action, so that key no longer reaches it.
        EXPECT_EQ(reached.count(), row.handler ? 0 : 1) << label;
        EXPECT_EQ(box->text(), QStringLiteral("100")) << label;
    }
}

TEST_F(ShopPanel, ButtonsRunTheirHandlers)
{
    for (const auto& [button, handler] :
         { std::pair { u"cmdTBCX", u"cmdTBCX_Click" }, std::pair { u"Command13", u"Command13_Click" } }) {
        started.clear();
        QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton);
        EXPECT_EQ(started, QStringList { str(handler) }) << str(button).toStdString();
    }
}

TEST_F(ShopPanel, KeepsItsInputsAndStatesAcrossAReset)
{
    find(u"txtTB")->setText(QStringLiteral("某某旗舰店"));
    find(u"txtTB")->setEnabled(false);
    find<QPushButton>(u"cmdTBCX")->setEnabled(false);
    find(u"Text9")->setText(QStringLiteral("1200"));
    find(u"Text7")->setText(QStringLiteral("98.5"));
    find(u"Text8")->setText(QStringLiteral("3"));

    panel.resetPanel();

    EXPECT_EQ(find(u"txtTB")->text(), QStringLiteral("某某旗舰店"));
    EXPECT_FALSE(find(u"txtTB")->isEnabled());
    EXPECT_FALSE(find<QPushButton>(u"cmdTBCX")->isEnabled());
    EXPECT_EQ(find(u"Text9")->text(), QStringLiteral("1200"));
    EXPECT_EQ(find(u"Text7")->text(), QStringLiteral("98.5"));
    EXPECT_EQ(find(u"Text8")->text(), QStringLiteral("3"));
}

} // namespace
