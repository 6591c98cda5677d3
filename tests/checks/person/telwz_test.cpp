#include "support/fakeloaderpanel.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"

#include <QApplication>
#include <QStyle>
#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

const QColor blue(0, 0, 255);
const QColor red(255, 0, 0);
const QString failureBox = QStringLiteral("发生错误！错误原因：\r"
                                          "1.服务器维护检修或繁忙，请稍后再试！\r"
                                          "2.IE损坏，请重装IE6.0以上版本！");
const QString notFound = QStringLiteral("没有查找到该号码的地理位置。");

// The district follows its marker after one character and ends three characters before the
// last full-width asterisk.
const QString districtPage = QStringLiteral("电话：010-12345678\r\n该号段电话分部区域：\t北京市海淀区\r\n ＊\r\n");

class TelephoneLookup : public ::testing::Test, protected FakeLoaderPanel
{
protected:
    TelephoneLookup()
        : FakeLoaderPanel(QStringLiteral("frmTelWZ"), QStringLiteral("WebTel"))
    {
    }

    QLineEdit* box(const char16_t* name) const { return built.control<QLineEdit>(name); }
    QPlainTextEdit* result() const { return built.control<QPlainTextEdit>(u"txtTelWZ"); }
    QColor resultColour() const { return result()->palette().color(QPalette::Active, QPalette::Text); }
    QPushButton* button(const char16_t* name) const { return built.control<QPushButton>(name); }
    QString directoryUrl(const QString& number) const
    {
        return seams.context.services[Service::PhoneDirectory].url(u"/dh/114.aspx?w=" + number);
    }
    void query(const QString& number)
    {
        box(u"txtTel")->setText(number);
        QTest::mouseClick(button(u"cmdTelChaXun"), Qt::LeftButton);
    }
    bool idle() const
    {
        return box(u"txtTel")->isEnabled() && result()->isEnabled() && button(u"cmdTelChaXun")->isEnabled();
    }
};

TEST_F(TelephoneLookup, ShortNumbersAreRefusedAndLongerOnesLookedUpAsTyped)
{
    // The number as it goes out, or none when it is refused.
    const std::pair<const char16_t*, const char16_t*> rows[] = {
        { u"010-12345678", u"010-12345678" },
        { u"0101234567", nullptr },
        { u"12345678", nullptr },
        { u"", nullptr },
        { u"abcdefghijk", u"abcdefghijk" },
        { u"010 1234567#", u"010%201234567%23" },
    };
    for (const auto& [typed, sent] : rows) {
        const std::string label = str(typed).toStdString();
        seams.dialogs.boxes.clear();
        web->navigations.clear();

        query(str(typed));

        if (sent) {
            EXPECT_EQ(web->navigations, QStringList { directoryUrl(str(sent)) }) << label;
            EXPECT_TRUE(seams.dialogs.boxes.isEmpty()) << label;
            EXPECT_EQ(box(u"txtTel")->text(), str(typed)) << label;
            web->completeWith(districtPage);
        } else {
            EXPECT_TRUE(web->navigations.isEmpty()) << label;
            ASSERT_EQ(seams.dialogs.boxes.size(), 1) << label;
            EXPECT_EQ(seams.dialogs.boxes.first().text, QStringLiteral("电话号码格式为 010-12345678 ！")) << label;
            EXPECT_EQ(seams.dialogs.boxes.first().style, MsgCritical) << label;
            EXPECT_EQ(seams.dialogs.boxes.first().title, QStringLiteral("错误")) << label;
            EXPECT_EQ(box(u"txtTel")->text(), QString()) << label;
        }
        EXPECT_TRUE(idle()) << label;
    }
}

TEST_F(TelephoneLookup, WhileThePageLoadsTheFocusHasLeftAndThePanelWaitsInBlue)
{
    auto* text5 = new QLineEdit(built.panel.get());
    text5->setObjectName(QStringLiteral("Text5"));
    text5->show();
    built.panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(built.panel.get()));
    box(u"txtTel")->setFocus();

    query(QStringLiteral("010-12345678"));

    EXPECT_EQ(QApplication::focusWidget(), text5);
    EXPECT_EQ(result()->toPlainText(), QStringLiteral("正在连接服务器中..."));
    EXPECT_EQ(resultColour(), blue);
    EXPECT_FALSE(box(u"txtTel")->isEnabled());
    EXPECT_FALSE(result()->isEnabled());
    EXPECT_FALSE(button(u"cmdTelChaXun")->isEnabled());

    web->completeWith(districtPage);
    EXPECT_EQ(result()->toPlainText(), QStringLiteral("北京市海淀区"));
    EXPECT_EQ(resultColour(), blue);
    EXPECT_TRUE(idle());
    // The lookup put the focus there itself: it stays.
    EXPECT_EQ(QApplication::focusWidget(), text5);
}

TEST_F(TelephoneLookup, ThePageDecidesBetweenDistrictNotFoundAndFailure)
{
    struct Row
    {
        const char16_t* name;
        QString page; // null: the load fails
        QString shown;
        QColor colour;
        bool failureBox;
    };
    const Row rows[] = {
        { u"district", districtPage, QStringLiteral("北京市海淀区"), blue, false },
        { u"first busy marker last", QStringLiteral("提示：查询次数过于频繁，请稍后再试"), notFound, red, false },
        { u"second busy marker last", QStringLiteral("提示：查询次数过多，请稍后再试"), notFound, red, false },
        { u"busy before a district", QStringLiteral("查询次数过多，请稍后再试\r\n") + districtPage, notFound, red,
          false },
        { u"no district marker", QStringLiteral("北京市海淀区\r\n ＊"), QStringLiteral("发生错误。"), red, true },
        { u"no asterisk", QStringLiteral("该号段电话分部区域：\t北京市海淀区"), QStringLiteral("发生错误。"), red,
          true },
        { u"load failed", QString(), QStringLiteral("发生错误。"), red, true },
    };
    for (const Row& row : rows) {
        const std::string label = str(row.name).toStdString();
        seams.dialogs.boxes.clear();
        query(QStringLiteral("010-12345678"));
        if (row.page.isNull())
            web->failWith(QStringLiteral("refused"));
        else
            web->completeWith(row.page);

        EXPECT_EQ(result()->toPlainText(), row.shown) << label;
        EXPECT_EQ(resultColour(), row.colour) << label;
        EXPECT_TRUE(idle()) << label;
        ASSERT_EQ(seams.dialogs.boxes.size(), row.failureBox ? 1 : 0) << label;
        if (row.failureBox) {
            const ShownBox& shown = seams.dialogs.boxes.first();
            EXPECT_EQ(shown.text, failureBox) << label;
            EXPECT_EQ(shown.style, MsgCritical) << label;
            // Enabled, and the red text shown, before the box.
            EXPECT_TRUE(shown.seen(u"cmdTelChaXun").enabled) << label;
            EXPECT_TRUE(shown.seen(u"txtTel").enabled) << label;
            EXPECT_EQ(shown.seen(u"txtTelWZ").text, QStringLiteral("发生错误。")) << label;
        }
    }
}

TEST_F(TelephoneLookup, AResetWhileThePageLoadsKeepsThePanelWaitingForIt)
{
    query(QStringLiteral("010-12345678"));
    built.panel->resetPanel();

    EXPECT_EQ(box(u"txtTel")->text(), QString());
    EXPECT_EQ(result()->toPlainText(), QString());
    EXPECT_FALSE(box(u"txtTel")->isEnabled());
    EXPECT_FALSE(result()->isEnabled());
    EXPECT_FALSE(button(u"cmdTelChaXun")->isEnabled());

    web->completeWith(districtPage);
    EXPECT_EQ(result()->toPlainText(), QStringLiteral("北京市海淀区"));
    EXPECT_EQ(resultColour(), blue);
    EXPECT_TRUE(idle());

    // A later page event of the same navigation finds no lookup waiting.
    web->completeWith(QStringLiteral("查询次数过多，请稍后再试"));
    web->fireDocumentComplete();
    EXPECT_EQ(result()->toPlainText(), QStringLiteral("北京市海淀区"));
    EXPECT_EQ(resultColour(), blue);
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
}

TEST_F(TelephoneLookup, RangeSearchOpensTheSearchOrRefuses)
{
    const QString unreadable
        = QStringLiteral("请输入正确的电话号码和区号！错误原因：\r1.电话号码或区号输入错误，请检查后重新输入！");
    const QString notWhole
        = QStringLiteral("请输入正确的电话号码和区号！错误原因：\r1.区号和电话号码必须是数字！请检查后重新输入");
    struct Row
    {
        const char16_t* areaCode;
        const char16_t* number;
        const char16_t* range; // the search's range, or none when a box shows
        const QString* box;
    };
    const Row rows[] = {
        { u"010", u"88888888", u"010+88880000...88890000", nullptr },
        { u"010", u"1234", u"010+0000...10000", nullptr },
        { u"010", u"123456789012", u"010+123456780000...123456790000", nullptr },
        { u"010", u"123", nullptr, &unreadable },
        { u"", u"8888", nullptr, &unreadable },
        { u"10.5", u"88888888", nullptr, &notWhole },
    };
    for (const Row& row : rows) {
        const std::string label = str(row.areaCode).toStdString() + " / " + str(row.number).toStdString();
        seams.shell.targets.clear();
        seams.dialogs.boxes.clear();
        box(u"Text2")->setText(str(row.areaCode));
        box(u"Text3")->setText(str(row.number));
        box(u"Text3")->setFocus();

        QTest::keyClick(box(u"Text3"), Qt::Key_Return);

        if (row.range) {
            EXPECT_EQ(seams.shell.targets,
                      QStringList { seams.context.services[Service::SearchEngineA].url(
                          u"/search?num=50&hl=en&lr=&newwindow=-1&q=%E7%94%B5%E8%AF%9D%E5%8F%B7%E7%A0%81+"
                          + str(row.range)) })
                << label;
            EXPECT_TRUE(seams.dialogs.boxes.isEmpty()) << label;
        } else {
            EXPECT_TRUE(seams.shell.targets.isEmpty()) << label;
            ASSERT_EQ(seams.dialogs.boxes.size(), 1) << label;
            EXPECT_EQ(seams.dialogs.boxes.first().text, *row.box) << label;
            EXPECT_EQ(seams.dialogs.boxes.first().style, MsgCritical) << label;
            EXPECT_FALSE(seams.dialogs.boxes.first().seen(u"Command5").enabled) << label;
        }
        EXPECT_TRUE(button(u"Command5")->isEnabled()) << label;
    }
}

// The number of the format hint, typed into the range search's box, is shown whole: the box
// has not scrolled any of it out of sight, and its last digit ends inside the box.
TEST_F(TelephoneLookup, RangeSearchBoxShowsAnEightDigitNumberWhole)
{
    QLineEdit* number = box(u"Text3");
    number->setFocus();
    typeText(number, QStringLiteral("88888888"));
    // The box scrolls its text when it paints.
    const auto caretAt = [number](bool end) {
        end ? number->end(false) : number->home(false);
        number->repaint();
        return number->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    };
    const int start = caretAt(false);
    const int end = caretAt(true);
    EXPECT_NEAR(end - start, number->fontMetrics().horizontalAdvance(number->text()), 1);
    // The caret after the last digit stands inside the box's frame.
    EXPECT_LT(end, number->width() - 2 * number->style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
}

TEST_F(TelephoneLookup, EmailAdviceIsOneInformationBox)
{
    QTest::mouseClick(button(u"Command4"), Qt::LeftButton);

    ASSERT_EQ(seams.dialogs.boxes.size(), 1);
    const ShownBox& shown = seams.dialogs.boxes.first();
    EXPECT_EQ(shown.style, MsgInformation);
    EXPECT_EQ(shown.title, QStringLiteral("Email所在地查询方法"));
    EXPECT_EQ(shown.text.size(), 348);
    EXPECT_FALSE(shown.text.contains(u'\r'));
    EXPECT_TRUE(shown.text.startsWith(QStringLiteral("1、Outlook：在邮件上点击右键")));
    EXPECT_TRUE(shown.text.contains(QStringLiteral("IP地址。") + QString(12, u' ') + QStringLiteral("2、Foxmail：")));
    EXPECT_TRUE(
        shown.text.contains(QStringLiteral("IP地址。") + QString(15, u' ') + QStringLiteral("3、Web页面虚拟信箱：")));
    EXPECT_TRUE(shown.text.endsWith(QStringLiteral("或者X-originating-IP xx.xx.xx.xx就是对方的IP地址。")));
}

TEST(TelephoneLookupEndToEnd, AStalledDirectoryEndsInTheFailure)
{
    FixtureServer server;
    server.setStall(QStringLiteral("/dh/114.aspx"));
    TestSeams seams(server.host(), server.port());
    BuiltPanel built = buildPanel(QStringLiteral("frmTelWZ"), seams.context);
    seams.dialogs.watched = built.panel.get();
    auto* button = built.control<QPushButton>(u"cmdTelChaXun");
    built.control<QLineEdit>(u"txtTel")->setText(QStringLiteral("010-12345678"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(button->isEnabled());

    ASSERT_TRUE(waitUntil([&] { return button->isEnabled(); }));
    EXPECT_EQ(server.lastRequest().target, QStringLiteral("/dh/114.aspx?w=010-12345678"));
    auto* result = built.control<QPlainTextEdit>(u"txtTelWZ");
    EXPECT_EQ(result->toPlainText(), QStringLiteral("发生错误。"));
    EXPECT_EQ(result->palette().color(QPalette::Active, QPalette::Text), red);
    ASSERT_EQ(seams.dialogs.boxes.size(), 1);
    EXPECT_EQ(seams.dialogs.boxes.first().text, failureBox);
    EXPECT_TRUE(seams.dialogs.boxes.first().seen(u"txtTel").enabled);
    EXPECT_TRUE(result->isEnabled());
}

} // namespace
