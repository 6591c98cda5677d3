#include "platform/http.h"
#include "support/fixtureserver.h"
#include "support/printers.h"
#include "support/recorders.h"

#include <array>
#include <gtest/gtest.h>
#include <ostream>
#include <thread>

namespace veldrin {
namespace {

using test::FixtureServer;

class HttpGetTest : public ::testing::Test
{
protected:
    HttpResponse get(const QString& pathOrUrl, const FetchLimits& limits = test::shortLimits())
    {
        HttpRequestOptions options;
        options.limits = limits;
        const QString url = pathOrUrl.startsWith(QLatin1Char('/')) ? server.url(pathOrUrl) : pathOrUrl;
        return httpGet(url, options);
    }

    FixtureServer server;
};

TEST_F(HttpGetTest, ReportsStatusTypeAndFinalAddressOfTheLastAnswer)
{
    const HttpResponse redirected = get(QStringLiteral("/redirect"));
    ASSERT_TRUE(redirected.ok) << redirected.error.toStdString();
    EXPECT_EQ(redirected.status, 200);
    EXPECT_EQ(redirected.finalUrl, server.url(QStringLiteral("/gbk")));
    EXPECT_EQ(redirected.contentType, QByteArrayLiteral("text/html"));
    EXPECT_EQ(redirected.body,
              test::encodeGbk(QStringLiteral(
                  "<html><head><title>测试</title></head><body><p>中文页面</p><p>第二段</p></body></html>")));

    const HttpResponse utf8 = get(QStringLiteral("/utf8"));
    ASSERT_TRUE(utf8.ok);
    EXPECT_EQ(utf8.contentType, QByteArrayLiteral("text/html; charset=utf-8"));

    const HttpResponse missing = get(QStringLiteral("/404"));
    ASSERT_TRUE(missing.ok);
    EXPECT_EQ(missing.status, 404);
    EXPECT_FALSE(missing.body.isEmpty());
}

TEST_F(HttpGetTest, PlainGetSendsNoContentType)
{
    server.clearRequests();
    ASSERT_TRUE(get(QStringLiteral("/gbk")).ok);
    const FixtureServer::Request request = server.lastRequest();
    EXPECT_EQ(request.method, QStringLiteral("GET"));
    EXPECT_FALSE(request.headers.contains(QStringLiteral("content-type")));
}

TEST_F(HttpGetTest, AddressIsSentAsGivenButBlanksAndNonAsciiAreEscaped)
{
    server.setPage(QStringLiteral("/q"), QByteArrayLiteral("ok"));
    const struct
    {
        QString pathAndQuery;
        QString target;
    } cases[] = {
        { QStringLiteral("/q?wd=site%3Aa.com&x=*"), QStringLiteral("/q?wd=site%3Aa.com&x=*") },
        { QStringLiteral("/q?name=中 文"), QStringLiteral("/q?name=%E4%B8%AD%20%E6%96%87") },
        { QStringLiteral("/q?a=b c\t"), QStringLiteral("/q?a=b%20c%09") },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pathAndQuery.toStdString());
        server.clearRequests();
        const HttpResponse response = get(c.pathAndQuery);
        ASSERT_TRUE(response.ok) << response.error.toStdString();
        EXPECT_EQ(server.lastRequest().target, c.target);
    }
}

TEST_F(HttpGetTest, ChunkedAnswerUnderTheCapArrivesWhole)
{
    const QByteArray body = QByteArrayLiteral("<p>0123456789</p>").repeated(500);
    server.setChunkedPage(QStringLiteral("/chunked"), body);
    const HttpResponse response = get(QStringLiteral("/chunked"));
    ASSERT_TRUE(response.ok) << response.error.toStdString();
    EXPECT_EQ(response.body, body);
}

TEST_F(HttpGetTest, FailureKeepsTheRequestedAddressAndNoBody)
{
    FetchLimits noRedirects = test::shortLimits();
    noRedirects.maxRedirects = 0;
    server.setRedirect(QStringLiteral("/tofile"), QStringLiteral("file:///etc/hostname"));

    const struct
    {
        const char* name;
        QString url;
        FetchLimits limits;
        QString reason;
    } cases[] = {
        { "redirects not allowed", server.url(QStringLiteral("/redirect")), noRedirects,
          QStringLiteral("重定向次数过多") },
        { "redirect to a local file", server.url(QStringLiteral("/tofile")), test::shortLimits(),
          QStringLiteral("网址无效") },
        { "not http", QStringLiteral("file:///etc/hostname"), test::shortLimits(), QStringLiteral("网址无效") },
        { "dropped connection", server.url(QStringLiteral("/drop")), test::shortLimits(), QStringLiteral("连接中断") },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HttpResponse response = get(c.url, c.limits);
        EXPECT_FALSE(response.ok);
        EXPECT_EQ(response.error, c.reason);
        EXPECT_EQ(response.finalUrl, c.url);
        EXPECT_TRUE(response.body.isEmpty());
    }
}

TEST_F(HttpGetTest, CancelEndsTheTransferAsAnError)
{
    // Long limits, so only the cancel flag can end the stalled transfer within the test.
    FetchLimits patient;
    patient.totalTimeout = std::chrono::seconds(60);
    std::atomic<bool> cancel { false };
    HttpRequestOptions options;
    options.limits = patient;
    options.cancel = &cancel;

    std::thread canceller([&cancel] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cancel = true;
    });
    const HttpResponse stalled = httpGet(server.url(QStringLiteral("/stall")), options);
    canceller.join();
    EXPECT_FALSE(stalled.ok);
    EXPECT_EQ(stalled.error, QStringLiteral("已取消"));
    EXPECT_TRUE(stalled.body.isEmpty());

    const HttpResponse early = httpGet(server.url(QStringLiteral("/gbk")), options);
    EXPECT_FALSE(early.ok);
    EXPECT_EQ(early.error, QStringLiteral("已取消"));
    EXPECT_TRUE(early.body.isEmpty());
}

TEST_F(HttpGetTest, FetchesFromSeveralThreadsAtOnce)
{
    std::array<HttpResponse, 4> responses;
    std::array<std::thread, 4> threads;
    for (size_t i = 0; i < threads.size(); ++i)
        threads[i] = std::thread([&, i] { responses[i] = get(QStringLiteral("/gbk")); });
    for (std::thread& thread : threads)
        thread.join();
    for (const HttpResponse& response : responses) {
        EXPECT_TRUE(response.ok) << response.error.toStdString();
        EXPECT_EQ(response.status, 200);
    }
}

} // namespace
} // namespace veldrin
