#include "support/fakeloaderpanel.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"

#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

const QString refusalBox
    = QStringLiteral("请输入正确QQ号！错误原因：\r1.输入QQ号应该在10000-9999999999之间，请检查后重新输入！");
const QString unrecognisedBox
    = QStringLiteral("您输入的QQ号不合法！错误原因：\r1.您输入的QQ号不合法，请检查后重新输入！");
const QString failureBox = QStringLiteral("出现错误！错误原因：\r1.QQ服务器繁忙或检修维护，请稍后再试！\r"
                                          "2.网络不稳定或繁忙，请退出占用大量网络资源的程序！");

class PresenceLookup : public ::testing::Test, protected FakeLoaderPanel
{
protected:
    PresenceLookup()
        : FakeLoaderPanel(QStringLiteral("frmQQ"), QStringLiteral("WebQQ"))
    {
        // The pictures live on another endpoint than the presence service.
        seams.context.services[Service::MessengerPicture]
            = Endpoint { QStringLiteral("http"), QStringLiteral("127.0.0.1"), 8 };
    }

    QLineEdit* input() const { return built.control<QLineEdit>(u"Text4"); }
    QPushButton* button() const { return built.control<QPushButton>(u"Command9"); }
    QString shown(const char16_t* name) const { return built.control<QLabel>(name)->text(); }
    QString presenceUrl(const QString& number) const
    {
        return seams.context.services[Service::MessengerPresence].url(u"/pa?p=1:" + number + u":1%20alt=test");
    }
    QString pictureUrl(const QString& path) const
    {
        return seams.context.services[Service::MessengerPicture].url(path);
    }
    void query(const QString& number)
    {
        input()->setText(number);
        QTest::mouseClick(button(), Qt::LeftButton);
    }
    bool idle() const { return input()->isEnabled() && button()->isEnabled(); }
};

TEST_F(PresenceLookup, FiveToTenDigitsAreAskedForWithoutLeadingZeros)
{
    // The number as the request carries it, or none when it is refused.
    const std::pair<const char16_t*, const char16_t*> rows[] = {
        { u"12345", u"12345" }, { u"9999999999", u"9999999999" },
        { u"000123", u"123" },  { u"00000", u"0" },
        { u"1234", nullptr },   { u"12345678901", nullptr },
        { u"", nullptr },       { u"-1234", nullptr },
        { u"1234.0", nullptr }, { u"1e+10", nullptr },
    };
    for (const auto& [typed, sent] : rows) {
        const std::string label = str(typed).toStdString();
        seams.dialogs.boxes.clear();
        web->navigations.clear();
        built.control<QLabel>(u"Label24")->setText(QStringLiteral("对方情况：在线"));
        built.control<QLabel>(u"Label26")->setText(QStringLiteral("上次"));

        query(str(typed));

        // Any query clears the last result first, a refused one too.
        EXPECT_EQ(shown(u"Label24"), QStringLiteral("对方情况：")) << label;
        if (sent) {
            EXPECT_EQ(web->navigations, QStringList { presenceUrl(str(sent)) }) << label;
            EXPECT_EQ(shown(u"Label26"), QStringLiteral("正在查询QQ在线状态...")) << label;
            EXPECT_FALSE(input()->isEnabled()) << label;
            EXPECT_FALSE(button()->isEnabled()) << label;
            EXPECT_TRUE(seams.dialogs.boxes.isEmpty()) << label;
            web->fireTitleChange(pictureUrl(QStringLiteral("/qq_online.gif")));
        } else {
            EXPECT_TRUE(web->navigations.isEmpty()) << label;
            ASSERT_EQ(seams.dialogs.boxes.size(), 1) << label;
            const ShownBox& box = seams.dialogs.boxes.first();
            EXPECT_EQ(box.text, refusalBox) << label;
            EXPECT_EQ(box.style, MsgCritical) << label;
            EXPECT_EQ(box.title, QStringLiteral("错误")) << label;
            EXPECT_FALSE(box.seen(u"Command9").enabled) << label;
            EXPECT_FALSE(box.seen(u"Text4").enabled) << label;
            EXPECT_EQ(shown(u"Label26"), QStringLiteral("上次")) << label;
        }
        EXPECT_TRUE(idle()) << label;
    }
}

TEST_F(PresenceLookup, TheAddressTheLoaderEndsOnDecides)
{
    struct Row
    {
        const char16_t* name;
        QString location; // null: the load fails for `failure`
        const char16_t* result; // none: a box
        const QString* box = nullptr;
        const char16_t* failure = nullptr;
    };
    const Row rows[] = {
        { u"online", pictureUrl(QStringLiteral("/qq_online.gif")), u"对方情况：在线" },
        { u"offline", pictureUrl(QStringLiteral("/qq_offline.gif")), u"对方情况：离线或隐身" },
        { u"another picture", pictureUrl(QStringLiteral("/qq_busy.gif")), nullptr, &unrecognisedBox },
        { u"online path on the presence host",
          seams.context.services[Service::MessengerPresence].url(QStringLiteral("/qq_online.gif")), nullptr,
          &unrecognisedBox },
        { u"online with a query", pictureUrl(QStringLiteral("/qq_online.gif?x=1")), nullptr, &unrecognisedBox },
        { u"still the request", presenceUrl(QStringLiteral("12345")), nullptr, &unrecognisedBox },
        // The service or the network failed: not the number's fault.
        { u"load refused", QString(), nullptr, &failureBox, u"refused" },
        { u"load timed out", QString(), nullptr, &failureBox, u"timed out" },
        { u"service answered 503", QString(), nullptr, &failureBox, u"HTTP 503" },
    };
    for (const Row& row : rows) {
        const std::string label = str(row.name).toStdString();
        seams.dialogs.boxes.clear();
        query(QStringLiteral("12345"));
        if (row.location.isNull())
            web->failWith(str(row.failure));
        else
            web->fireTitleChange(row.location);

        EXPECT_TRUE(idle()) << label;
        EXPECT_EQ(shown(u"Label26"), QStringLiteral("准备就绪")) << label;
        EXPECT_EQ(shown(u"Label24"), row.result ? str(row.result) : QStringLiteral("对方情况：")) << label;
        ASSERT_EQ(seams.dialogs.boxes.size(), row.box ? 1 : 0) << label;
        if (row.box) {
            const ShownBox& box = seams.dialogs.boxes.first();
            EXPECT_EQ(box.text, *row.box) << label;
            EXPECT_EQ(box.style, MsgCritical) << label;
            EXPECT_EQ(box.title, QStringLiteral("错误")) << label;
            EXPECT_TRUE(box.seen(u"Command9").enabled) << label;
            EXPECT_EQ(box.seen(u"Label26").text, QStringLiteral("准备就绪")) << label;
        }
    }
}

TEST_F(PresenceLookup, OnlyTheFirstTitleChangeAfterAQueryActs)
{
    web->fireTitleChange(pictureUrl(QStringLiteral("/qq_online.gif")));
    EXPECT_EQ(shown(u"Label24"), QStringLiteral("对方情况："));

    query(QStringLiteral("12345"));
    web->fireTitleChange(pictureUrl(QStringLiteral("/qq_offline.gif")));
    web->fireTitleChange(pictureUrl(QStringLiteral("/qq_online.gif")));
    web->fireTitleChange(QStringLiteral("about:blank"));

    EXPECT_EQ(shown(u"Label24"), QStringLiteral("对方情况：离线或隐身"));
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
}

TEST_F(PresenceLookup, EnterWhilePendingDoesNothing)
{
    input()->setFocus();
    typeText(input(), QStringLiteral("12345"));
    QTest::keyClick(input(), Qt::Key_Return);
    ASSERT_EQ(web->navigations.size(), 1);

    // The box and its button are disabled while the request is pending.
    QTest::keyClick(input(), Qt::Key_Return);
    QTest::mouseClick(button(), Qt::LeftButton);
    input()->setEnabled(true);
    QTest::keyClick(input(), Qt::Key_Return);
    EXPECT_EQ(web->navigations.size(), 1);
}

TEST(PresenceLookupEndToEnd, ThePresenceServiceSendsTheLoaderOnToAPicture)
{
    FixtureServer presence;
    FixtureServer pictures;
    pictures.setPage(QStringLiteral("/qq_offline.gif"), QByteArrayLiteral("GIF89a"), QByteArrayLiteral("image/gif"));
    presence.setRedirect(QStringLiteral("/pa"), pictures.url(QStringLiteral("/qq_offline.gif")));
    TestSeams seams(presence.host(), presence.port());
    seams.context.services[Service::MessengerPicture]
        = Endpoint { QStringLiteral("http"), pictures.host(), pictures.port() };
    BuiltPanel built = buildPanel(QStringLiteral("frmQQ"), seams.context);
    built.control<QLineEdit>(u"Text4")->setText(QStringLiteral("0012345"));
    QTest::mouseClick(built.control<QPushButton>(u"Command9"), Qt::LeftButton);

    ASSERT_TRUE(waitUntil([&] { return built.control<QPushButton>(u"Command9")->isEnabled(); }));
    EXPECT_EQ(presence.lastRequest().target, QStringLiteral("/pa?p=1:12345:1%20alt=test"));
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    EXPECT_EQ(built.control<QLabel>(u"Label24")->text(), QStringLiteral("对方情况：离线或隐身"));
}

} // namespace
