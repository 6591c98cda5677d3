#include "checks/site/errorbox.h"
#include "platform/convert.h"
#include "support/fakepageloader.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"
#include "support/recordingfetch.h"

#include <QCheckBox>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

const QString failureText = QStringLiteral("出现错误！错误原因：\rIE损坏，请重新安装IE6.0以上版本！\r"
                                           "2.服务器繁忙或维护检修，请稍后再试！\r"
                                           "3.网络繁忙不稳定，请退出大量占用网络资源的程序！");
const char16_t* const pictures[] = { u"imgSafe", u"imgNoSafe", u"imgNoKnow" };

struct SafetyPanel
{
    TestSeams seams;
    FakeLoaderFactory loaders;
    RecordingFetch fetch;
    BuiltPanel built;
    FakePageLoader* web = nullptr;
    QLineEdit* box = nullptr;

    SafetyPanel()
    {
        loaders.install(seams.context);
        fetch.install(seams.context);
        built = buildPanel(QStringLiteral("frmUSafe"), seams.context);
        seams.dialogs.watched = built.panel.get();
        web = loaders.named(QStringLiteral("WebUS"));
        box = built.control<QLineEdit>(u"txtUS");
    }
    void check(const QString& address)
    {
        box->setText(address);
        QTest::mouseClick(built.control<QPushButton>(u"cmdUS"), Qt::LeftButton);
    }
    QString request(const QString& address) const
    {
        return seams.context.services[Service::UrlReputationA].url(u"/aspx_2/search.aspx?kw=" + address);
    }
    QString status() const { return built.control<QLabel>(u"lblUS")->text(); }
    // The one verdict picture shown, or empty.
    QString shownPicture() const
    {
        QStringList shown;
        for (const char16_t* name : pictures) {
            if (built.control(name)->isVisible())
                shown << str(name);
        }
        return shown.join(u',');
    }
    QStringList ticked() const
    {
        QStringList names;
        for (int i = 1; i <= 6; ++i) {
            if (built.control<QCheckBox>(u"chkUS" + QString::number(i))->isChecked())
                names << u"chkUS" + QString::number(i);
        }
        return names;
    }
    bool checkEnabled() const { return box->isEnabled() && built.control(u"cmdUS")->isEnabled(); }
};

TEST(USafePanel, StartsWithNoVerdictShown)
{
    SafetyPanel p;
    EXPECT_EQ(p.shownPicture(), QString());
    for (const char16_t* name : pictures) {
        const QPixmap picture = p.built.control<QLabel>(name)->pixmap();
        EXPECT_EQ(picture.size(), QSize(82, 106)) << str(name).toStdString();
    }
    EXPECT_EQ(p.status(), QStringLiteral("准备就绪"));
    EXPECT_EQ(p.built.control<QLabel>(u"Label36")->text(), QStringLiteral("当前状态：未知"));
    EXPECT_EQ(p.built.control<QCheckBox>(u"chkUS2")->toolTip(),
              QStringLiteral("伪装成知名网站或制造假网站，骗取用户帐号信息、钱财等"));
}

TEST(USafePanel, RefusesFourCharactersAndKeepsTheLastVerdict)
{
    SafetyPanel p;
    p.built.control<QCheckBox>(u"chkUS1")->setChecked(true);
    p.built.control(u"imgSafe")->show();
    p.check(QStringLiteral("x.cn"));
    ASSERT_EQ(p.seams.dialogs.boxes.size(), 1);
    expectErrorBox(p.seams.dialogs.boxes[0], QStringLiteral("请输入完整正确的网址！"), MsgExclamation);
    EXPECT_TRUE(p.web->navigations.isEmpty());
    EXPECT_EQ(p.ticked(), QStringList({ QStringLiteral("chkUS1") }));
    EXPECT_EQ(p.shownPicture(), QStringLiteral("imgSafe"));
    EXPECT_TRUE(p.checkEnabled());

    // Five characters are checked, and the last verdict goes only then.
    p.check(QStringLiteral("x.com"));
    EXPECT_EQ(p.web->navigations, QStringList({ p.request(QStringLiteral("x.com")) }));
    EXPECT_TRUE(p.ticked().isEmpty());
    EXPECT_EQ(p.shownPicture(), QString());
    EXPECT_FALSE(p.checkEnabled());
    EXPECT_EQ(p.status(), QStringLiteral("正在连接服务器..."));
}

// "http://" and one trailing "/" come off, each only when present; the box shows what is sent.
TEST(USafePanel, SendsTheAddressWithoutSchemeAndTrailingSlash)
{
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        { u"http://x.com/", u"x.com" },       { u"http://x.com//", u"x.com/" },       { u"x.com/", u"x.com" },
        { u"HTTP://x.com", u"HTTP://x.com" }, { u"https://x.com", u"https://x.com" }, { u"http://", u"" },
        { u"x.com/a", u"x.com/a" },
    };
    for (const auto& [typed, sent] : cases) {
        SCOPED_TRACE(str(typed).toStdString());
        SafetyPanel p;
        p.check(str(typed));
        EXPECT_EQ(p.box->text(), str(sent));
        EXPECT_EQ(p.web->navigations, QStringList({ p.request(percentEncodeUserPart(str(sent))) }));
    }
}

struct VerdictCase
{
    const char16_t* name;
    const char16_t* page; // null: the load fails
    const char16_t* picture;
    QStringList ticked;
    bool failed;
};

TEST(USafePanel, TheVerdictAndTheNamedCategories)
{
    const VerdictCase cases[] = {
        { u"not rated before safe",
          u"未知，还未对此网站进行检测\r\n安全，未在该网站发现重大的安全问题。",
          u"imgNoKnow",
          {},
          false },
        { u"no result", u"没有任何结果", u"imgNoKnow", {}, false },
        { u"safe ends the check",
          u"安全，未在该网站发现重大的安全问题。\r\n恶意行为：带毒挂马\r\n恶意行为详情",
          u"imgSafe",
          {},
          false },
        { u"unsafe then safe",
          u"不安全，该网站存在恶意行为，不建议进行访问。\r\n安全，未在该网站发现重大的安全问题。\r\n"
          u"恶意行为：钓鱼或诈骗\r\n恶意行为详情",
          u"imgSafe",
          {},
          false },
        { u"unsafe with its categories",
          u"不安全，该网站存在恶意行为，不建议进行访问。\r\n恶意行为：钓鱼或诈骗、大量弹窗\r\n恶意行为详情：见下",
          u"imgNoSafe",
          { QStringLiteral("chkUS2"), QStringLiteral("chkUS5") },
          false },
        { u"names after the last details marker do not count",
          u"不安全，该网站存在恶意行为，不建议进行访问。恶意行为：带毒挂马 恶意行为详情 诱导链接 恶意行为详情 "
          u"不安全下载",
          u"imgNoSafe",
          { QStringLiteral("chkUS1"), QStringLiteral("chkUS6") },
          false },
        { u"the section starts at the last marker",
          u"恶意行为：恶意推广\r\n恶意行为：不安全下载\r\n恶意行为详情",
          u"",
          { QStringLiteral("chkUS4") },
          false },
        { u"no sentence, categories still read",
          u"恶意行为：诱导链接恶意行为详情",
          u"",
          { QStringLiteral("chkUS6") },
          false },
        { u"unsafe without a behaviour section",
          u"不安全，该网站存在恶意行为，不建议进行访问。",
          u"imgNoSafe",
          {},
          false },
        { u"behaviour marker without details",
          u"不安全，该网站存在恶意行为，不建议进行访问。恶意行为：带毒挂马",
          u"imgNoKnow",
          {},
          true },
        { u"load fails", nullptr, u"imgNoKnow", {}, true },
    };
    for (const VerdictCase& c : cases) {
        SCOPED_TRACE(str(c.name).toStdString());
        SafetyPanel p;
        p.check(QStringLiteral("x.com"));
        if (c.page)
            p.web->completeWith(str(c.page));
        else
            p.web->failWith(QStringLiteral("refused"));

        EXPECT_EQ(p.shownPicture(), str(c.picture));
        EXPECT_EQ(p.ticked(), c.ticked);
        EXPECT_EQ(p.status(), c.failed ? QStringLiteral("出错了") : QStringLiteral("查询完毕"));
        EXPECT_TRUE(p.checkEnabled());
        ASSERT_EQ(p.seams.dialogs.boxes.size(), c.failed ? 1 : 0);
        if (c.failed) {
            const ShownBox& box = p.seams.dialogs.boxes[0];
            expectErrorBox(box, failureText);
            EXPECT_TRUE(box.seen(u"txtUS").enabled && box.seen(u"cmdUS").enabled);
        }
    }
}

TEST(USafePanel, ProgressIsWrittenWheneverTheEventCarriesAMaximum)
{
    SafetyPanel p;
    p.web->fireProgress(10, 100);
    EXPECT_EQ(p.status(), QStringLiteral("正在查询网站安全信息..."));

    p.check(QStringLiteral("x.com"));
    p.web->fireProgress(0, 100);
    EXPECT_EQ(p.status(), QStringLiteral("正在查询网站安全信息..."));
    p.web->completeWith(QStringLiteral("没有任何结果"));
    EXPECT_EQ(p.status(), QStringLiteral("查询完毕"));
    p.web->fireProgress(0, 0);
    EXPECT_EQ(p.status(), QStringLiteral("查询完毕"));
    p.web->fireProgress(100, 100);
    EXPECT_EQ(p.status(), QStringLiteral("正在查询网站安全信息..."));

    // A page nobody asked for is not read.
    p.web->completeWith(QStringLiteral("安全，未在该网站发现重大的安全问题。"));
    EXPECT_EQ(p.shownPicture(), QStringLiteral("imgNoKnow"));
}

TEST(USafePanel, ChecksAnAddressWithTheRealLoaderEndToEnd)
{
    FixtureServer server;
    server.setGbkPage(QStringLiteral("/aspx_2/search.aspx"),
                      QStringLiteral("<p>不安全，该网站存在恶意行为，不建议进行访问。</p><p>恶意行为：带毒挂马</p>"
                                     "<p>恶意行为详情</p>"));
    TestSeams seams(server.host(), server.port());
    BuiltPanel built = buildPanel(QStringLiteral("frmUSafe"), seams.context);
    QSignalSpy progress(built.control<PageLoader>(u"WebUS"), &PageLoader::progressChange);
    built.control<QLineEdit>(u"txtUS")->setText(QStringLiteral("http://x.com/"));
    QTest::mouseClick(built.control<QPushButton>(u"cmdUS"), Qt::LeftButton);

    // The loader's idle event after the page carries no maximum and leaves the status be.
    ASSERT_TRUE(waitUntil([&] { return !progress.isEmpty() && progress.last().at(1).toInt() == 0; }));
    EXPECT_EQ(built.control<QLabel>(u"lblUS")->text(), QStringLiteral("查询完毕"));
    EXPECT_TRUE(built.control(u"cmdUS")->isEnabled());
    EXPECT_EQ(server.lastRequest().target, QStringLiteral("/aspx_2/search.aspx?kw=x.com"));
    EXPECT_TRUE(built.control(u"imgNoSafe")->isVisible());
    EXPECT_TRUE(built.control<QCheckBox>(u"chkUS1")->isChecked());
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
}

TEST(USafePanel, MalwareCheckShowsTheStateLineOrItsFailure)
{
    const std::tuple<const char16_t*, const char16_t*, const char16_t*> cases[] = {
        { u"up to the blank", u"检测结果\r\n当前状态：安全 更新于昨天", u"当前状态：安全" },
        { u"no blank: to the end", u"当前状态：危险\r\n详情", u"当前状态：危险\r\n详情" },
        { u"the last marker", u"当前状态：未知 旧记录\r\n当前状态：安全 新记录", u"当前状态：安全" },
        { u"marker absent", u"没有记录", nullptr },
        { u"fetch fails", nullptr, nullptr },
    };
    for (const auto& [name, page, line] : cases) {
        SCOPED_TRACE(str(name).toStdString());
        SafetyPanel p;
        const QString url
            = p.seams.context.services[Service::UrlReputationB].url(QStringLiteral("/urlsearch.htm?searchUrl=x.com"));
        if (page)
            p.fetch.setPage(url, str(page));
        else
            p.fetch.setFailure(url);
        p.built.control<QLineEdit>(u"txtGM")->setText(QStringLiteral("x.com"));
        QTest::mouseClick(p.built.control<QPushButton>(u"cmdGMCX"), Qt::LeftButton);

        EXPECT_EQ(p.fetch.urls(), QStringList({ url }));
        auto* state = p.built.control<QLabel>(u"Label36");
        EXPECT_EQ(state->text(), line ? str(line) : QStringLiteral("当前状态：出错了"));
        EXPECT_EQ(state->textFormat(), Qt::PlainText);
        EXPECT_TRUE(p.built.control(u"txtGM")->isEnabled() && p.built.control(u"cmdGMCX")->isEnabled());
        ASSERT_EQ(p.seams.dialogs.boxes.size(), line ? 0 : 1);
        if (!line) {
            expectErrorBox(p.seams.dialogs.boxes[0], failureText);
            EXPECT_TRUE(p.seams.dialogs.boxes[0].seen(u"cmdGMCX").enabled);
        }
    }
}

TEST(USafePanel, MalwareCheckAsksTheVendorEndToEnd)
{
    FixtureServer server;
    server.setGbkPage(QStringLiteral("/urlsearch.htm"), QStringLiteral("<p>当前状态：安全 (已检测)</p>"));
    TestSeams seams(server.host(), server.port());
    BuiltPanel built = buildPanel(QStringLiteral("frmUSafe"), seams.context);
    built.control<QLineEdit>(u"txtGM")->setText(QStringLiteral("www.x.com"));
    QTest::mouseClick(built.control<QPushButton>(u"cmdGMCX"), Qt::LeftButton);
    EXPECT_EQ(server.lastRequest().target, QStringLiteral("/urlsearch.htm?searchUrl=www.x.com"));
    EXPECT_EQ(built.control<QLabel>(u"Label36")->text(), QStringLiteral("当前状态：安全"));
}

} // namespace
