#include "checks/site/errorbox.h"
#include "support/enablelog.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"
#include "support/recordingfetch.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

struct RankingPanel
{
    TestSeams seams;
    RecordingFetch fetch;
    BuiltPanel built;
    QLineEdit* box = nullptr;
    QPushButton* button = nullptr;

    RankingPanel()
    {
        fetch.install(seams.context);
        built = buildPanel(QStringLiteral("frmRenQi"), seams.context);
        seams.dialogs.watched = built.panel.get();
        box = built.control<QLineEdit>(u"txtRenQi");
        button = built.control<QPushButton>(u"cmdRenQiChaxun");
    }
    QString url(const QString& address) const
    {
        return seams.context.services[Service::TrafficRank].url(u"/?domain=" + address);
    }
    void query(const QString& address)
    {
        box->setText(address);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QString shown(const char16_t* name) const { return built.control<QLabel>(name)->text(); }
};

TEST(RenQiPanel, StartsWithItsCaptions)
{
    RankingPanel p;
    EXPECT_EQ(p.shown(u"lblRenQi"), QStringLiteral("全球流量排名："));
    EXPECT_EQ(p.shown(u"lblZG"), QStringLiteral("中国流量排名："));
    EXPECT_TRUE(p.shown(u"lblRenQiJS").startsWith(QStringLiteral("    本功能")));
    EXPECT_TRUE(p.shown(u"lblRenQiZZ").isEmpty());
}

// A refused address never reaches the service and leaves an empty, usable box.
TEST(RenQiPanel, RefusesShortAndNonWwwAddressesAndEmptiesTheBox)
{
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        { u"www.x", u"请输入正确的网址！" },
        { u"WWW.x.com", u"错误！错误原因：\r1.输入的网址必须是www开头，不能查询旗下网址，请检查后再试！" },
        { u"http://www.x.com", u"错误！错误原因：\r1.输入的网址必须是www开头，不能查询旗下网址，请检查后再试！" },
    };
    for (const auto& [typed, text] : cases) {
        SCOPED_TRACE(str(typed).toStdString());
        RankingPanel p;
        p.query(str(typed));
        ASSERT_EQ(p.seams.dialogs.boxes.size(), 1);
        expectErrorBox(p.seams.dialogs.boxes[0], str(text));
        EXPECT_TRUE(p.fetch.urls().isEmpty());
        EXPECT_TRUE(p.box->text().isEmpty());
        EXPECT_TRUE(p.box->isEnabled() && p.button->isEnabled());
    }

    RankingPanel sixCharacters;
    sixCharacters.query(QStringLiteral("www.xy"));
    EXPECT_EQ(sixCharacters.fetch.urls(), QStringList({ sixCharacters.url(QStringLiteral("www.xy")) }));
}

struct PageCase
{
    const char16_t* name;
    const char16_t* page; // null: the fetch fails
    const char16_t* global;
    const char16_t* china;
    bool failed;
};

TEST(RenQiPanel, CutsBothRankingsOrFailsWithThePanelEnabled)
{
    const PageCase cases[] = {
        { u"worked cut", u"排名\r\n全球综合排名第 1234 位，中文排名第 56 位。\r\n", u"全球流量排名：第 1234 名",
          u"中国流量排名：第 56 名", false },
        { u"no data", u"全球综合排名第 没有排名数据 位，中文排名第 没有排名数据 位。", u"全球流量排名：查无资料",
          u"中国流量排名：查无资料", false },
        { u"last occurrence wins",
          u"全球综合排名第 1 位，中文排名第 2 位。\r\n全球综合排名第 30 位，中文排名第 40 位。",
          u"全球流量排名：第 30 名", u"中国流量排名：第 40 名", false },
        { u"no end marker", u"全球综合排名第 1234 位，中文排名第 56", u"全球流量排名：出错", u"中国流量排名：出错",
          true },
        // Without its start marker, the text before the middle marker is no ranking.
        { u"no start marker", u"abcdefghij 位，中文排名第 56 位。", u"全球流量排名：出错", u"中国流量排名：出错",
          true },
        { u"fetch fails", nullptr, u"全球流量排名：出错", u"中国流量排名：出错", true },
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(str(c.name).toStdString());
        RankingPanel p;
        const QString address = QStringLiteral("www.x.com");
        if (c.page)
            p.fetch.setPage(p.url(address), str(c.page));
        else
            p.fetch.setFailure(p.url(address));
        p.query(address);

        EXPECT_EQ(p.shown(u"lblRenQi"), str(c.global));
        EXPECT_EQ(p.shown(u"lblZG"), str(c.china));
        EXPECT_EQ(p.shown(u"lblRenQiZZ"), c.failed ? QStringLiteral("出现错误") : QStringLiteral("查询完毕"));
        EXPECT_TRUE(p.box->isEnabled() && p.button->isEnabled());
        EXPECT_EQ(p.box->text(), address);
        ASSERT_EQ(p.seams.dialogs.boxes.size(), c.failed ? 1 : 0);
        if (c.failed) {
            const ShownBox& box = p.seams.dialogs.boxes[0];
            expectErrorBox(box,
                           QStringLiteral("出现错误！错误原因：\r1.网址输入错误，请检查后重新输入！\r"
                                          "2.VeldrinXMLhttp组件丢失，请重新下载！\r"
                                          "3.排名服务器繁忙或故障检修，请稍后再试！\r"
                                          "4.网络不稳定或繁忙，请退出大量占用网络资源的程序！"));
            EXPECT_TRUE(box.seen(u"txtRenQi").enabled && box.seen(u"cmdRenQiChaxun").enabled);
            EXPECT_EQ(box.seen(u"lblRenQi").text, str(c.global));
        }
    }
}

// The button goes first, then the box, and both come back in that order, on a ranking and on
// a failure alike.
TEST(RenQiPanel, EnablesTheButtonThenTheBoxOnEveryWayOut)
{
    const char16_t* const pages[] = { u"全球综合排名第 1 位，中文排名第 2 位。", nullptr };
    for (const char16_t* page : pages) {
        SCOPED_TRACE(page ? "ranking" : "failure");
        RankingPanel p;
        const QString address = QStringLiteral("www.x.com");
        if (page)
            p.fetch.setPage(p.url(address), str(page));
        else
            p.fetch.setFailure(p.url(address));
        EnableLog log({ p.button, p.box });
        p.query(address);
        EXPECT_EQ(log.changes,
                  QStringList({ QStringLiteral("cmdRenQiChaxun-"), QStringLiteral("txtRenQi-"),
                                QStringLiteral("cmdRenQiChaxun+"), QStringLiteral("txtRenQi+") }));
    }
}

TEST(RenQiPanel, IsDisabledWhileTheServiceIsAsked)
{
    RankingPanel p;
    const QString address = QStringLiteral("www.x.com");
    p.fetch.setPage(p.url(address), QStringLiteral("全球综合排名第 1 位，中文排名第 2 位。"));
    p.fetch.hold();
    p.box->setText(address);
    bool seenBusy = false;
    QTimer::singleShot(0, p.built.panel.get(), [&] {
        seenBusy = !p.box->isEnabled() && !p.button->isEnabled()
            && p.shown(u"lblRenQiZZ") == QStringLiteral("正在查询该网站流量排名中...");
        p.fetch.release();
    });
    QTest::mouseClick(p.button, Qt::LeftButton);
    EXPECT_TRUE(seenBusy);
    EXPECT_EQ(p.shown(u"lblRenQiZZ"), QStringLiteral("查询完毕"));
}

TEST(RenQiPanel, RanksASiteFromTheServiceEndToEnd)
{
    FixtureServer server;
    server.setGbkPage(
        QStringLiteral("/"),
        QStringLiteral("<html><body><p>www.x.com 全球综合排名第 1234 位，中文排名第 56 位。</p></body></html>"));
    TestSeams seams(server.host(), server.port());
    BuiltPanel built = buildPanel(QStringLiteral("frmRenQi"), seams.context);
    built.control<QLineEdit>(u"txtRenQi")->setText(QStringLiteral("www.x.com"));
    QTest::mouseClick(built.control<QPushButton>(u"cmdRenQiChaxun"), Qt::LeftButton);

    EXPECT_EQ(server.lastRequest().target, QStringLiteral("/?domain=www.x.com"));
    EXPECT_EQ(built.control<QLabel>(u"lblRenQi")->text(), QStringLiteral("全球流量排名：第 1234 名"));
    EXPECT_EQ(built.control<QLabel>(u"lblZG")->text(), QStringLiteral("中国流量排名：第 56 名"));
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
}

} // namespace
