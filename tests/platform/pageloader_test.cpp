#include "platform/pageloader.h"
#include "support/fakepageloader.h"
#include "support/fixtureserver.h"
#include "support/printers.h"
#include "support/recorders.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

using namespace std::chrono_literals;
using veldrin::createHttpPageLoader;
using veldrin::FetchLimits;
using veldrin::PageLoader;
using veldrin::test::FakeLoaderFactory;
using veldrin::test::FakePageLoader;
using veldrin::test::FixtureServer;
using veldrin::test::shortLimits;
using veldrin::test::waitUntil;

namespace {

// Every event a loader emits, in order, with the document as it stood at each page event.
struct EventLog
{
    QStringList events;
    int titles = 0;
    int completions = 0;
    QString textAtTitle;
    QString locationAtTitle;
    QString textAtCompletion;
    QStringList linksAtCompletion;

    void attach(PageLoader* loader)
    {
        QObject::connect(loader, &PageLoader::progressChange, [this](int progress, int max) {
            events.append(QStringLiteral("progress %1/%2").arg(progress).arg(max));
        });
        QObject::connect(loader, &PageLoader::titleChange, [this, loader](const QString& title) {
            ++titles;
            events.append(QStringLiteral("title ") + title);
            textAtTitle = loader->innerText();
            locationAtTitle = loader->locationUrl();
        });
        QObject::connect(loader, &PageLoader::documentComplete, [this, loader](const QString& url) {
            ++completions;
            events.append(QStringLiteral("complete ") + url);
            textAtCompletion = loader->innerText();
            linksAtCompletion = loader->links();
        });
    }
};

// A full page's events, as a lookup sees them.
QStringList pageEvents(const QString& title, const QString& location)
{
    return { QStringLiteral("progress 0/100"), QStringLiteral("progress 100/100"), QStringLiteral("title ") + title,
             QStringLiteral("complete ") + location, QStringLiteral("progress 0/0") };
}

class PageLoaderTest : public ::testing::Test
{
protected:
    std::unique_ptr<PageLoader> makeLoader(const FetchLimits& limits = shortLimits())
    {
        auto loader = createHttpPageLoader(limits);
        log.attach(loader.get());
        return loader;
    }

    // Waits for the first completion, then a while longer to be sure no second one follows.
    void settle(int expectedCompletions = 1)
    {
        ASSERT_TRUE(waitUntil([&] { return log.completions >= expectedCompletions; }, 15s));
        EXPECT_FALSE(waitUntil([&] { return log.completions > expectedCompletions; }, 700ms));
    }

    FixtureServer server;
    EventLog log;
};

TEST_F(PageLoaderTest, EveryNavigationEndsWithOneTitleAndOneCompletion)
{
    server.setGbkPage(QStringLiteral("/big"),
                      QStringLiteral("<p>") + QString(4000, QLatin1Char('x')) + QStringLiteral("</p>"));
    const QString refused = FixtureServer::refusedUrl(QStringLiteral("/x"));
    struct Case
    {
        const char* name;
        QString url;
        QString location; // expected address afterwards
        QString title;
        QString text; // expected in the inner text; empty means an empty document, a failed load
        qint64 maxBytes = 16 * 1024 * 1024;
    };
    const Case cases[] = {
        { "normal page", server.url(QStringLiteral("/gbk")), server.url(QStringLiteral("/gbk")), QStringLiteral("测试"),
          QStringLiteral("第二段") },
        { "redirect ends at the target", server.url(QStringLiteral("/redirect")), server.url(QStringLiteral("/gbk")),
          QStringLiteral("测试"), QStringLiteral("中文页面") },
        { "error status shows its page",
          server.url(QStringLiteral("/404")),
          server.url(QStringLiteral("/404")),
          {},
          QStringLiteral("页面不存在") },
        // A server error's page is no page: a failed load, whatever the page says.
        { "server error is a failed load",
          server.url(QStringLiteral("/500")),
          server.url(QStringLiteral("/500")),
          {},
          {} },
        { "refused connection", refused, refused, {}, {} },
        { "server never answers", server.url(QStringLiteral("/stall")), server.url(QStringLiteral("/stall")), {}, {} },
        { "connection dropped mid-body",
          server.url(QStringLiteral("/drop")),
          server.url(QStringLiteral("/drop")),
          {},
          {} },
        { "redirect loop", server.url(QStringLiteral("/loop")), server.url(QStringLiteral("/loop")), {}, {} },
        { "answer too large", server.url(QStringLiteral("/big")), server.url(QStringLiteral("/big")), {}, {}, 1024 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log = EventLog {};
        FetchLimits limits = shortLimits();
        limits.maxBytes = c.maxBytes;
        auto loader = makeLoader(limits);

        loader->navigate(c.url);
        EXPECT_TRUE(log.events.isEmpty()) << "nothing is emitted from inside navigate()";
        settle();

        EXPECT_EQ(log.events, pageEvents(c.title, c.location));
        EXPECT_EQ(loader->locationUrl(), c.location);
        EXPECT_EQ(log.locationAtTitle, c.location) << "the address is readable when the title changes";
        EXPECT_EQ(loader->title(), c.title);
        EXPECT_EQ(loader->loadFailed(), c.text.isEmpty()) << loader->loadError().toStdString();
        if (c.text.isEmpty()) {
            EXPECT_EQ(log.textAtCompletion, QString());
            EXPECT_TRUE(log.linksAtCompletion.isEmpty());
        } else {
            EXPECT_TRUE(log.textAtCompletion.contains(c.text)) << log.textAtCompletion.toStdString();
            EXPECT_EQ(log.textAtTitle, log.textAtCompletion);
        }
    }
}

TEST_F(PageLoaderTest, LinksComeBackAbsoluteAgainstTheFinalAddress)
{
    server.setGbkPage(QStringLiteral("/dir/links"),
                      QStringLiteral("<html><head><title>链接页</title></head><body>"
                                     "<a href=\"/top?q=1\">一</a> <a href=\"sub/page.html\">二</a> "
                                     "<a name=\"anchor\">无</a> <a href=\"http://example.invalid/c\">三</a>"
                                     "</body></html>"));
    server.setRedirect(QStringLiteral("/moved"), QStringLiteral("/dir/links"));
    const QStringList expected
        = { server.url(QStringLiteral("/top?q=1")), server.url(QStringLiteral("/dir/sub/page.html")),
            QStringLiteral("http://example.invalid/c") };

    for (const QString& path : { QStringLiteral("/dir/links"), QStringLiteral("/moved") }) {
        SCOPED_TRACE(path.toStdString());
        log = EventLog {};
        auto loader = makeLoader();
        loader->navigate(server.url(path));
        settle();
        EXPECT_EQ(log.linksAtCompletion, expected);
        EXPECT_EQ(loader->links(), expected);
        EXPECT_EQ(loader->title(), QStringLiteral("链接页"));
        EXPECT_EQ(loader->locationUrl(), server.url(QStringLiteral("/dir/links")));
    }
}

TEST_F(PageLoaderTest, DecodesTheDeclaredCharsetElseGbk)
{
    const QString text = QStringLiteral("统一码页面");
    const QByteArray utf8Body
        = (QStringLiteral("<html><body><p>") + text + QStringLiteral("</p></body></html>")).toUtf8();
    server.setPage(QStringLiteral("/meta-utf8"),
                   (QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><p>") + text
                    + QStringLiteral("</p></body></html>"))
                       .toUtf8());
    server.setPage(QStringLiteral("/plain-utf8"), utf8Body);
    server.setGbkPage(QStringLiteral("/plain-gbk"), QStringLiteral("<p>") + text + QStringLiteral("</p>"));

    struct Case
    {
        const char* path;
        QString text;
        bool readable;
    };
    const Case cases[] = {
        { "/utf8", QStringLiteral("中文页面"), true }, // declared in the Content-Type header
        { "/meta-utf8", text, true }, // declared in a <meta> of the page
        { "/plain-gbk", text, true }, // declares nothing: GBK
        { "/plain-utf8", text, false }, // declares nothing, so it is read as GBK, and garbled
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        log = EventLog {};
        auto loader = makeLoader();
        loader->navigate(server.url(QString::fromLatin1(c.path)));
        settle();
        EXPECT_EQ(loader->innerText().contains(c.text), c.readable) << loader->innerText().toStdString();
    }
}

TEST_F(PageLoaderTest, ANewNavigationDropsTheOneInProgress)
{
    struct Case
    {
        const char* name;
        const char* first;
        const char* second;
        QString title;
    };
    const Case cases[] = {
        // The abandoned stall would end by time-out; its empty page must never show up.
        { "abandoned while waiting", "/stall", "/gbk", QStringLiteral("测试") },
        // The abandoned page may already be fetched; it must not arrive after the new one starts.
        { "abandoned page arrives first", "/gbk", "/stall", {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log = EventLog {};
        auto loader = makeLoader();
        loader->navigate(server.url(QString::fromLatin1(c.first)));
        loader->navigate(server.url(QString::fromLatin1(c.second)));
        ASSERT_TRUE(waitUntil([&] { return log.completions >= 1; }, 15s));
        // Longer than the stall's time-out, so a late result of the first would have arrived.
        EXPECT_FALSE(waitUntil([&] { return log.completions > 1; }, shortLimits().totalTimeout + 1s));
        EXPECT_EQ(log.events, pageEvents(c.title, server.url(QString::fromLatin1(c.second))));
    }
}

TEST_F(PageLoaderTest, NavigatingFromTheCompletionSlotStartsAFreshNavigation)
{
    auto loader = makeLoader();
    int navigationsFromSlot = 0;
    QObject::connect(loader.get(), &PageLoader::documentComplete, [&](const QString& url) {
        if (url == server.url(QStringLiteral("/gbk")) && navigationsFromSlot++ == 0)
            loader->navigate(server.url(QStringLiteral("/utf8")));
    });

    loader->navigate(server.url(QStringLiteral("/gbk")));
    settle(2);

    // The first page's trailing idle event is dropped: its navigation was replaced in the slot.
    QStringList expected = pageEvents(QStringLiteral("测试"), server.url(QStringLiteral("/gbk")));
    expected.removeLast();
    expected += pageEvents(QStringLiteral("测试"), server.url(QStringLiteral("/utf8")));
    EXPECT_EQ(log.events, expected);
    EXPECT_EQ(loader->locationUrl(), server.url(QStringLiteral("/utf8")));
    EXPECT_TRUE(loader->innerText().contains(QStringLiteral("中文页面")));
}

TEST_F(PageLoaderTest, DestroyingTheLoaderMidNavigationIsSafe)
{
    // Waiting on a stalled server.
    {
        auto loader = makeLoader();
        loader->navigate(server.url(QStringLiteral("/stall")));
        ASSERT_TRUE(waitUntil([&] { return !server.requests().isEmpty(); }, 5s));
    }
    // A page fetched, its result posted but not yet delivered when the loader goes.
    {
        auto loader = makeLoader();
        loader->navigate(server.url(QStringLiteral("/gbk")));
        ASSERT_TRUE(waitUntil([&] { return server.requests().size() >= 2; }, 5s));
        QThread::msleep(200);
    }
    // Several abandoned navigations still in flight.
    {
        auto loader = makeLoader();
        loader->navigate(server.url(QStringLiteral("/stall")));
        loader->navigate(FixtureServer::refusedUrl());
        loader->navigate(server.url(QStringLiteral("/gbk")));
    }
    // Whatever the dead loaders' workers post now must go nowhere.
    waitUntil([] { return false; }, shortLimits().totalTimeout + 500ms);
    EXPECT_EQ(log.completions, 0);

    // Deleting the loader from its own completion slot ends its events there.
    log = EventLog {};
    auto loader = makeLoader();
    QObject::connect(loader.get(), &PageLoader::titleChange, [&] { loader.reset(); });
    PageLoader* raw = loader.get();
    raw->navigate(server.url(QStringLiteral("/gbk")));
    ASSERT_TRUE(waitUntil([&] { return !loader; }, 15s));
    EXPECT_FALSE(waitUntil([&] { return log.completions > 0; }, 300ms));
}

// The stand-in that window tests drive must keep the real loader's promises.
TEST(FakePageLoader, BehavesLikeTheRealLoaderTowardsItsReaders)
{
    veldrin::Context context;
    FakeLoaderFactory factory;
    factory.install(context);
    QObject owner;
    auto first = context.pageLoader(&owner);
    auto second = context.pageLoader(&owner);
    second->setObjectName(QStringLiteral("WebTB"));
    ASSERT_EQ(factory.count(), 2);
    EXPECT_EQ(factory.at(0), first.get());
    EXPECT_EQ(factory.named(QStringLiteral("WebTB")), second.get());
    EXPECT_EQ(factory.named(QStringLiteral("WebQQ")), nullptr);

    FakePageLoader* fake = factory.named(QStringLiteral("WebTB"));
    EventLog log;
    log.attach(fake);
    fake->navigate(QStringLiteral("http://shop.test/a"));
    EXPECT_EQ(fake->navigations, QStringList { QStringLiteral("http://shop.test/a") });

    fake->completeWith(QStringLiteral("正文"), { QStringLiteral("http://shop.test/b") });
    EXPECT_EQ(log.events, (QStringList { QStringLiteral("title "), QStringLiteral("complete http://shop.test/a") }));
    EXPECT_EQ(log.textAtTitle, QStringLiteral("正文"));
    EXPECT_EQ(log.linksAtCompletion, QStringList { QStringLiteral("http://shop.test/b") });

    // Navigating from the title slot abandons the page: no completion follows.
    log = EventLog {};
    const auto connection = QObject::connect(fake, &PageLoader::titleChange,
                                             [fake] { fake->navigate(QStringLiteral("http://shop.test/c")); });
    fake->completeWith(QStringLiteral("x"));
    QObject::disconnect(connection);
    EXPECT_EQ(log.titles, 1);
    EXPECT_EQ(log.completions, 0);
    EXPECT_EQ(fake->lastNavigation(), QStringLiteral("http://shop.test/c"));

    // Queued completion arrives only when the event loop runs.
    log = EventLog {};
    fake->completeLater(QStringLiteral("后来"), {}, QStringLiteral("http://shop.test/d"));
    EXPECT_EQ(log.completions, 0);
    ASSERT_TRUE(waitUntil([&] { return log.completions == 1; }, 5s));
    EXPECT_EQ(fake->locationUrl(), QStringLiteral("http://shop.test/d"));

    second.reset();
    EXPECT_EQ(factory.named(QStringLiteral("WebTB")), nullptr);
}

} // namespace
