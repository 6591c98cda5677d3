#include "app/form1.h"
#include "support/printers.h"
#include "support/recorders.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace veldrin;

using veldrin::test::str;

namespace {

class LinksTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ServiceTable& services = seams.context.services;
        services[Service::ReportCentre] = Endpoint { QStringLiteral("http"), QStringLiteral("report.test"), 0 };
        services[Service::Postcode] = Endpoint { QStringLiteral("http"), QStringLiteral("post.test"), 0 };
        services[Service::FileScanner] = Endpoint { QStringLiteral("https"), QStringLiteral("scan.test"), 0 };
        services[Service::MakerSite] = Endpoint { QStringLiteral("http"), QStringLiteral("maker.test"), 8080 };
        services.maker
            = MakerInfo { QStringLiteral("help@maker.test"), QStringLiteral("123456"), QStringLiteral("MakerSite") };
        window = std::make_unique<Form1>(seams.context);
        window->show();
        ASSERT_TRUE(test::waitUntil([&] { return window->isVisible(); }));
    }

    template<typename T> T* find(const QString& name) const
    {
        T* object = window->findChild<T*>(name);
        EXPECT_NE(object, nullptr) << name.toStdString();
        return object;
    }

    // Uses the control as a user would: a menu item is chosen, a button or label clicked.
    void use(const QString& name)
    {
        if (auto* action = window->findChild<QAction*>(name)) {
            action->trigger();
        } else if (auto* button = window->findChild<QPushButton*>(name)) {
            QTest::mouseClick(button, Qt::LeftButton);
        } else if (auto* label = window->findChild<QLabel*>(name)) {
            QTest::mouseClick(label, Qt::LeftButton);
        } else {
            ADD_FAILURE() << "no control " << name.toStdString();
        }
    }

    test::TestSeams seams;
    std::unique_ptr<Form1> window;
};

TEST_F(LinksTest, EveryLinkHandsItsTargetToTheShell)
{
    struct Row
    {
        const char16_t* control;
        const char16_t* caption;
        const char16_t* target;
    };
    const Row rows[] = {
        { u"mnuLaJiEmail", u"举报垃圾邮件", u"http://report.test/jvbao_mail.php" },
        { u"mnuEYiSoft", u"举报恶意软件", u"http://report.test/jvbao_soft.php" },
        { u"mnuWebSite", u"举报恶意网站", u"http://report.test/jvbao_web.php" },
        { u"mnuBlog", u"举报博客", u"http://report.test/jvbao_blog.php" },
        { u"mnuBBS", u"举报论坛(bbs)", u"http://report.test/jvbao_bbs.php" },
        { u"mnuInfo", u"举报即时消息", u"http://report.test/jvbao_instant.php" },
        { u"mnuQiTa", u"举报其它不良与垃圾信息", u"http://report.test/jvbao_other1.php" },
        { u"mnuLJDX", u"举报垃圾短信", u"http://report.test/jvbao_sms.php" },
        { u"mnuYDSR", u"举报移动电话网骚扰电话", u"http://report.test/jvbao_tel1.php" },
        { u"mnuWAP", u"举报WAP", u"http://report.test/jvbao_wap.php" },
        { u"mnuCX", u"举报彩信", u"http://report.test/jvbao_mms.php" },
        { u"mnuVIR", u"举报IVR", u"http://report.test/jvbao_ivr.php" },
        { u"mnuCL", u"举报彩铃", u"http://report.test/jvbao_crbt.php" },
        { u"mnuYDLAJI", u"举报其它移动电话网不良与垃圾信息", u"http://report.test/jvbao_other2.php" },
        { u"mnuSRDH", u"举报固定网骚扰电话", u"http://report.test/jvbao_tel2.php" },
        { u"mnuSXT", u"举报声讯台", u"http://report.test/jvbao_voice.php" },
        { u"mnuCZ", u"举报垃圾传真", u"http://report.test/jvbao_fax.php" },
        { u"mnuGDI", u"举报其它固定网不良与垃圾信息", u"http://report.test/jvbao_other3.php" },
        { u"mnuQiTaInfo", u"举报其它不良与垃圾信息", u"http://report.test/jvbao_other4.php" },
        { u"Command11", u"邮编查询", u"http://post.test/post/" },
        { u"mnuFileSafe", u"文件安全检查", u"https://scan.test/" },
        { u"mnuWeb", u"本软件网站", u"http://maker.test:8080/" },
        { u"Label21", u"邮箱：help@maker.test", u"mailto:help@maker.test" },
        { u"Label6", u"在线支持QQ：123456", u"Tencent://Message/?Uin=123456&websiteName=MakerSite&Menu=yes" },
    };
    for (const Row& row : rows) {
        const QString name = str(row.control);
        SCOPED_TRACE(name.toStdString());
        QString caption;
        if (auto* action = window->findChild<QAction*>(name))
            caption = action->text();
        else if (auto* button = window->findChild<QPushButton*>(name))
            caption = button->text();
        else if (auto* label = window->findChild<QLabel*>(name))
            caption = label->text();
        EXPECT_EQ(caption, str(row.caption));

        seams.shell.targets.clear();
        use(name);
        EXPECT_EQ(seams.shell.targets, QStringList { str(row.target) });
    }
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    EXPECT_EQ(seams.process.endCount, 0);
}

TEST_F(LinksTest, LinkToolsLeaveTheShownPanelAlone)
{
    QTest::mouseClick(find<QPushButton>(QStringLiteral("cmdIP")), Qt::LeftButton);
    auto* ipBox = find<QWidget>(QStringLiteral("txtIP"));
    QTest::keyClicks(ipBox, QStringLiteral("1.2.3.4"));
    for (const char16_t* name : { u"mnuFileSafe", u"Command11" }) {
        use(str(name));
        EXPECT_TRUE(find<QWidget>(QStringLiteral("frmIP"))->isVisible());
        EXPECT_FALSE(find<QWidget>(QStringLiteral("Picture1"))->isVisible());
        EXPECT_EQ(ipBox->property("text").toString(), QStringLiteral("1.2.3.4"));
    }
    EXPECT_EQ(seams.shell.targets.size(), 2);
}

TEST_F(LinksTest, MenuBarHoldsItsMenusInOrder)
{
    struct Menu
    {
        const char16_t* name;
        const char16_t* caption;
        QList<const char16_t*> entries; // items, separators and submenus by name
    };
    const Menu menus[] = {
        { u"mnuFile", u"文件", { u"mnuServer", u"mnuEnd" } },
        { u"mnuJB", u"举报", { u"mnuInt", u"mnuYD", u"mnuDHBLXX", u"mnuQT" } },
        { u"mnuInt",
          u"互联网不良与垃圾信息",
          { u"mnuLaJiEmail", u"mnuEYiSoft", u"mnuWebSite", u"mnuBlog", u"mnuBBS", u"mnuInfo", u"mnuQiTa" } },
        { u"mnuYD",
          u"移动电话网不良与垃圾信息",
          { u"mnuLJDX", u"mnuYDSR", u"mnuWAP", u"mnuCX", u"mnuVIR", u"mnuCL", u"mnuYDLAJI" } },
        { u"mnuDHBLXX", u"固定电话网不良与垃圾信息", { u"mnuSRDH", u"mnuSXT", u"mnuCZ", u"mnuGDI" } },
        { u"mnuQT", u"其他举报", { u"mnuQiTaInfo" } },
        { u"mnuHelp", u"帮助", { u"mnuHelp1", u"mnuWeb", u"mnuQQ", u"mnuF2", u"mnuUpdate", u"mnuF3", u"mnuAbout" } },
    };
    QStringList barMenus;
    for (QAction* action : window->menuBar()->actions())
        barMenus << (action->menu() ? action->menu()->objectName() : action->objectName());
    EXPECT_EQ(barMenus,
              (QStringList { QStringLiteral("mnuFile"), QStringLiteral("mnuJB"), QStringLiteral("mnuHelp") }));

    for (const Menu& menu : menus) {
        auto* qmenu = find<QMenu>(str(menu.name));
        ASSERT_NE(qmenu, nullptr);
        EXPECT_EQ(qmenu->title(), str(menu.caption));
        QStringList entries;
        for (QAction* action : qmenu->actions())
            entries << (action->menu() ? action->menu()->objectName() : action->objectName());
        QStringList expected;
        for (const char16_t* entry : menu.entries)
            expected << str(entry);
        EXPECT_EQ(entries, expected) << QString::fromUtf16(menu.name).toStdString();
    }
    for (const char16_t* separator : { u"mnuF2", u"mnuF3" })
        EXPECT_TRUE(find<QAction>(str(separator))->isSeparator());
    EXPECT_EQ(find<QAction>(QStringLiteral("mnuServer"))->text(), QStringLiteral("当前使用服务器服务器"));
    EXPECT_EQ(find<QAction>(QStringLiteral("mnuEnd"))->text(), QStringLiteral("退出"));
    EXPECT_EQ(find<QAction>(QStringLiteral("mnuQQ"))->text(), QStringLiteral("联系我们"));
    EXPECT_EQ(find<QAction>(QStringLiteral("mnuUpdate"))->text(), QStringLiteral("在线升级"));
    EXPECT_EQ(find<QAction>(QStringLiteral("mnuAbout"))->text(), QStringLiteral("关于"));
}

TEST_F(LinksTest, ServerItemAndMenuTitlesDoNothing)
{
    find<QAction>(QStringLiteral("mnuServer"))->trigger();
    for (const char16_t* name : { u"mnuFile", u"mnuJB", u"mnuInt", u"mnuYD", u"mnuDHBLXX", u"mnuQT", u"mnuHelp" })
        find<QMenu>(str(name))->menuAction()->trigger();
    EXPECT_TRUE(seams.shell.targets.isEmpty());
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
    EXPECT_EQ(seams.process.endCount, 0);
}

TEST_F(LinksTest, ContactBoxShowsNumberAndMail)
{
    use(QStringLiteral("mnuQQ"));
    ASSERT_EQ(seams.dialogs.boxes.size(), 1);
    EXPECT_EQ(seams.dialogs.boxes[0].style, MsgInformation);
    EXPECT_EQ(seams.dialogs.boxes[0].title, QStringLiteral("联系方式"));
    EXPECT_EQ(seams.dialogs.boxes[0].text, QStringLiteral("QQ:123456，Email：help@maker.test"));
    EXPECT_TRUE(seams.shell.targets.isEmpty());
}

TEST_F(LinksTest, HelpFileOpensWhenPresentAndExplainsWhenMissing)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    seams.context.programFolder = folder.path();

    use(QStringLiteral("mnuHelp1"));
    EXPECT_TRUE(seams.shell.targets.isEmpty());
    ASSERT_EQ(seams.dialogs.boxes.size(), 1);
    EXPECT_EQ(seams.dialogs.boxes[0].style, MsgCritical);
    EXPECT_EQ(seams.dialogs.boxes[0].title, QStringLiteral("错误"));
    EXPECT_EQ(seams.dialogs.boxes[0].text,
              QStringLiteral("无法打开帮助文件！错误原因：\r1.帮助文件不存在、被移动或被改名，请重新下载本软件！\r"
                             "2.帮助文件损坏，无法打开，请重新下载！\r"
                             "3.硬盘出现坏道、坏扇区、文件系统错误，请检查磁盘问题！\r"
                             "4.系统繁忙，暂时无法打开，请稍后再试！"));

    // A folder by the name is no help file either.
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("help.chm")));
    use(QStringLiteral("mnuHelp1"));
    EXPECT_EQ(seams.dialogs.boxes.size(), 2);
    EXPECT_TRUE(seams.shell.targets.isEmpty());
    ASSERT_TRUE(QDir(folder.path()).rmdir(QStringLiteral("help.chm")));

    QFile help(folder.filePath(QStringLiteral("help.chm")));
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.write("ITSF");
    help.close();
    use(QStringLiteral("mnuHelp1"));
    EXPECT_EQ(seams.shell.targets, QStringList { folder.filePath(QStringLiteral("help.chm")) });
    EXPECT_EQ(seams.dialogs.boxes.size(), 2);
}

} // namespace
