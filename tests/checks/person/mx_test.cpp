#include "support/fakeloaderpanel.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"

#include <gtest/gtest.h>
#include <iterator>

using namespace veldrin;
using namespace veldrin::test;

namespace {

const QString noResultBox = QStringLiteral("没有查询到结果，可能由于服务器问题或网络问题，请稍后重试！");
const QString closedMarker = QStringLiteral("抱歉，根据相关法律法规和政策，本吧暂不开放。");
const QString closedBox = QStringLiteral("抱歉，根据相关法律法规和政策，本明星信息暂不开放。");
const QString missingMarker = QStringLiteral("刘德华吧尚未建立");
const QString missingBox = QStringLiteral("此明星知名度过低或根本不存在！");

const QStringList idleCaptions = { QStringLiteral("局限性人气指标："), QStringLiteral("广泛性人气指标："),
                                   QStringLiteral("流行趋势硬指标："), QStringLiteral("流行趋势总指标：") };

// Each count line ends in one character that the cut leaves out ("人", or the blank before
// the line break).
const QString forumPage = QStringLiteral("刘德华吧\r\n"
                                         "本吧共有主题数12345个，贴子数678901篇，会员数4567人\r\n"
                                         "本吧粉丝：  23456 取消 查看本吧最新动态 \r\n"
                                         "最新帖子\r\n");

class CelebrityLookup : public ::testing::Test, protected FakeLoaderPanel
{
protected:
    CelebrityLookup()
        : FakeLoaderPanel(QStringLiteral("frmMX"), QStringLiteral("WebMX"))
    {
    }

    QLineEdit* input() const { return built.control<QLineEdit>(u"txtMXName"); }
    QPushButton* button() const { return built.control<QPushButton>(u"cmdMXCX"); }
    QString shown(const char16_t* name) const { return built.control<QLabel>(name)->text(); }
    // Topics, posts, the third count and fans, as the labels show them.
    QStringList indicators() const
    {
        return { shown(u"lblMX4"), shown(u"lblMX3"), shown(u"lblMX2"), shown(u"lblMX5") };
    }
    void query(const QString& name)
    {
        input()->setText(name);
        QTest::mouseClick(button(), Qt::LeftButton);
    }
    bool idle() const
    {
        return input()->isEnabled() && button()->isEnabled() && shown(u"lblMX6") == QStringLiteral("准备就绪");
    }
    void showOldIndicators()
    {
        for (const char16_t* name : { u"lblMX2", u"lblMX3", u"lblMX4", u"lblMX5" })
            built.control<QLabel>(name)->setText(QStringLiteral("上次"));
    }
};

TEST_F(CelebrityLookup, TheFourCountsAreCutFromTheForumPage)
{
    showOldIndicators();
    query(QStringLiteral("刘德华"));

    EXPECT_EQ(web->navigations,
              QStringList {
                  seams.context.services[Service::Forum].url(QStringLiteral("/f?kw=%E5%88%98%E5%BE%B7%E5%8D%8E")) });
    EXPECT_EQ(shown(u"lblMX6"), QStringLiteral("正在连接服务器..."));
    EXPECT_EQ(indicators(), idleCaptions);
    EXPECT_FALSE(input()->isEnabled());
    EXPECT_FALSE(button()->isEnabled());

    web->completeWith(forumPage);

    // The fan count loses its clutter and every blank, the caption's included.
    EXPECT_EQ(indicators(),
              (QStringList { QStringLiteral("局限性人气指标：12345#"), QStringLiteral("广泛性人气指标：678901#"),
                             QStringLiteral("流行趋势硬指标：4567#"), QStringLiteral("流行趋势总指标：23456#") }));
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    EXPECT_TRUE(idle());
}

TEST_F(CelebrityLookup, PageTextIsShownAsCutAndAsText)
{
    const std::pair<const char16_t*, QString> rows[] = {
        // The fan line is the page's last line: no line break follows it.
        { u"fan line last", QStringLiteral("共有主题数1个，贴子数2篇，会员数3人\r\n本吧粉丝：4人") },
        { u"markup as text", QStringLiteral("共有主题数<b>1</b>个，贴子数 2 篇，会员数3人\r\n本吧粉丝：4人\r\n") },
        // Clutter far longer than a label shows: the count is cleaned from the whole value, not
        // from the start of it that the label shows.
        { u"long clutter before the fan count",
          u"共有主题数1个，贴子数2篇，会员数3人\r\n本吧粉丝：" + QStringLiteral(" 取消").repeated(3000) + u"4人\r\n" },
    };
    const QStringList expected[] = {
        { QStringLiteral("局限性人气指标：1#"), QStringLiteral("广泛性人气指标：2#"),
          QStringLiteral("流行趋势硬指标：3#"), QStringLiteral("流行趋势总指标：4#") },
        { QStringLiteral("局限性人气指标：<b>1</b>#"), QStringLiteral("广泛性人气指标： 2 #"),
          QStringLiteral("流行趋势硬指标：3#"), QStringLiteral("流行趋势总指标：4#") },
        { QStringLiteral("局限性人气指标：1#"), QStringLiteral("广泛性人气指标：2#"),
          QStringLiteral("流行趋势硬指标：3#"), QStringLiteral("流行趋势总指标：4#") },
    };
    static_assert(std::size(rows) == std::size(expected));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const std::string label = str(rows[i].first).toStdString();
        query(QStringLiteral("某人"));
        web->completeWith(rows[i].second);
        EXPECT_EQ(indicators(), expected[i]) << label;
        EXPECT_TRUE(seams.dialogs.boxes.isEmpty()) << label;
        EXPECT_TRUE(idle()) << label;
    }
    EXPECT_EQ(built.control<QLabel>(u"lblMX4")->textFormat(), Qt::PlainText);
}

TEST_F(CelebrityLookup, RefusedOrUnreadablePagesShowTheirBox)
{
    struct Row
    {
        const char16_t* name;
        QString page; // null: the load fails
        const QString* box;
        qsizetype written; // indicators written before the box
    };
    const Row rows[] = {
        // The closed forum wins over the missing one, wherever each stands.
        { u"both refusals", missingMarker + u"\r\n" + closedMarker + u"\r\n" + forumPage, &closedBox, 0 },
        { u"missing forum", missingMarker + u"\r\n" + forumPage, &missingBox, 0 },
        { u"load failed", QString(), &noResultBox, 0 },
        { u"no topic marker", QStringLiteral("主题数12345个，贴子数678901篇，会员数4567人\r\n本吧粉丝：1人\r\n"),
          &noResultBox, 0 },
        { u"no post end", QStringLiteral("共有主题数12345个，贴子数678901\r\n本吧粉丝：1人\r\n"), &noResultBox, 1 },
        { u"no 数 after the posts", QStringLiteral("共有主题数1个，贴子数2篇，会员3人\r\n本吧粉丝：1人\r\n"),
          &noResultBox, 2 },
        { u"no fan marker", QStringLiteral("共有主题数1个，贴子数2篇，会员数3人\r\n粉丝：1人\r\n"), &noResultBox, 3 },
        // A line break right after the start leaves a negative count.
        { u"empty third count line", QStringLiteral("共有主题数1个，贴子数2篇，会员数\r\n本吧粉丝：1人\r\n"),
          &noResultBox, 2 },
    };
    for (const Row& row : rows) {
        const std::string label = str(row.name).toStdString();
        seams.dialogs.boxes.clear();
        showOldIndicators();
        query(QStringLiteral("刘德华"));
        if (row.page.isNull())
            web->failWith(QStringLiteral("refused"));
        else
            web->completeWith(row.page);

        ASSERT_EQ(seams.dialogs.boxes.size(), 1) << label;
        const ShownBox& box = seams.dialogs.boxes.first();
        EXPECT_EQ(box.text, *row.box) << label;
        EXPECT_EQ(box.style, MsgCritical) << label;
        EXPECT_EQ(box.title, QStringLiteral("错误")) << label;
        // The box comes while the page is being judged; the panel is given back after it.
        EXPECT_FALSE(box.seen(u"cmdMXCX").enabled) << label;
        EXPECT_EQ(box.seen(u"lblMX6").text, QStringLiteral("正在评估明星信息...")) << label;
        EXPECT_TRUE(idle()) << label;
        const QStringList shownNow = indicators();
        for (qsizetype i = 0; i < shownNow.size(); ++i) {
            if (i < row.written)
                EXPECT_NE(shownNow[i], idleCaptions[i]) << label << " indicator " << i;
            else
                EXPECT_EQ(shownNow[i], idleCaptions[i]) << label << " indicator " << i;
        }
    }
}

TEST_F(CelebrityLookup, EnterWhilePendingStartsNoSecondLoad)
{
    input()->setFocus();
    typeText(input(), QStringLiteral("Andy Lau&x"));
    QTest::keyClick(input(), Qt::Key_Return);
    QTest::keyClick(input(), Qt::Key_Return);
    QTest::keyClick(input(), Qt::Key_Return);

    EXPECT_EQ(web->navigations,
              QStringList { seams.context.services[Service::Forum].url(QStringLiteral("/f?kw=Andy%20Lau%26x")) });

    // A later page event of the same navigation finds no lookup waiting.
    web->completeWith(forumPage);
    web->completeWith(closedMarker);
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    EXPECT_EQ(shown(u"lblMX4"), QStringLiteral("局限性人气指标：12345#"));
}

TEST(CelebrityLookupEndToEnd, TheForumPageThroughTheRealLoader)
{
    FixtureServer server;
    server.setGbkPage(QStringLiteral("/f"),
                      QStringLiteral("<html><body><p>刘德华吧</p>"
                                     "<p>本吧共有主题数123个，贴子数456篇，会员数789人</p>"
                                     "<p>本吧粉丝：1000人</p><p>最新帖子</p></body></html>"));
    TestSeams seams(server.host(), server.port());
    BuiltPanel built = buildPanel(QStringLiteral("frmMX"), seams.context);
    built.control<QLineEdit>(u"txtMXName")->setText(QStringLiteral("刘德华"));
    QTest::mouseClick(built.control<QPushButton>(u"cmdMXCX"), Qt::LeftButton);

    ASSERT_TRUE(waitUntil([&] { return built.control<QPushButton>(u"cmdMXCX")->isEnabled(); }));
    EXPECT_EQ(server.lastRequest().target, QStringLiteral("/f?kw=%E5%88%98%E5%BE%B7%E5%8D%8E"));
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    EXPECT_EQ(built.control<QLabel>(u"lblMX4")->text(), QStringLiteral("局限性人气指标：123#"));
    EXPECT_EQ(built.control<QLabel>(u"lblMX3")->text(), QStringLiteral("广泛性人气指标：456#"));
    EXPECT_EQ(built.control<QLabel>(u"lblMX2")->text(), QStringLiteral("流行趋势硬指标：789#"));
    EXPECT_EQ(built.control<QLabel>(u"lblMX5")->text(), QStringLiteral("流行趋势总指标：1000#"));
    EXPECT_EQ(built.control<QLabel>(u"lblMX6")->text(), QStringLiteral("准备就绪"));
}

} // namespace
