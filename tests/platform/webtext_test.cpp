#include "platform/innertext.h"
#include "platform/textcodec.h"
#include "platform/webtext.h"
#include "support/fixtureserver.h"
#include "support/printers.h"
#include "support/recorders.h"

#include <gtest/gtest.h>
#include <ostream>

namespace veldrin {
namespace {

using test::FixtureServer;

class WebTextTest : public ::testing::Test
{
protected:
    FixtureServer server;
};

TEST_F(WebTextTest, GbkPageComesBackWithItsChineseIntact)
{
    const WebText page = GetWebText(server.url(QStringLiteral("/gbk")));
    ASSERT_TRUE(page.ok) << page.error.toStdString();
    EXPECT_TRUE(page.error.isEmpty());
    // The title is head content, not body text; paragraphs are set apart by a blank line.
    EXPECT_EQ(page.text, QStringLiteral("中文页面\r\n\r\n第二段"));
}

TEST_F(WebTextTest, Utf8PageIsReadAsGbkAndComesBackGarbledWithoutAnError)
{
    const WebText page = GetWebText(server.url(QStringLiteral("/utf8")));
    ASSERT_TRUE(page.ok) << page.error.toStdString();
    EXPECT_FALSE(page.text.contains(QStringLiteral("中文页面")));
    EXPECT_FALSE(page.text.contains(QStringLiteral("第二段")));
    EXPECT_FALSE(page.text.isEmpty());
}

TEST_F(WebTextTest, ErrorStatusPagesReturnTheirText)
{
    const struct
    {
        const char* path;
        QString text;
        long status;
    } cases[] = {
        { "/gbk", QStringLiteral("中文页面\r\n\r\n第二段"), 200 },
        { "/404", QStringLiteral("页面不存在"), 404 },
        { "/500", QStringLiteral("服务器错误"), 500 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const WebText page = GetWebText(server.url(QString::fromLatin1(c.path)));
        ASSERT_TRUE(page.ok) << page.error.toStdString();
        EXPECT_EQ(page.text, c.text);
        // The status travels beside the text, for the waiting fetch to judge.
        EXPECT_EQ(page.status, c.status);
    }
}

TEST_F(WebTextTest, SendsOneGetWithTheFormContentTypeAndAnEmptyBody)
{
    server.clearRequests();
    const WebText page = GetWebText(server.url(QStringLiteral("/gbk?ip=1.2.*.4&action=2")));
    ASSERT_TRUE(page.ok) << page.error.toStdString();

    const QList<FixtureServer::Request> requests = server.requests();
    ASSERT_EQ(requests.size(), 1);
    const FixtureServer::Request& request = requests.first();
    EXPECT_EQ(request.method, QStringLiteral("GET"));
    EXPECT_EQ(request.target, QStringLiteral("/gbk?ip=1.2.*.4&action=2"));
    EXPECT_EQ(request.headers.value(QStringLiteral("content-type")),
              QStringLiteral("application/x-www-form-urlencoded"));
    EXPECT_TRUE(request.body.isEmpty());
}

TEST_F(WebTextTest, FollowsARedirectToThePage)
{
    server.clearRequests();
    const WebText page = GetWebText(server.url(QStringLiteral("/redirect")));
    ASSERT_TRUE(page.ok) << page.error.toStdString();
    EXPECT_EQ(page.text, QStringLiteral("中文页面\r\n\r\n第二段"));
    const QList<FixtureServer::Request> requests = server.requests();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests.at(1).path, QStringLiteral("/gbk"));
    EXPECT_EQ(requests.at(1).method, QStringLiteral("GET"));
}

// The fetch decodes GBK straight into the UTF-8 the parser reads; the text must be the one that
// decoding to a string and rendering that gives, byte for byte, stray bytes included.
TEST(PageTextOfGbk, SameTextAsDecodingThenRendering)
{
    const QByteArray page = test::encodeGbk(QStringLiteral(
                                "<html><head><title>标题</title></head><body><h1>查询结果</h1>"
                                "<p>本站数据：&nbsp;广东 <img src=x> 电信</p><table><tr><td>域名</td><td>a.cn</td></tr>"
                                "<tr><td><div>注册商</div></td><td>某某公司</td></tr></table><pre> 编号\n 001</pre>"))
        + QByteArrayLiteral("\x81<b>\xFF\xAA\xA1</b>\x80\xD6");
    const QString text = pageTextOfGbk(page);
    EXPECT_EQ(text, innerTextOfHtml(decodeGbk(page)));
    EXPECT_TRUE(text.startsWith(QStringLiteral("查询结果\r\n\r\n本站数据：\u00a0广东  电信\r\n\r\n域名\ta.cn\r\n")))
        << text.toStdString();
}

// Every way a fetch can fail ends in an error with its reason and no text at all.
TEST_F(WebTextTest, FailuresReportAReasonAndNoText)
{
    FetchLimits tinyCap = test::shortLimits();
    tinyCap.maxBytes = 16;
    server.setChunkedPage(QStringLiteral("/chunked"), test::encodeGbk(QStringLiteral("<p>中文页面</p>")).repeated(50));

    const struct
    {
        const char* name;
        QString url;
        FetchLimits limits;
        QString reason;
    } cases[] = {
        { "redirect loop", server.url(QStringLiteral("/loop")), test::shortLimits(), QStringLiteral("重定向次数过多") },
        { "stall", server.url(QStringLiteral("/stall")), test::shortLimits(), QStringLiteral("访问超时") },
        { "refused", FixtureServer::refusedUrl(), test::shortLimits(), QStringLiteral("无法连接到服务器") },
        { "dropped connection", server.url(QStringLiteral("/drop")), test::shortLimits(), QStringLiteral("连接中断") },
        { "over the size cap", server.url(QStringLiteral("/gbk")), tinyCap, QStringLiteral("应答过大") },
        { "over the size cap, no length", server.url(QStringLiteral("/chunked")), tinyCap, QStringLiteral("应答过大") },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const WebText page = GetWebText(c.url, c.limits);
        EXPECT_FALSE(page.ok);
        EXPECT_TRUE(page.text.isEmpty()) << page.text.toStdString();
        EXPECT_EQ(page.error, c.reason);
    }
}

} // namespace
} // namespace veldrin
