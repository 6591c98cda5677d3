#include "shop/tbpanel.h"
#include "support/printers.h"
#include "support/recorders.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
        box->setText(QStringLiteral("100"));
        box->setFocus();
        QSignalSpy reached(box, &QLineEdit::returnPressed);
        started.clear();

        QTest::keyClick(box, Qt::Key_Return);

        EXPECT_EQ(started, row.handler ? QStringList { str(row.handler) } : QStringList {}) << label;
        EXPECT_EQ(reached.count(), 1) << label;
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
