#include "support/fixtureserver.h"
#include "support/recorders.h"
#include "support/recordingfetch.h"

#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

const QString failureBox = QStringLiteral("身份证查询失败！错误原因：\r"
                                          "1.公安部服务器繁忙或故障检修，请稍后再试！\r"
                                          "2.VeldrinXMLhttp组件丢失，请重新下载！\r"
                                          "3.网络不稳定或不通畅，请退出占用大量网络资源的程序！\r"
                                          "4.输入的身份证不合法，请检查后重新输入！");
const QString refusalBox = QStringLiteral("请输入正确的18位身份证号！错误原因：\r"
                                          "1.身份证位数不是18位，请检查后重新输入！\r"
                                          "2.身份证前17位不是纯数字，请检查后重新输入！");
const QString fakeBox = QStringLiteral("这个身份证号码是假的！");

// The issuing place ends seven characters before the link text that follows it.
QString placePage(const QString& place)
{
    return QStringLiteral("身份证号码查询结果\r\n发 证 地：") + place
        + QStringLiteral("\r\n 查询： 点击这里查询验证身份证号码及照片的真实资料\r\n");
}

class IdCardLookup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fetch.install(seams.context);
        seams.dialogs.watched = built.panel.get();
    }

    QLineEdit* input() const { return built.control<QLineEdit>(u"txtShenFenZheng"); }
    QPushButton* button() const { return built.control<QPushButton>(u"cmdShenFenZhengChaXun"); }
    QString shown(const char16_t* name) const { return built.control<QLabel>(name)->text(); }
    QString urlFor(const QString& number) const
    {
        return seams.context.services[Service::IdCard].url(u"/idsearch/index.asp?action=idcard&userid=" + number);
    }
    void query(const QString& number)
    {
        input()->setText(number);
        QTest::mouseClick(button(), Qt::LeftButton);
    }

    TestSeams seams;
    RecordingFetch fetch;
    BuiltPanel built = buildPanel(QStringLiteral("frmShenFenZheng"), seams.context);
};

TEST_F(IdCardLookup, TheCheckCharacterDecidesBeforeAnyRequest)
{
    struct Row
    {
        const char16_t* typed;
        const QString* box; // none: the number is genuine and looked up
        const char16_t* left; // the input afterwards
        const char16_t* sex;
    };
    const Row rows[] = {
        { u"11010519491231002X", nullptr, u"11010519491231002X", u"性别：女" },
        // A lower-case x meets an expected X, and the input shows it upper-cased.
        { u"11010519491231002x", nullptr, u"11010519491231002X", u"性别：女" },
        { u"110105194912310011", nullptr, u"110105194912310011", u"性别：男" },
        { u"110105194912310012", &fakeBox, u"110105194912310012", u"性别：" },
        { u"110105194912310021", &fakeBox, u"110105194912310021", u"性别：" }, // X expected
        { u"11010519491231001X", &fakeBox, u"11010519491231001X", u"性别：" }, // a digit expected
        { u"11010519491231001x", &fakeBox, u"11010519491231001X", u"性别：" },
        { u"11010519491231001A", &failureBox, u"11010519491231001A", u"性别：" },
        // Only ASCII letters are upper-cased; every other last character is compared as typed.
        { u"11010519491231002ß", &fakeBox, u"11010519491231002ß", u"性别：" },
        { u"11010519491231002ｘ", &fakeBox, u"11010519491231002ｘ", u"性别：" },
        { u"11010519491231001ß", &failureBox, u"11010519491231001ß", u"性别：" },
        // An "X" among the first 17 and an empty box are no number: a failure, not a refusal.
        { u"1101051949123100X1", &failureBox, u"1101051949123100X1", u"性别：上次" },
        { u"", &failureBox, u"", u"性别：上次" },
        // Fifteen digits make a whole number of the wrong length.
        { u"110105491231002", &refusalBox, u"", u"性别：上次" },
        { u"1101051949123100211", &refusalBox, u"", u"性别：上次" },
    };
    for (const Row& row : rows) {
        const std::string label = str(row.typed).toStdString();
        const QString upper = str(row.left);
        fetch.setPage(urlFor(upper), placePage(QStringLiteral("北京市西城区")));
        seams.dialogs.boxes.clear();
        const qsizetype fetchesBefore = fetch.urls().size();
        built.control<QLabel>(u"lblXingBie")->setText(QStringLiteral("性别：上次"));

        input()->setText(str(row.typed));
        input()->setFocus();
        QTest::keyClick(input(), Qt::Key_Return);

        EXPECT_EQ(input()->text(), str(row.left)) << label;
        EXPECT_EQ(fetch.urls().size() - fetchesBefore, row.box ? 0 : 1) << label;
        if (!row.box) {
            EXPECT_EQ(fetch.urls().last(), urlFor(upper)) << label;
        }
        EXPECT_EQ(shown(u"lblXingBie"), str(row.sex)) << label;
        ASSERT_EQ(seams.dialogs.boxes.size(), row.box ? 1 : 0) << label;
        if (row.box) {
            const ShownBox& box = seams.dialogs.boxes.first();
            EXPECT_EQ(box.text, *row.box) << label;
            EXPECT_EQ(box.style, MsgCritical) << label;
            EXPECT_EQ(box.title, row.box == &fakeBox ? QStringLiteral("假的身份证") : QStringLiteral("错误")) << label;
            EXPECT_TRUE(box.seen(u"txtShenFenZheng").enabled) << label;
        }
        EXPECT_TRUE(input()->isEnabled()) << label;
        EXPECT_TRUE(button()->isEnabled()) << label;
    }
}

TEST_F(IdCardLookup, SexBirthDateAndIssuingPlace)
{
    struct Row
    {
        const char16_t* number;
        const char16_t* sex;
        const char16_t* birth;
    };
    const Row rows[] = {
        { u"11010519491231002X", u"性别：女", u"出生日期：1949年12月31日" },
        { u"440301199001011234", u"性别：男", u"出生日期：1990年01月01日" },
        // The date is shown as the number gives it.
        { u"110105194913310013", u"性别：男", u"出生日期：1949年13月31日" },
    };
    for (const Row& row : rows) {
        const std::string label = str(row.number).toStdString();
        fetch.setPage(urlFor(str(row.number)), placePage(QStringLiteral("广东省深圳市<b>")));
        built.control<QLabel>(u"lblSFZZZ")->setText(QStringLiteral("上次"));

        query(str(row.number));

        EXPECT_TRUE(seams.dialogs.boxes.isEmpty()) << label;
        EXPECT_EQ(shown(u"lblXingBie"), str(row.sex)) << label;
        EXPECT_EQ(shown(u"lblChuSheng"), str(row.birth)) << label;
        EXPECT_EQ(shown(u"lblSFZSuoZai"), QStringLiteral("发证地：广东省深圳市<b>")) << label;
        EXPECT_EQ(built.control<QLabel>(u"lblSFZSuoZai")->textFormat(), Qt::PlainText);
        EXPECT_EQ(shown(u"lblSFZZZ"), QString()) << label;
    }
}

TEST_F(IdCardLookup, AFailedFetchOrCutLeavesTheSexShownAndTheDateAtItsCaption)
{
    const std::pair<const char16_t*, QString> rows[] = {
        { u"fetch refused", QString() },
        { u"no start marker", QStringLiteral("北京市 1234567点击这里查询验证身份证号码及照片的真实资料") },
        { u"no end marker", QStringLiteral("发 证 地：北京市西城区") },
    };
    for (const auto& [name, page] : rows) {
        const std::string label = str(name).toStdString();
        const QString number = QStringLiteral("11010519491231002X");
        if (page.isNull())
            fetch.setFailure(urlFor(number));
        else
            fetch.setPage(urlFor(number), page);
        seams.dialogs.boxes.clear();
        built.control<QLabel>(u"lblChuSheng")->setText(QStringLiteral("出生日期：上次"));

        query(number);

        ASSERT_EQ(seams.dialogs.boxes.size(), 1) << label;
        const ShownBox& box = seams.dialogs.boxes.first();
        EXPECT_EQ(box.text, failureBox) << label;
        // The box comes first; the panel is enabled once it is closed.
        EXPECT_FALSE(box.seen(u"txtShenFenZheng").enabled) << label;
        EXPECT_FALSE(box.seen(u"cmdShenFenZhengChaXun").enabled) << label;
        EXPECT_EQ(shown(u"lblXingBie"), QStringLiteral("性别：女")) << label;
        EXPECT_EQ(shown(u"lblChuSheng"), QStringLiteral("出生日期：")) << label;
        EXPECT_EQ(shown(u"lblSFZSuoZai"), QStringLiteral("发证地：")) << label;
        EXPECT_EQ(input()->text(), number) << label;
        EXPECT_TRUE(input()->isEnabled()) << label;
        EXPECT_TRUE(button()->isEnabled()) << label;
    }
}

TEST(IdCardLookupEndToEnd, TheIssuingPlaceFromTheServicesPage)
{
    FixtureServer server;
    server.setGbkPage(QStringLiteral("/idsearch/index.asp"),
                      QStringLiteral("<html><body><p>发 证 地：北京市西城区</p>"
                                     "<p>更多信息 点击这里查询验证身份证号码及照片的真实资料</p></body></html>"));
    TestSeams seams(server.host(), server.port());
    BuiltPanel built = buildPanel(QStringLiteral("frmShenFenZheng"), seams.context);
    built.control<QLineEdit>(u"txtShenFenZheng")->setText(QStringLiteral("11010519491231002x"));
    QTest::mouseClick(built.control<QPushButton>(u"cmdShenFenZhengChaXun"), Qt::LeftButton);

    EXPECT_EQ(server.lastRequest().target,
              QStringLiteral("/idsearch/index.asp?action=idcard&userid=11010519491231002X"));
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    EXPECT_TRUE(built.control<QLabel>(u"lblSFZSuoZai")->text().startsWith(QStringLiteral("发证地：北京市西城区")))
        << built.control<QLabel>(u"lblSFZSuoZai")->text().toStdString();
    EXPECT_EQ(built.control<QLabel>(u"lblChuSheng")->text(), QStringLiteral("出生日期：1949年12月31日"));
}

} // namespace
