#include "checks/site/errorbox.h"
#include "support/enablelog.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"
#include "support/recordingfetch.h"

#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

const QString gradeFailure
    = QStringLiteral("出现错误！错误原因：\r1.网址输入错误，请检查后重新输入！\r"
                     "2.VeldrinXMLhttp组件丢失，请重新下载！\r3.服务器繁忙或故障检修，请稍后再试！\r"
                     "4.网络不稳定或繁忙，请退出大量占用网络资源的程序！");
const QString countFailure
    = QStringLiteral("出现错误！错误原因：\r1.网址输入错误，请重新输入！\r"
                     "2.VeldrinXMLhttp组件丢失，请重新下载！\r3.服务器繁忙或维护检修，请稍后再试！\r"
                     "4.网络不稳定或繁忙，请退出大量占用网络资源的程序！");

struct PopularityPanel
{
    TestSeams seams;
    RecordingFetch fetch;
    BuiltPanel built;
    QLineEdit* box = nullptr;

    PopularityPanel()
    {
        fetch.install(seams.context);
        built = buildPanel(QStringLiteral("frmLiuXing"), seams.context);
        seams.dialogs.watched = built.panel.get();
        box = built.control<QLineEdit>(u"txtLiuXing");
    }
    QString gradeUrl(const QString& address) const
    {
        return seams.context.services[Service::SearchEngineA].url(u"/web?query=" + address);
    }
    QString countUrl(const QString& encodedAddress) const
    {
        return seams.context.services[Service::SearchEngineB].url(u"/s?wd=site%3A" + encodedAddress);
    }
    void click(const char16_t* button, const QString& address)
    {
        box->setText(address);
        QTest::mouseClick(built.control<QPushButton>(button), Qt::LeftButton);
    }
    QString shown(const char16_t* name) const { return built.control<QLabel>(name)->text(); }
    bool allEnabled() const
    {
        return box->isEnabled() && built.control(u"cmdLiuXingChaXun")->isEnabled()
            && built.control(u"cmdShouLuChaXun")->isEnabled();
    }
};

TEST(LiuXingPanel, PopularityTakesOffTheSchemeAndRefusesShortAddresses)
{
    PopularityPanel p;
    p.click(u"cmdLiuXingChaXun", QStringLiteral("http://www.x.com"));
    EXPECT_EQ(p.box->text(), QStringLiteral("www.x.com"));
    EXPECT_EQ(p.fetch.urls(), QStringList({ p.gradeUrl(QStringLiteral("www.x.com")) }));

    // Five characters once the scheme is gone: refused, and the box emptied.
    PopularityPanel shortOne;
    shortOne.click(u"cmdLiuXingChaXun", QStringLiteral("http://x.com"));
    ASSERT_EQ(shortOne.seams.dialogs.boxes.size(), 1);
    expectErrorBox(shortOne.seams.dialogs.boxes[0], QStringLiteral("网址错误！"));
    EXPECT_TRUE(shortOne.box->text().isEmpty());
    EXPECT_TRUE(shortOne.fetch.urls().isEmpty());
    EXPECT_TRUE(shortOne.allEnabled());

    PopularityPanel sixCharacters;
    sixCharacters.click(u"cmdLiuXingChaXun", QStringLiteral("ab.com"));
    EXPECT_EQ(sixCharacters.fetch.urls(), QStringList({ sixCharacters.gradeUrl(QStringLiteral("ab.com")) }));

    // The index count alone sends the address as typed, scheme and all.
    PopularityPanel count;
    count.click(u"cmdShouLuChaXun", QStringLiteral("http://www.x.com"));
    EXPECT_EQ(count.box->text(), QStringLiteral("http://www.x.com"));
    EXPECT_EQ(count.fetch.urls(), QStringList({ count.countUrl(QStringLiteral("http%3A%2F%2Fwww.x.com")) }));
}

TEST(LiuXingPanel, EnterRunsThePopularityThenTheIndexCount)
{
    PopularityPanel p;
    p.fetch.setPage(p.gradeUrl(QStringLiteral("www.x.com")), QStringLiteral("搜狗评级:86/100"));
    p.fetch.setPage(p.countUrl(QStringLiteral("www.x.com")), QStringLiteral("找到相关网页约12,300篇，用时0.03秒"));
    p.box->setText(QStringLiteral("http://www.x.com"));
    QTest::keyClick(p.box, Qt::Key_Return);
    EXPECT_EQ(p.fetch.urls(),
              QStringList({ p.gradeUrl(QStringLiteral("www.x.com")), p.countUrl(QStringLiteral("www.x.com")) }));
    EXPECT_EQ(p.shown(u"lblLiuXing"), QStringLiteral("网站流行度：86 分"));
    EXPECT_EQ(p.shown(u"lblShouLu"), QStringLiteral("收录数：12,300"));
    EXPECT_EQ(p.shown(u"lblLiuXingZZ"), QStringLiteral("查询完毕"));

    // A refused popularity lookup empties the box; the index count then asks for the empty one.
    PopularityPanel refused;
    refused.box->setText(QStringLiteral("x.com"));
    QTest::keyClick(refused.box, Qt::Key_Return);
    EXPECT_EQ(refused.fetch.urls(), QStringList({ refused.countUrl(QString()) }));
}

enum class Lookup
{
    Grade,
    Count
};

// Runs one lookup for www.x.com, its engine answering `page` (null: the fetch fails).
void runWith(PopularityPanel& p, Lookup lookup, const char16_t* page)
{
    const bool grade = lookup == Lookup::Grade;
    const QString address = QStringLiteral("www.x.com");
    const QString url = grade ? p.gradeUrl(address) : p.countUrl(address);
    if (page)
        p.fetch.setPage(url, str(page));
    else
        p.fetch.setFailure(url);
    p.click(grade ? u"cmdLiuXingChaXun" : u"cmdShouLuChaXun", address);
}

struct PageCase
{
    Lookup lookup;
    const char16_t* name;
    const char16_t* page; // null: the fetch fails
    const char16_t* caption;
    bool failed;
};

// Each lookup writes only its own label and, on failure, shows its own box with the panel
// enabled behind it.
TEST(LiuXingPanel, EachLookupShowsItsValueAsCutOrItsOwnFailure)
{
    const PageCase cases[] = {
        { Lookup::Grade, u"whole grade", u"评价\r\n搜狗评级:86/100\r\n", u"网站流行度：86 分", false },
        // The full-width colon is not the marker; its grade is not the site's.
        { Lookup::Grade, u"decoy first", u"搜狗评级：99/100\r\n搜狗评级:86/100", u"网站流行度：86 分", false },
        { Lookup::Grade, u"fractional grade", u"搜狗评级:86.5/100", u"网站流行度：", false },
        { Lookup::Grade, u"no /100", u"搜狗评级:86", u"网站流行度：没有找到该网站的信息", false },
        { Lookup::Grade, u"no marker", u"搜狗评级：86/100", u"网站流行度：没有找到该网站的信息", false },
        { Lookup::Grade, u"not a number", u"搜狗评级:八十/100", u"网站流行度：", true },
        { Lookup::Grade, u"markers the wrong way round", u"86/100 搜狗评级:", u"网站流行度：", true },
        { Lookup::Grade, u"grade fetch fails", nullptr, u"网站流行度：", true },
        { Lookup::Count, u"count", u"百度一下\r\n找到相关网页约12,300篇，用时0.03秒\r\n", u"收录数：12,300", false },
        { Lookup::Count, u"no start marker", u"约12,300篇，用时0.03秒", u"收录数：", true },
        { Lookup::Count, u"no end marker", u"找到相关网页约12,300篇", u"收录数：", true },
        { Lookup::Count, u"count fetch fails", nullptr, u"收录数：", true },
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(str(c.name).toStdString());
        PopularityPanel p;
        const bool grade = c.lookup == Lookup::Grade;
        const char16_t* label = grade ? u"lblLiuXing" : u"lblShouLu";
        const char16_t* otherLabel = grade ? u"lblShouLu" : u"lblLiuXing";
        p.built.control<QLabel>(label)->setText(QStringLiteral("旧结果"));
        p.built.control<QLabel>(otherLabel)->setText(QStringLiteral("另一个结果"));
        runWith(p, c.lookup, c.page);

        EXPECT_EQ(p.shown(label), str(c.caption));
        EXPECT_EQ(p.shown(otherLabel), QStringLiteral("另一个结果"));
        EXPECT_EQ(p.shown(u"lblLiuXingZZ"), c.failed ? QStringLiteral("出现错误") : QStringLiteral("查询完毕"));
        EXPECT_TRUE(p.allEnabled());
        ASSERT_EQ(p.seams.dialogs.boxes.size(), c.failed ? 1 : 0);
        if (c.failed) {
            const ShownBox& box = p.seams.dialogs.boxes[0];
            expectErrorBox(box, grade ? gradeFailure : countFailure);
            EXPECT_TRUE(box.seen(u"txtLiuXing").enabled && box.seen(u"cmdLiuXingChaXun").enabled
                        && box.seen(u"cmdShouLuChaXun").enabled);
            EXPECT_EQ(box.seen(u"lblLiuXingZZ").text, QStringLiteral("出现错误"));
        }
    }
}

// Both buttons and the box are disabled and enabled again in the order each way out of each
// lookup gives: the popularity lookup without a grade gives its own button back first.
TEST(LiuXingPanel, EveryWayOutEnablesThePanelInItsOrder)
{
    const QStringList popularityBusy
        = { QStringLiteral("cmdLiuXingChaXun-"), QStringLiteral("cmdShouLuChaXun-"), QStringLiteral("txtLiuXing-") };
    const QStringList countBusy
        = { QStringLiteral("cmdShouLuChaXun-"), QStringLiteral("cmdLiuXingChaXun-"), QStringLiteral("txtLiuXing-") };
    const QStringList ownButtonFirst
        = { QStringLiteral("cmdLiuXingChaXun+"), QStringLiteral("cmdShouLuChaXun+"), QStringLiteral("txtLiuXing+") };
    const QStringList countButtonFirst
        = { QStringLiteral("cmdShouLuChaXun+"), QStringLiteral("cmdLiuXingChaXun+"), QStringLiteral("txtLiuXing+") };
    struct Row
    {
        Lookup lookup;
        const char16_t* name;
        const char16_t* page; // null: the fetch fails
        QStringList changes;
    };
    const Row rows[] = {
        { Lookup::Grade, u"grade", u"搜狗评级:86/100", popularityBusy + countButtonFirst },
        { Lookup::Grade, u"no grade", u"搜狗评级:86", popularityBusy + ownButtonFirst },
        { Lookup::Grade, u"grade fetch fails", nullptr, popularityBusy + countButtonFirst },
        { Lookup::Count, u"count", u"找到相关网页约12篇，用时0.03秒", countBusy + countButtonFirst },
        { Lookup::Count, u"count fetch fails", nullptr, countBusy + countButtonFirst },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(str(row.name).toStdString());
        PopularityPanel p;
        EnableLog log({ p.box, p.built.control(u"cmdLiuXingChaXun"), p.built.control(u"cmdShouLuChaXun") });
        runWith(p, row.lookup, row.page);
        EXPECT_EQ(log.changes, row.changes);
    }
}

TEST(LiuXingPanel, BothLookupsAskTheirEnginesEndToEnd)
{
    FixtureServer server;
    server.setGbkPage(QStringLiteral("/web"), QStringLiteral("<p>搜狗评级:86/100</p>"));
    server.setGbkPage(QStringLiteral("/s"), QStringLiteral("<p>百度为您找到相关网页约12,300篇，用时0.03秒</p>"));
    TestSeams seams(server.host(), server.port());
    BuiltPanel built = buildPanel(QStringLiteral("frmLiuXing"), seams.context);
    auto* box = built.control<QLineEdit>(u"txtLiuXing");
    box->setText(QStringLiteral("www.x.com"));
    QTest::keyClick(box, Qt::Key_Return);

    const QList<FixtureServer::Request> requests = server.requests();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[0].target, QStringLiteral("/web?query=www.x.com"));
    // The operator's colon goes out encoded, byte for byte as written.
    EXPECT_EQ(requests[1].target, QStringLiteral("/s?wd=site%3Awww.x.com"));
    EXPECT_EQ(built.control<QLabel>(u"lblLiuXing")->text(), QStringLiteral("网站流行度：86 分"));
    EXPECT_EQ(built.control<QLabel>(u"lblShouLu")->text(), QStringLiteral("收录数：12,300"));
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
}

} // namespace
