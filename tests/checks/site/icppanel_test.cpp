#include "checks/site/errorbox.h"
#include "platform/convert.h"
#include "support/enablelog.h"
#include "support/fakepageloader.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"

#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

const QString failureText
    = QStringLiteral("查询失败，请使用方法二查询！错误原因：\r1.服务器繁忙或维护检修，请稍后再试！\r"
                     "2.IE版本过低会IE浏览器被恶意修改，请重装IE6.0以上版本！");

struct RecordPanel
{
    TestSeams seams;
    FakeLoaderFactory loaders;
    BuiltPanel built;
    FakePageLoader* web = nullptr;
    QLineEdit* box = nullptr;
    QPushButton* button = nullptr;

    RecordPanel()
    {
        loaders.install(seams.context);
        built = buildPanel(QStringLiteral("frmICP"), seams.context);
        seams.dialogs.watched = built.panel.get();
        web = loaders.named(QStringLiteral("WebICP"));
        box = built.control<QLineEdit>(u"txtICP");
        button = built.control<QPushButton>(u"Command6");
    }
    void query(const QString& address)
    {
        box->setText(address);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QString shown(const char16_t* name) const { return built.control<QLabel>(name)->text(); }
    QString requestFor(const QString& address) const
    {
        return seams.context.services[Service::IcpLookup].url(u"/index.html?hostName=" + address);
    }
};

TEST(IcpPanel, RefusesAddressesShorterThanFourCharacters)
{
    RecordPanel p;
    p.query(QStringLiteral("x.c"));
    ASSERT_EQ(p.seams.dialogs.boxes.size(), 1);
    expectErrorBox(p.seams.dialogs.boxes[0],
                   QStringLiteral("请输入正确的网址！错误原因：\r1.网址输入错误，请检查后重新输入！"));
    EXPECT_TRUE(p.web->navigations.isEmpty());
    EXPECT_EQ(p.box->text(), QStringLiteral("x.c"));
    EXPECT_TRUE(p.box->isEnabled() && p.button->isEnabled());
    EXPECT_EQ(p.shown(u"Label25"), QStringLiteral("备案状态："));

    p.query(QStringLiteral("x.cn"));
    EXPECT_EQ(p.web->navigations, QStringList({ p.requestFor(QStringLiteral("x.cn")) }));
}

// Only a scheme and a "www." in front come off, so another domain is never asked for.
TEST(IcpPanel, TakesOffTheLeadingSchemeAndWwwOnly)
{
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        { u"http://www.x.com", u"x.com" }, { u"HTTP://WWW.x.com", u"x.com" },      { u"www.x.com", u"x.com" },
        { u"abcwww.com", u"abcwww.com" },  { u"x.com/http://", u"x.com/http://" },
    };
    for (const auto& [typed, sent] : cases) {
        SCOPED_TRACE(str(typed).toStdString());
        RecordPanel p;
        p.query(str(typed));
        EXPECT_EQ(p.box->text(), str(sent));
        EXPECT_EQ(p.web->navigations, QStringList({ p.requestFor(percentEncodeUserPart(str(sent))) }));
    }
}

TEST(IcpPanel, AsksTheRecordSiteOnPort8080)
{
    RecordPanel p;
    p.seams.context.services = ServiceTable::defaults();
    p.query(QStringLiteral("x.com"));
    ASSERT_EQ(p.web->navigations.size(), 1);
    EXPECT_TRUE(p.web->navigations[0].endsWith(QStringLiteral(":8080/index.html?hostName=x.com")))
        << p.web->navigations[0].toStdString();
}

struct PageCase
{
    const char16_t* name;
    const char16_t* page; // null: the load fails
    const char16_t* state;
    const char16_t* status;
    bool failed;
};

TEST(IcpPanel, TheEarliestStatePhraseDecides)
{
    const PageCase cases[] = {
        { u"recorded before not recorded", u"该网站已备案。\r\n其他网站未备案", u"备案状态：已备案", u"准备就绪",
          false },
        { u"not recorded", u"查询结果：未备案", u"备案状态：未备案", u"准备就绪", false },
        { u"no record information", u"目前暂无该域名备案信息\r\n", u"备案状态：未知，请用方法二进行精确查询！",
          u"准备就绪", false },
        { u"no phrase", u"服务器正忙", u"备案状态：未知", u"查询失败", true },
        { u"load fails", nullptr, u"备案状态：未知", u"查询失败", true },
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(str(c.name).toStdString());
        RecordPanel p;
        EnableLog log({ p.button, p.box });
        p.query(QStringLiteral("x.com"));
        EXPECT_FALSE(p.box->isEnabled() || p.button->isEnabled());
        EXPECT_EQ(p.shown(u"Label25"), QStringLiteral("备案状态：获取中..."));
        EXPECT_EQ(p.shown(u"Label30"), QStringLiteral("正在连接服务器..."));
        p.web->fireProgress(0, 100);
        EXPECT_EQ(p.shown(u"Label30"), QStringLiteral("正在查询该网站的备案信息..."));

        if (c.page)
            p.web->completeWith(str(c.page));
        else
            p.web->failWith(QStringLiteral("refused"));

        EXPECT_EQ(p.shown(u"Label25"), str(c.state));
        EXPECT_EQ(p.shown(u"Label30"), str(c.status));
        EXPECT_TRUE(p.box->isEnabled() && p.button->isEnabled());
        // Every way out gives the button back first, then the box, as they were disabled.
        EXPECT_EQ(log.changes,
                  QStringList({ QStringLiteral("Command6-"), QStringLiteral("txtICP-"), QStringLiteral("Command6+"),
                                QStringLiteral("txtICP+") }));
        ASSERT_EQ(p.seams.dialogs.boxes.size(), c.failed ? 1 : 0);
        if (c.failed) {
            const ShownBox& box = p.seams.dialogs.boxes[0];
            expectErrorBox(box, failureText);
            EXPECT_TRUE(box.seen(u"txtICP").enabled && box.seen(u"Command6").enabled);
            EXPECT_EQ(box.seen(u"Label30").text, QStringLiteral("查询失败"));
        }
    }
}

TEST(IcpPanel, PageEventsNobodyAskedForChangeNothing)
{
    RecordPanel p;
    const QHash<QString, Look> atStart = looks(*p.built.panel);
    p.web->fireProgress(50, 100);
    p.web->completeWith(QStringLiteral("已备案"));
    EXPECT_TRUE(looks(*p.built.panel) == atStart);

    p.query(QStringLiteral("x.com"));
    p.web->completeWith(QStringLiteral("未备案"));
    const QHash<QString, Look> done = looks(*p.built.panel);
    // A frame of the same page completing later, and its progress, are not a second answer.
    p.web->completeWith(QStringLiteral("已备案"));
    p.web->fireProgress(100, 100);
    EXPECT_TRUE(looks(*p.built.panel) == done);
    EXPECT_EQ(p.shown(u"Label25"), QStringLiteral("备案状态：未备案"));
    EXPECT_TRUE(p.seams.dialogs.boxes.isEmpty());
}

TEST(IcpPanel, OpensTheRegistryPageThroughTheShell)
{
    RecordPanel p;
    QTest::mouseClick(p.built.control<QPushButton>(u"Command10"), Qt::LeftButton);
    EXPECT_EQ(p.seams.shell.targets,
              QStringList({ p.seams.context.services[Service::IcpRegistry].url(QStringLiteral("/CX/main.jsp")) }));
}

TEST(IcpPanel, AStalledPageEndsInTheFailurePath)
{
    FixtureServer server;
    server.setStall(QStringLiteral("/index.html"));
    TestSeams seams(server.host(), server.port());
    BuiltPanel built = buildPanel(QStringLiteral("frmICP"), seams.context);
    seams.dialogs.watched = built.panel.get();
    built.control<QLineEdit>(u"txtICP")->setText(QStringLiteral("x.com"));
    QTest::mouseClick(built.control<QPushButton>(u"Command6"), Qt::LeftButton);

    ASSERT_TRUE(waitUntil([&] { return !seams.dialogs.boxes.isEmpty(); }));
    EXPECT_EQ(seams.dialogs.boxes[0].text, failureText);
    EXPECT_EQ(built.control<QLabel>(u"Label30")->text(), QStringLiteral("查询失败"));
    EXPECT_EQ(built.control<QLabel>(u"Label25")->text(), QStringLiteral("备案状态：未知"));
    EXPECT_TRUE(built.control(u"txtICP")->isEnabled() && built.control(u"Command6")->isEnabled());
    EXPECT_EQ(server.lastRequest().target, QStringLiteral("/index.html?hostName=x.com"));
}

} // namespace
