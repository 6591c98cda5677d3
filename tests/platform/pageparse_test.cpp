#include "platform/innertext.h"
#include "platform/pageloader.h"
#include "platform/pageparse.h"
#include "platform/pageparseserver.h"
#include "platform/webtext.h"
#include "support/fixtureserver.h"
#include "support/panelkit.h"
#include "support/recorders.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace veldrin {
namespace {

using test::FixtureServer;

// Unclosed nested elements: the parser's time grows with the square of the depth, many seconds
// for this page.
QByteArray deepPage()
{
    return QByteArrayLiteral("<html><body>") + QByteArray("<div>").repeated(100000) + "本站主数据：";
}

// The program's own rule, beside the running program and nowhere else. A test runs from a
// folder of the build where no parser stands, though the build made one.
class NoPageParser : public ::testing::Test
{
protected:
    void SetUp() override
    {
        named = pageParserProgram();
        setPageParserProgram({});
        char path[4096];
        const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
        ASSERT_GT(length, 0);
        const std::string self(path, size_t(length));
        beside = self.substr(0, self.rfind('/') + 1) + "veldrin-pageparse";
        ASSERT_NE(access(beside.c_str(), F_OK), 0) << "a parser beside the test";
    }
    void TearDown() override { setPageParserProgram(named); }

    std::string named; // by the test main
    std::string beside;
};

// Not even a page the parser would read in no time is parsed: no text, and the program says
// once where it looked for the parser.
TEST_F(NoPageParser, NoPageIsParsedAndWhereTheParserWasLookedForIsSaidOnce)
{
    EXPECT_EQ(pageParserProgram(), beside);
    const QByteArray page("<p>a</p>");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(innerTextOfUtf8Html(page, ParseStop {}));
    EXPECT_FALSE(parseUtf8HtmlPage(page, QUrl(), ParseStop {}));
    EXPECT_EQ(innerTextOfUtf8Html(page), QString());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "veldrin: could not start the page parser " + beside + ": No such file or directory\n");
    EXPECT_EQ(htmlParsesRunning(), 0);
    EXPECT_FALSE(test::hasChildProcesses());
}

// Both roads a page takes end in their failure as soon as the page is in, for a page read in no
// time and for one that would keep a parser busy for seconds: the reason is the page that could
// not be parsed, not a time-out run into.
TEST_F(NoPageParser, BothRoadsFailOnceThePageIsIn)
{
    FixtureServer server;
    server.setPage(QStringLiteral("/small"), QByteArrayLiteral("<p>本站主数据：</p>"));
    server.setPage(QStringLiteral("/deep"), deepPage());
    FetchLimits limits;
    limits.totalTimeout = std::chrono::seconds(60);
    testing::internal::CaptureStderr();
    for (const char* path : { "/small", "/deep" }) {
        SCOPED_TRACE(path);
        const QString url = server.url(QString::fromLatin1(path));
        const WebText text = GetWebText(url, limits);
        EXPECT_FALSE(text.ok);
        EXPECT_EQ(text.error, unparsedPageError());
        EXPECT_TRUE(text.text.isEmpty());

        const auto loader = createHttpPageLoader(limits);
        bool complete = false;
        QObject::connect(loader.get(), &PageLoader::documentComplete, [&] { complete = true; });
        loader->navigate(url);
        ASSERT_TRUE(test::waitUntil([&] { return complete; }));
        EXPECT_EQ(loader->loadError(), unparsedPageError());
        EXPECT_TRUE(loader->innerText().isEmpty());
    }
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(server.requests().size(), 4);
    EXPECT_EQ(htmlParsesRunning(), 0);
}

// What the user sees: a lookup on the page-text fetch and one on the page loader show their
// failure boxes and give their panels back.
TEST_F(NoPageParser, LookupsShowTheirFailureBoxes)
{
    FixtureServer server;
    server.setGbkPage(QStringLiteral("/whois/example.cn"), QStringLiteral("<p>注册商：某某</p>"));
    server.setGbkPage(QStringLiteral("/f"), QStringLiteral("<p>刘德华吧</p>"));
    test::TestSeams seams(server.host(), server.port());
    testing::internal::CaptureStderr();

    test::BuiltPanel whois = test::buildPanel(QStringLiteral("frmYuMing"), seams.context);
    whois.control<QLineEdit>(u"txtYuMing")->setText(QStringLiteral("example.cn"));
    QTest::mouseClick(whois.control<QPushButton>(u"cmdYuMingChaXun"), Qt::LeftButton);
    ASSERT_EQ(seams.dialogs.boxes.size(), 1);
    EXPECT_TRUE(seams.dialogs.boxes[0].text.startsWith(u"在查找域名信息过程中出现错误，错误原因："));
    EXPECT_TRUE(whois.control<QPushButton>(u"cmdYuMingChaXun")->isEnabled());

    seams.dialogs.boxes.clear();
    test::BuiltPanel forum = test::buildPanel(QStringLiteral("frmMX"), seams.context);
    forum.control<QLineEdit>(u"txtMXName")->setText(QStringLiteral("刘德华"));
    QTest::mouseClick(forum.control<QPushButton>(u"cmdMXCX"), Qt::LeftButton);
    ASSERT_TRUE(test::waitUntil([&] { return !seams.dialogs.boxes.isEmpty(); }));
    EXPECT_EQ(seams.dialogs.boxes[0].text,
              QStringLiteral("没有查询到结果，可能由于服务器问题或网络问题，请稍后重试！"));
    EXPECT_TRUE(forum.control<QPushButton>(u"cmdMXCX")->isEnabled());
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(server.requests().size(), 2);
}

// The fake parser (tests/platform/fakepageparser.cpp) in place of the real one: the page it is
// handed names what it does.
class FakePageParser : public ::testing::Test
{
protected:
    void SetUp() override
    {
        named = pageParserProgram();
        setPageParserProgram(FAKE_PAGEPARSER);
    }
    void TearDown() override { setPageParserProgram(named); }

    static ParseStop stop()
    {
        return ParseStop { nullptr, std::chrono::steady_clock::now() + std::chrono::milliseconds(500) };
    }

    std::string named; // by the test main
};

// What a parser answers is read as input from outside. Whatever it does, the caller has its
// answer or nothing by its stop, and no process of it is left: a parser that answers and then
// goes on is ended, and one that claims more than the page can give is refused before anything
// is allocated for it (2^40 units would end the program).
TEST_F(FakePageParser, WhateverItDoesTheCallerHasItsAnswerOrNothingByItsStop)
{
    const QString fakeText = QStringLiteral("answered by the fake parser");
    const struct
    {
        const char* fault;
        bool answered;
    } cases[] = {
        { "answer", true },       { "answer then hang", true }, { "silent", false },     { "garbage", false },
        { "wrong magic", false }, { "other version", false },   { "huge text", false },  { "huge links", false },
        { "cut short", false },   { "crash", false },           { "exit early", false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        const QByteArray page(c.fault);
        const std::optional<QString> text = innerTextOfUtf8Html(page, stop());
        const std::optional<HtmlPage> whole
            = parseUtf8HtmlPage(page, QUrl(QStringLiteral("http://example.com/")), stop());
        if (c.answered) {
            EXPECT_EQ(text, std::optional<QString>(fakeText));
            ASSERT_TRUE(whole);
            EXPECT_EQ(whole->innerText, fakeText);
            EXPECT_EQ(whole->links, QStringList { QStringLiteral("http://example.com/a") });
            EXPECT_EQ(whole->title, QStringLiteral("fake"));
        } else {
            EXPECT_FALSE(text);
            EXPECT_FALSE(whole);
        }
        EXPECT_EQ(htmlParsesRunning(), 0);
        EXPECT_FALSE(test::hasChildProcesses());
    }
}

// The parser's program itself may end, or stop taking requests: the page it was asked for
// fails by its stop, and the program is started anew, at once for one that ended, and for one
// that stopped once a request it did not take has shown it.
TEST_F(FakePageParser, AProgramThatEndsOrStopsTakingRequestsIsStartedAnew)
{
    const QByteArray answer("answer");
    const std::optional<QString> answered(QStringLiteral("answered by the fake parser"));
    const struct
    {
        const char* fault;
        bool nextAnswered;
    } cases[] = {
        { "server dies", true },
        { "server stops", false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        ASSERT_EQ(innerTextOfUtf8Html(answer, stop()), answered);
        const pid_t first = pageParserProcess();
        EXPECT_FALSE(innerTextOfUtf8Html(QByteArray(c.fault), stop()));
        EXPECT_EQ(innerTextOfUtf8Html(answer, stop()).has_value(), c.nextAnswered);
        EXPECT_EQ(innerTextOfUtf8Html(answer, stop()), answered);
        EXPECT_NE(pageParserProcess(), first);
        EXPECT_EQ(htmlParsesRunning(), 0);
        EXPECT_FALSE(test::hasChildProcesses());
    }
}

// The parser answers a request of another format, or one cut short, with nothing at all.
TEST(PageParserRequest, ARequestOfAnotherFormatIsAnsweredWithNothing)
{
    const QByteArray page("<p>a</p>");
    const struct
    {
        const char* what;
        void (*change)(pageparse::RequestHead&);
        int status;
    } cases[] = {
        { "as asked", [](pageparse::RequestHead&) {}, 0 },
        { "another program", [](pageparse::RequestHead& head) { head.magic += 1; }, 2 },
        { "another version", [](pageparse::RequestHead& head) { head.version += 1; }, 2 },
        { "a page cut short", [](pageparse::RequestHead& head) { head.pageBytes += 1; }, 2 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        pageparse::RequestHead request {};
        request.magic = pageparse::magic;
        request.version = pageparse::formatVersion;
        request.wanted = std::uint32_t(pageparse::Wanted::Text);
        request.deadline = pageparse::noDeadline;
        request.pageBytes = std::uint64_t(page.size());
        c.change(request);
        const int input = memfd_create("request", MFD_CLOEXEC);
        const int output = memfd_create("answer", MFD_CLOEXEC);
        ASSERT_GE(input, 0);
        ASSERT_GE(output, 0);
        ASSERT_EQ(write(input, &request, sizeof request), ssize_t(sizeof request));
        ASSERT_EQ(write(input, page.constData(), size_t(page.size())), page.size());
        lseek(input, 0, SEEK_SET);
        EXPECT_EQ(pageparse::servePageParse(input, output), c.status);
        EXPECT_EQ(lseek(output, 0, SEEK_CUR) > 0, c.status == 0) << "answered";
        close(input);
        close(output);
    }
}

} // namespace
} // namespace veldrin
