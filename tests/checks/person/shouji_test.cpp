#include "support/fixtureserver.h"
#include "support/recorders.h"
#include "support/recordingfetch.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

const QString failureBox = QStringLiteral("出现错误！错误原因：\r"
                                          "1.VeldrinXMLhttp组件丢失，请重新下载！\r"
                                          "2.服务器繁忙或故障检修，请稍后再试！\r"
                                          "3.网络不稳定或带宽低，请退出占用大量网络资源的程序！\r"
                                          "4.输入的手机号错误，请检查后重新输入！");
const QString refusalBox = QStringLiteral("您输入的手机号有误，请重新输入");

class MobileLookup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fetch.install(seams.context);
        seams.dialogs.watched = built.panel.get();
    }

    QLineEdit* input() const { return built.control<QLineEdit>(u"txtShouJi"); }
    QPushButton* button() const { return built.control<QPushButton>(u"cmdShouJiChaXun"); }
    QString label(const char16_t* name) const { return built.control<QLabel>(name)->text(); }
    QString urlFor(const QString& number) const
    {
        return seams.context.services[Service::MobileLocation].url(u"/search.asp?action=mobile&mobile=" + number);
    }
    void query(const QString& number)
    {
        input()->setText(number);
        QTest::mouseClick(button(), Qt::LeftButton);
    }
    QStringList results() const
    {
        return { label(u"lblChengShi"), label(u"lblQuHao"), label(u"lblKaXing"), label(u"lblPost") };
    }

    TestSeams seams;
    RecordingFetch fetch;
    BuiltPanel built = buildPanel(QStringLiteral("frmShouJi"), seams.context);
};

// Between the markers and their values stand line breaks, as the page's blocks give them,
// and the values come after more text than a line edit could hold.
const QString resultPage = QString(40000, u'x')
    + QStringLiteral("卡号归属地\r\n北京\r\n卡 类 型\r\n全球通\r\n区 号\r\n010\r\n邮 编\r\n100000 更详细的..\r\n");

TEST_F(MobileLookup, ElevenDigitsAreLookedUpAndTheFourValuesShownUntrimmed)
{
    fetch.setPage(urlFor(QStringLiteral("13800138000")), resultPage);
    built.control<QLabel>(u"lblChengShi")->setText(QStringLiteral("归属：上次"));

    fetch.hold();
    QHash<QString, Look> during;
    QTimer::singleShot(0, [&] {
        during = looks(*built.panel);
        fetch.release();
    });
    query(QStringLiteral("13800138000"));

    EXPECT_EQ(during.value(QStringLiteral("lblShouJiZZ")).text, QStringLiteral("正在查询手机号归属地中..."));
    EXPECT_EQ(during.value(QStringLiteral("lblChengShi")).text, QStringLiteral("归属："));
    EXPECT_FALSE(during.value(QStringLiteral("txtShouJi")).enabled);
    EXPECT_FALSE(during.value(QStringLiteral("cmdShouJiChaXun")).enabled);

    EXPECT_EQ(fetch.urls(), QStringList { urlFor(QStringLiteral("13800138000")) });
    // The home region and the area code leave out the one character before their end marker.
    EXPECT_EQ(results(),
              (QStringList { QStringLiteral("归属：\r\n北京\r"), QStringLiteral("区号：\r\n010\r"),
                             QStringLiteral("卡型：\r\n全球通\r\n"), QStringLiteral("邮编：\r\n100000") }));
    EXPECT_EQ(label(u"lblShouJiZZ"), QStringLiteral("准备就绪"));
    EXPECT_EQ(input()->text(), QStringLiteral("13800138000"));
    EXPECT_TRUE(input()->isEnabled());
    EXPECT_TRUE(button()->isEnabled());
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
}

TEST_F(MobileLookup, OnlyElevenCharactersOfAWholeNumberAreLookedUp)
{
    struct Row
    {
        const char16_t* typed;
        const QString* box; // the box shown, none for a lookup
        const char16_t* left; // the input afterwards
    };
    const Row rows[] = {
        { u"1380013800", &refusalBox, u"" },
        { u"138001380001", &refusalBox, u"" },
        { u"1380013800.5", &refusalBox, u"" },
        // No number at all is a failure of the lookup, at any length; the input is kept.
        { u"", &failureBox, u"" },
        { u"abcde", &failureBox, u"abcde" },
        { u"1380013800a", &failureBox, u"1380013800a" },
        { u"13800138000", nullptr, u"13800138000" },
    };
    fetch.setPage(urlFor(QStringLiteral("13800138000")), resultPage);
    for (const Row& row : rows) {
        const std::string label = str(row.typed).toStdString();
        seams.dialogs.boxes.clear();
        const qsizetype fetchesBefore = fetch.urls().size();

        input()->clear();
        input()->setFocus();
        pasteText(input(), str(row.typed));
        QTest::keyClick(input(), Qt::Key_Return);

        EXPECT_EQ(input()->text(), str(row.left)) << label;
        EXPECT_EQ(fetch.urls().size() - fetchesBefore, row.box ? 0 : 1) << label;
        ASSERT_EQ(seams.dialogs.boxes.size(), row.box ? 1 : 0) << label;
        if (row.box) {
            const ShownBox& box = seams.dialogs.boxes.first();
            EXPECT_EQ(box.text, *row.box) << label;
            EXPECT_EQ(box.style, MsgCritical) << label;
            EXPECT_EQ(box.title, QStringLiteral("错误")) << label;
            EXPECT_TRUE(box.seen(u"txtShouJi").enabled) << label;
            EXPECT_TRUE(box.seen(u"cmdShouJiChaXun").enabled) << label;
        }
    }
}

TEST_F(MobileLookup, AFailedCutEndsTheLookupWithTheValuesSoFar)
{
    struct Row
    {
        const char16_t* name;
        QString page; // none: the fetch fails
        QStringList shown;
    };
    const QStringList reset
        = { QStringLiteral("归属："), QStringLiteral("区号："), QStringLiteral("卡型："), QStringLiteral("邮编：") };
    const Row rows[] = {
        { u"fetch fails", QString(), reset },
        // "邮 编" before "区 号": the area code's count comes out negative.
        { u"markers out of order",
          QStringLiteral("卡号归属地 上海 卡 类 型 神州行 邮 编 200000 区 号 021 更详细的.."),
          { QStringLiteral("归属： 上海"), QStringLiteral("区号："), QStringLiteral("卡型："),
            QStringLiteral("邮编：") } },
        { u"no start marker", QStringLiteral("卡 类 型 神州行 区 号 021 邮 编 200000 更详细的.."), reset },
        { u"no end marker",
          QStringLiteral("卡号归属地 上海 卡 类 型 神州行 区 号 021 邮 编 200000"),
          { QStringLiteral("归属： 上海"), QStringLiteral("区号： 021"), QStringLiteral("卡型： 神州行 "),
            QStringLiteral("邮编：") } },
    };
    for (const Row& row : rows) {
        const std::string label = str(row.name).toStdString();
        const QString number = QStringLiteral("1390000000") + QString::number(&row - rows);
        if (row.page.isNull())
            fetch.setFailure(urlFor(number));
        else
            fetch.setPage(urlFor(number), row.page);
        seams.dialogs.boxes.clear();
        built.control<QLabel>(u"lblQuHao")->setText(QStringLiteral("区号：上次"));

        query(number);

        EXPECT_EQ(results(), row.shown) << label;
        ASSERT_EQ(seams.dialogs.boxes.size(), 1) << label;
        const ShownBox& box = seams.dialogs.boxes.first();
        EXPECT_EQ(box.text, failureBox) << label;
        EXPECT_EQ(box.style, MsgCritical) << label;
        // Enabled and idle before the box shows; the number stays for another try.
        EXPECT_TRUE(box.seen(u"txtShouJi").enabled) << label;
        EXPECT_TRUE(box.seen(u"cmdShouJiChaXun").enabled) << label;
        EXPECT_EQ(box.seen(u"lblShouJiZZ").text, QStringLiteral("准备就绪")) << label;
        EXPECT_EQ(input()->text(), number) << label;
    }
}

TEST_F(MobileLookup, EnterRunsTheQueryEvenWhileTheButtonIsDisabled)
{
    fetch.setPage(urlFor(QStringLiteral("13800138000")), resultPage);
    button()->setEnabled(false);
    input()->setText(QStringLiteral("13800138000"));
    input()->setFocus();
    QTest::keyClick(input(), Qt::Key_Return);

    EXPECT_EQ(fetch.urls().size(), 1);
    EXPECT_EQ(label(u"lblPost"), QStringLiteral("邮编：\r\n100000"));
}

TEST(MobileLookupEndToEnd, ThePageOfTheServiceOnItsOwnPort)
{
    EXPECT_EQ(ServiceTable::defaults()[Service::MobileLocation].port, 8080);

    FixtureServer server;
    server.setGbkPage(QStringLiteral("/search.asp"),
                      QStringLiteral("<html><body><table><tr><td>卡号归属地</td><td>广东 深圳</td></tr>"
                                     "<tr><td>卡 类 型</td><td>动感地带</td></tr><tr><td>区 号</td><td>0755</td></tr>"
                                     "<tr><td>邮 编</td><td>518000 更详细的..</td></tr></table></body></html>"));
    TestSeams seams(server.host(), server.port());
    BuiltPanel built = buildPanel(QStringLiteral("frmShouJi"), seams.context);
    built.control<QLineEdit>(u"txtShouJi")->setText(QStringLiteral("13912345678"));
    QTest::mouseClick(built.control<QPushButton>(u"cmdShouJiChaXun"), Qt::LeftButton);

    EXPECT_EQ(server.lastRequest().target, QStringLiteral("/search.asp?action=mobile&mobile=13912345678"));
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    EXPECT_TRUE(built.control<QLabel>(u"lblChengShi")->text().contains(QStringLiteral("广东")));
    EXPECT_TRUE(built.control<QLabel>(u"lblKaXing")->text().contains(QStringLiteral("动感地带")));
    EXPECT_TRUE(built.control<QLabel>(u"lblQuHao")->text().contains(QStringLiteral("0755")));
    EXPECT_TRUE(built.control<QLabel>(u"lblPost")->text().contains(QStringLiteral("518000")))
        << built.control<QLabel>(u"lblPost")->text().toStdString();
    EXPECT_EQ(built.control<QLabel>(u"lblShouJiZZ")->text(), QStringLiteral("准备就绪"));
}

} // namespace
