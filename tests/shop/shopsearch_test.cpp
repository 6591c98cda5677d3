#include "shop/tbpanel.h"
#include "support/fakepageloader.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

const QString searching = QStringLiteral("正在淘宝服务器上搜索该店铺...");
const QString ready = QStringLiteral("准备就绪");
const QString notFoundBox = QStringLiteral("没有找到相应的店铺信息!");

const QString shopLink = QStringLiteral("http://shop42.tb.example/");
const QString creditLink1 = QStringLiteral("http://rate.tb.example/user-rate-1.htm");
const QString creditLink2 = QStringLiteral("https://rate.tb.example/user-rate-2.htm?tab=all");
const QString creditLink3 = QStringLiteral("http://rate.tb.example/user-rate-3.htm");

QString searchUrl(const char16_t* query)
{
    return u"http://127.0.0.1:9/browse/shop_search.htm?q=" + str(query) + u"&title=title&nick=nick&tab=3&s=0";
}

// A shop panel on fake loaders, shown, with every box recording what stood behind it.
struct ShopSearchPanel
{
    ShopSearchPanel()
    {
        loaders.install(seams.context);
        panel = std::make_unique<TbPanel>(seams.context);
        web = loaders.named(QStringLiteral("WebTB"));
        seams.dialogs.watched = panel.get();
        panel->resize(twipsToPixels(6015), twipsToPixels(4815));
        panel->show();
    }

    template<typename W = QWidget> W* find(const char16_t* name) const
    {
        auto* widget = panel->findChild<W*>(str(name));
        EXPECT_NE(widget, nullptr) << str(name).toStdString();
        return widget;
    }

    void search(const QString& name)
    {
        find<QLineEdit>(u"txtTB")->setText(name);
        QTest::mouseClick(find<QPushButton>(u"cmdTBCX"), Qt::LeftButton);
    }

    // The panel given back to the user: input and button enabled, the status idle.
    void expectIdle(bool linkOffered) const
    {
        EXPECT_TRUE(find(u"txtTB")->isEnabled());
        EXPECT_TRUE(find(u"cmdTBCX")->isEnabled());
        EXPECT_EQ(find<QLabel>(u"lblTBZZ")->text(), ready);
        EXPECT_EQ(find(u"cmdTBURL")->isVisible(), linkOffered);
    }

    void expectSearching() const
    {
        EXPECT_FALSE(find(u"txtTB")->isEnabled());
        EXPECT_FALSE(find(u"cmdTBCX")->isEnabled());
        EXPECT_EQ(find<QLabel>(u"lblTBZZ")->text(), searching);
        EXPECT_FALSE(find(u"cmdTBURL")->isVisible());
    }

    QStringList boxTexts() const
    {
        QStringList texts;
        for (const ShownBox& box : seams.dialogs.boxes)
            texts.append(box.text);
        return texts;
    }

    TestSeams seams;
    FakeLoaderFactory loaders;
    std::unique_ptr<TbPanel> panel;
    FakePageLoader* web = nullptr;
};

class ShopSearch : public ::testing::Test, protected ShopSearchPanel
{
};

TEST(ShopSearchRequest, NameIsCleanedInTheBoxAndEncodedInTheAddress)
{
    struct Case
    {
        const char16_t* typed;
        const char16_t* shown;
        const char16_t* query;
    };
    const Case cases[] = {
        { u"a.b c", u"abc", u"abc" },
        { u" ..某 店.铺. ", u"某店铺", u"%E6%9F%90%E5%BA%97%E9%93%BA" },
        // '&' and '#' can no longer end the name or the request; other blanks stay.
        { u"a&b#c", u"a&b#c", u"a%26b%23c" },
        { u"a\u3000b\tc", u"a\u3000b\tc", u"a%E3%80%80b%09c" },
        { u"", u"", u"" },
        { u". .", u"", u"" },
    };
    for (const Case& c : cases) {
        ShopSearchPanel shop;
        shop.search(str(c.typed));

        const std::string label = str(c.typed).toStdString();
        EXPECT_EQ(shop.find<QLineEdit>(u"txtTB")->text(), str(c.shown)) << label;
        EXPECT_EQ(shop.web->navigations, QStringList { searchUrl(c.query) }) << label;
        shop.expectSearching();
    }
}

TEST_F(ShopSearch, PlatformLinksArePassedOverAndTheFirstShopLinkIsFollowed)
{
    search(QStringLiteral("某店"));
    web->completeWith(QStringLiteral("共找到 3 家店铺\r\n某店"),
                      {
                          QStringLiteral("http://www.tb.example/"),
                          QStringLiteral("https://shop123.tb.example/"), // not the "http://" form
                          QStringLiteral("http://shop123.tb.example/shop/view.htm"), // a path: other ending
                          QStringLiteral("http://shopx12.tb.example/"), // no digit after the prefix
                          QStringLiteral("http://Shop12.tb.example/"),
                          QStringLiteral("http://shop"), // shorter than the digit's place
                          QStringLiteral("http://shop9.tb.example/extra.tb.example"),
                          shopLink,
                          QStringLiteral("http://shop43.tb.example/"),
                      });

    EXPECT_EQ(web->navigations, (QStringList { searchUrl(u"%E6%9F%90%E5%BA%97"), shopLink }));
    expectSearching();
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
}

TEST_F(ShopSearch, PlatformsNotFoundTextEndsTheSearchBeforeAnyShopLink)
{
    search(QStringLiteral("没有的店"));
    web->completeWith(QStringLiteral("抱歉！没有找到相应的店铺信息，请换个词再试"), { shopLink, creditLink1 });

    ASSERT_EQ(seams.dialogs.boxes.size(), 1);
    const ShownBox& box = seams.dialogs.boxes.first();
    EXPECT_EQ(box.style, MsgCritical);
    EXPECT_EQ(box.title, QStringLiteral("错误"));
    EXPECT_EQ(box.text, notFoundBox);
    // The box comes first; the panel is given back once it is closed.
    EXPECT_FALSE(box.seen(u"txtTB").enabled);
    EXPECT_EQ(web->navigations.size(), 1);
    expectIdle(false);

    // A later event of the same page is no new answer.
    web->fireDocumentComplete();
    EXPECT_EQ(seams.dialogs.boxes.size(), 1);
}

TEST(ShopSearchStages, ShopPagesCreditLinkReplacesTheOneOfTheResultsPage)
{
    struct Case
    {
        const char* name;
        std::function<void(FakePageLoader&)> shopPage;
        QString opened;
    };
    const Case cases[] = {
        { "shop page with two credit links",
          [](FakePageLoader& loader) {
              loader.completeWith(QStringLiteral("店铺首页"),
                                  { QStringLiteral("http://www.tb.example/"), creditLink2, creditLink3 });
          },
          creditLink2 },
        { "shop page without one",
          [](FakePageLoader& loader) { loader.completeWith(QStringLiteral("店铺首页"), { shopLink }); }, creditLink1 },
        { "shop page not loaded", [](FakePageLoader& loader) { loader.failWith(QStringLiteral("timed out")); },
          creditLink1 },
    };
    for (const Case& c : cases) {
        ShopSearchPanel shop;
        auto* link = shop.find<QPushButton>(u"cmdTBURL");
        shop.search(QStringLiteral("某店"));

        shop.web->completeWith(QStringLiteral("共找到 1 家店铺"), { creditLink1, shopLink });
        // Offered at once, while the shop page is still on its way.
        EXPECT_EQ(shop.web->navigations.size(), 2) << c.name;
        EXPECT_EQ(shop.web->lastNavigation(), shopLink) << c.name;
        shop.expectIdle(true);
        EXPECT_TRUE(link->isEnabled()) << c.name;

        c.shopPage(*shop.web);
        EXPECT_TRUE(shop.seams.dialogs.boxes.isEmpty()) << c.name;
        shop.expectIdle(true);
        EXPECT_TRUE(link->isEnabled()) << c.name;

        QTest::mouseClick(link, Qt::LeftButton);
        QTest::mouseClick(link, Qt::LeftButton);
        EXPECT_EQ(shop.seams.shell.targets, QStringList { c.opened }) << c.name;
        EXPECT_FALSE(link->isEnabled()) << c.name;
        EXPECT_TRUE(link->isVisible()) << c.name;
        EXPECT_EQ(shop.web->navigations.size(), 2) << c.name;
    }
}

TEST_F(ShopSearch, ShopPageAloneOffersItsCreditLink)
{
    search(QStringLiteral("某店"));
    web->completeWith(QStringLiteral("共找到 1 家店铺"), { shopLink });
    expectSearching();
    web->completeWith(QStringLiteral("店铺首页"), { creditLink3 });

    expectIdle(true);
    EXPECT_TRUE(find(u"cmdTBURL")->isEnabled());
    EXPECT_EQ(shownText(find(u"cmdTBURL")), QStringLiteral("已为您查询到信用，点击查看结果"));
    QTest::mouseClick(find(u"cmdTBURL"), Qt::LeftButton);
    EXPECT_EQ(seams.shell.targets, QStringList { creditLink3 });
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());

    // Switching tools leaves this panel as it is.
    panel->resetPanel();
    EXPECT_TRUE(find(u"cmdTBURL")->isVisible());
    EXPECT_EQ(find<QLabel>(u"lblTBZZ")->text(), ready);
    EXPECT_EQ(find<QLineEdit>(u"txtTB")->text(), QStringLiteral("某店"));
}

TEST_F(ShopSearch, SearchWithoutACreditPageEndsAsNotFoundWithThePanelGivenBack)
{
    const std::pair<const char*, std::function<void()>> endings[] = {
        { "results page with nothing",
          [this] {
              web->completeWith(
                  QStringLiteral("共找到 0 家店铺"),
                  { QStringLiteral("http://www.tb.example/"), QStringLiteral("http://rate.tb.example/") });
          } },
        { "shop page without a credit link",
          [this] {
              web->completeWith(QStringLiteral("共找到 1 家店铺"), { shopLink });
              web->completeWith(QStringLiteral("店铺首页"), { QStringLiteral("http://www.tb.example/") });
          } },
        // Script and file links holding the mark are never offered, nor handed to the shell.
        { "only script and file credit links",
          [this] {
              web->completeWith(QStringLiteral("共找到 0 家店铺"),
                                { QStringLiteral("javascript:open('http://rate.tb.example/user-rate-1.htm')"),
                                  QStringLiteral("file:///rate.tb.example/user-rate-1.htm"),
                                  QStringLiteral("http:rate.tb.example/user-rate-1.htm") });
          } },
        // Nor are links of other hosts that merely mention the rating host and its path.
        { "shop page with foreign credit-looking links",
          [this] {
              web->completeWith(QStringLiteral("共找到 1 家店铺"), { shopLink });
              web->completeWith(QStringLiteral("店铺首页"),
                                { QStringLiteral("http://evil.example/rate.tb.example/user-rate-1.htm"),
                                  QStringLiteral("http://rate.tb.example@evil.example/user-rate-1.htm"),
                                  QStringLiteral("http://evilrate.tb.example/user-rate-1.htm") });
          } },
    };
    for (const auto& [name, ending] : endings) {
        seams.dialogs.boxes.clear();
        search(QStringLiteral("某店"));
        ending();

        EXPECT_EQ(boxTexts(), QStringList { notFoundBox }) << name;
        expectIdle(false);
        EXPECT_TRUE(seams.shell.targets.isEmpty()) << name;
    }
}

TEST_F(ShopSearch, FailedLoadIsAnErrorNotAMissingShop)
{
    const std::pair<const char*, std::function<void()>> failures[] = {
        { "results page",
          [this] {
              web->failWith(QStringLiteral("refused"));
          } },
        { "shop page",
          [this] {
              web->completeWith(QStringLiteral("共找到 1 家店铺"), { shopLink });
              web->failWith(QStringLiteral("timed out"));
          } },
    };
    for (const auto& [name, failure] : failures) {
        seams.dialogs.boxes.clear();
        search(QStringLiteral("某店"));
        failure();

        ASSERT_EQ(seams.dialogs.boxes.size(), 1) << name;
        const ShownBox& box = seams.dialogs.boxes.first();
        EXPECT_EQ(box.style, MsgCritical) << name;
        EXPECT_EQ(box.title, QStringLiteral("错误")) << name;
        EXPECT_EQ(box.text,
                  QStringLiteral("出现错误！错误原因：\r1.淘宝服务器繁忙或检修维护，请稍后再试！\r"
                                 "2.网络不稳定或繁忙，请退出占用大量网络资源的程序！"))
            << name;
        EXPECT_TRUE(box.seen(u"txtTB").enabled && box.seen(u"cmdTBCX").enabled) << name;
        EXPECT_EQ(box.seen(u"lblTBZZ").text, QStringLiteral("出现错误")) << name;
        EXPECT_FALSE(find(u"cmdTBURL")->isVisible()) << name;
        EXPECT_TRUE(find(u"txtTB")->isEnabled()) << name;
    }
}

TEST_F(ShopSearch, EverySearchStartsAtTheResultsPage)
{
    search(QStringLiteral("甲店"));
    web->completeWith(QStringLiteral("共找到 1 家店铺"), { shopLink });
    web->completeWith(QStringLiteral("店铺首页"), { creditLink1 });
    ASSERT_TRUE(find(u"cmdTBURL")->isVisible());

    // The next search reads its first page as results: the not-found text counts again.
    search(QStringLiteral("乙店"));
    expectSearching();
    EXPECT_EQ(web->lastNavigation(), searchUrl(u"%E4%B9%99%E5%BA%97"));
    web->completeWith(QStringLiteral("没有找到相应的店铺信息"), { creditLink2 });
    EXPECT_EQ(boxTexts(), QStringList { notFoundBox });
    expectIdle(false);

    // A search started while a shop page is still awaited starts over; its results page is
    // read as such, and its shop link followed.
    search(QStringLiteral("丙店"));
    web->completeWith(QStringLiteral("共找到 1 家店铺"), { creditLink1, shopLink });
    ASSERT_TRUE(find(u"cmdTBCX")->isEnabled());
    search(QStringLiteral("丁店"));
    expectSearching();
    const QString otherShop = QStringLiteral("http://shop7.tb.example/");
    web->completeWith(QStringLiteral("共找到 1 家店铺"), { otherShop });
    EXPECT_EQ(web->lastNavigation(), otherShop);
    web->completeWith(QStringLiteral("店铺首页"), { creditLink3 });
    QTest::mouseClick(find(u"cmdTBURL"), Qt::LeftButton);
    EXPECT_EQ(seams.shell.targets, QStringList { creditLink3 });
    EXPECT_EQ(seams.dialogs.boxes.size(), 1);
}

// The one search through the real loader: the request as the server sees it, and the credit
// link read from the page's own markup.
TEST(ShopSearchEndToEnd, ResultsPageOffersItsCreditLink)
{
    FixtureServer server;
    server.setGbkPage(QStringLiteral("/browse/shop_search.htm"),
                      QStringLiteral("<html><body><p>共找到 1 家店铺</p>"
                                     "<a href=\"/help.htm\">帮助</a>"
                                     "<a href=\"javascript:void('rate.tb.example/user-rate')\">x</a>"
                                     "<a href=\"http://rate.tb.example/user-rate-42.htm\">信用评价</a>"
                                     "</body></html>"));
    TestSeams seams(server.host(), server.port());
    TbPanel panel(seams.context);
    panel.show();
    auto* link = panel.findChild<QPushButton*>(QStringLiteral("cmdTBURL"));
    panel.findChild<QLineEdit*>(QStringLiteral("txtTB"))->setText(QStringLiteral("某 店.铺"));
    QTest::mouseClick(panel.findChild<QPushButton*>(QStringLiteral("cmdTBCX")), Qt::LeftButton);

    ASSERT_TRUE(waitUntil([&] { return link->isVisible(); }));
    EXPECT_EQ(server.lastRequest().target,
              QStringLiteral("/browse/shop_search.htm?q=%E6%9F%90%E5%BA%97%E9%93%BA&title=title&nick=nick&tab=3&s=0"));
    EXPECT_EQ(panel.findChild<QLabel*>(QStringLiteral("lblTBZZ"))->text(), ready);
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(seams.shell.targets, QStringList { QStringLiteral("http://rate.tb.example/user-rate-42.htm") });
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
}

} // namespace
