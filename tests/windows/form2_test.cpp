#include "app/form1.h"
#include "app/pictures.h"
#include "support/recorders.h"
#include "windows/form2.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

using namespace veldrin;
using veldrin::test::str;

namespace {

const char16_t* const components[] = {
    u"Veldrin 4.0",          u"Veldrindll动态链接库 4.0", u"VeldrinActiveX控件 4.0",
    u"Veldrin核心组件 4.0",  u"手机归属查询组件 4.0",     u"IP地址查询组件 4.0",
    u"身份证查询组件 4.0",   u"域名信息查询组件 4.0",     u"文件安全检查组件 4.0",
    u"主机地址查询组件 4.0", u"网站流行查询组件 4.0",     u"网站主机数量查询 4.0",
    u"ICP证书查询组件 4.0",  u"工商查询组件 4.0",         u"Email和Tel查询组件 4.0",
    u"网址安全组件 4.0",     u"淘宝信用查询 4.0",         u"QQ在线查询 4.0",
    u"意见提交 4.0",         u"在线升级组件 4.0",         u"错误解决方案查询组件 4.0",
    u"举报组件 4.0",
};

QList<Form2*> openAboutWindows()
{
    QList<Form2*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Form2*>(widget); window != nullptr && window->isVisible())
            found.append(window);
    }
    return found;
}

QStringList listed(const Form2& window)
{
    QStringList items;
    const auto* list = window.findChild<QListWidget*>(QStringLiteral("List1"));
    for (int i = 0; list != nullptr && i < list->count(); ++i)
        items.append(list->item(i)->text());
    return items;
}

bool closed(QPointer<Form2>& window)
{
    return test::waitUntil([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window.isNull();
    });
}

// Opened twice while open: one window, its 22 items once each. Closed by its button and opened
// again: a fresh window with the same items; Esc closes it too.
TEST(AboutWindow, ListsTheComponentsOnceHoweverOftenOpened)
{
    test::TestSeams seams;
    Form1 main(seams.context);
    main.show();
    QStringList expected;
    for (const char16_t* item : components)
        expected.append(str(item));
    ASSERT_EQ(expected.size(), 22);
    auto* mnuAbout = main.findChild<QAction*>(QStringLiteral("mnuAbout"));
    ASSERT_NE(mnuAbout, nullptr);

    mnuAbout->trigger();
    mnuAbout->trigger();
    QList<Form2*> windows = openAboutWindows();
    ASSERT_EQ(windows.size(), 1);
    QPointer<Form2> about = windows[0];
    EXPECT_EQ(about->windowTitle(), QStringLiteral("关于"));
    EXPECT_EQ(about->parentWidget(), nullptr) << "no owner";
    EXPECT_EQ(listed(*about), expected);
    const struct
    {
        const char16_t* name;
        const char16_t* caption;
    } labels[] = {
        { u"Label1", u"产品名称：Veldrin" }, { u"Label2", u"产品版本：4.0" },      { u"Label5", u"已安装的组件：" },
        { u"Label7", u"产品图标：" },        { u"Label10", u"Veldrin开发组研发" },
    };
    for (const auto& label : labels) {
        auto* shown = about->findChild<QLabel*>(str(label.name));
        ASSERT_NE(shown, nullptr) << str(label.name).toStdString();
        EXPECT_EQ(shown->text(), str(label.caption));
    }
    for (const char16_t* name : { u"Label3", u"Label4", u"Label6" })
        EXPECT_FALSE(about->findChild<QLabel*>(str(name))->text().isEmpty()) << str(name).toStdString();
    auto* ok = about->findChild<QPushButton*>(QStringLiteral("Command1"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("确定"));
    EXPECT_TRUE(ok->isDefault());

    QTest::mouseClick(ok, Qt::LeftButton);
    ASSERT_TRUE(closed(about));
    EXPECT_TRUE(openAboutWindows().isEmpty());

    mnuAbout->trigger();
    windows = openAboutWindows();
    ASSERT_EQ(windows.size(), 1);
    about = windows[0];
    EXPECT_EQ(listed(*about), expected);
    // Enter runs the default button.
    QTest::keyClick(about, Qt::Key_Return);
    ASSERT_TRUE(closed(about));

    mnuAbout->trigger();
    about = openAboutWindows().value(0);
    ASSERT_FALSE(about.isNull());
    QTest::keyClick(about, Qt::Key_Escape);
    EXPECT_TRUE(closed(about));
    EXPECT_EQ(seams.process.endCount, 0);
}

// The product picture is the program's own shield, at the picture control's size, not one of
// the style's message-box icons.
TEST(AboutWindow, ShowsTheProgramsOwnIcon)
{
    test::TestSeams seams;
    Form2 about(seams.context);
    auto* Image1 = about.findChild<QLabel*>(QStringLiteral("Image1"));
    ASSERT_NE(Image1, nullptr);
    const QImage shown = Image1->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.size(), Image1->size());
    const int side = Image1->width();
    EXPECT_EQ(shown, programIcon().pixmap(side).toImage().convertToFormat(QImage::Format_ARGB32));
    EXPECT_NE(shown,
              about.style()
                  ->standardIcon(QStyle::SP_MessageBoxInformation)
                  .pixmap(side)
                  .toImage()
                  .convertToFormat(QImage::Format_ARGB32));
}

} // namespace
