#include "app/systemcontext.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

using namespace veldrin;

namespace {

struct SeenBox
{
    bool shown = false;
    Qt::TextFormat format = Qt::AutoText;
    Qt::TextFormat labelFormat = Qt::AutoText;
    QString text;
    QString labelText;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Shows the production box and reads it while it is up (it is modal), then closes it.
SeenBox showAndRead(int style, const QString& title, const QString& text)
{
    SeenBox seen;
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&] {
        QMessageBox* box = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* shown = qobject_cast<QMessageBox*>(widget); shown && shown->isVisible())
                box = shown;
        }
        if (!box)
            return;
        reader.stop();
        seen.shown = true;
        seen.format = box->textFormat();
        seen.text = box->text();
        seen.title = box->windowTitle();
        seen.icon = box->icon();
        if (const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            seen.labelFormat = label->textFormat();
            seen.labelText = label->text();
        }
        box->done(QMessageBox::Ok);
    });
    reader.start(10);
    SystemDialogs dialogs;
    dialogs.messageBox(nullptr, style, title, text);
    return seen;
}

// Boxes quote page text, so nothing in them is read as markup: the version notice with a
// published version of "<b>5.0</b>" shows the tags as they came, and its line break stays.
TEST(SystemDialogs, BoxesShowTheirTextAsTyped)
{
    const SeenBox seen
        = showAndRead(MsgInformation, QStringLiteral("版本信息"),
                      QStringLiteral("您使用的Veldrin版本是：4.01，最新版本是：<b>5.0</b>，请及时更新。\r"
                                     "定期将软件升至最新版本，获取更多功能，杜绝软件漏洞！"));
    ASSERT_TRUE(seen.shown);
    const QString typed = QStringLiteral("您使用的Veldrin版本是：4.01，最新版本是：<b>5.0</b>，请及时更新。\n"
                                         "定期将软件升至最新版本，获取更多功能，杜绝软件漏洞！");
    EXPECT_EQ(seen.format, Qt::PlainText);
    EXPECT_EQ(seen.text, typed);
    EXPECT_EQ(seen.labelFormat, Qt::PlainText);
    EXPECT_EQ(seen.labelText, typed);
    EXPECT_EQ(seen.title, QStringLiteral("版本信息"));
    EXPECT_EQ(seen.icon, QMessageBox::Information);

    // Other boxes too, whatever their icon; a CR LF is one line break.
    const SeenBox failure = showAndRead(MsgCritical, QStringLiteral("错误"),
                                        QStringLiteral("出现错误！错误原因：\r\n1.<a href=\"x\">页面</a>&amp;"));
    ASSERT_TRUE(failure.shown);
    EXPECT_EQ(failure.format, Qt::PlainText);
    EXPECT_EQ(failure.labelText, QStringLiteral("出现错误！错误原因：\n1.<a href=\"x\">页面</a>&amp;"));
    EXPECT_EQ(failure.icon, QMessageBox::Critical);
}

} // namespace
