#include "app/form1.h"
#include "support/panelkit.h"
#include "support/recorders.h"
#include "support/recordingfetch.h"
#include "windows/form5.h"
#include "windows/version.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace veldrin;
using veldrin::test::str;

namespace {

const QString connecting = QStringLiteral("正在连接到服务器...");
const QString idle = QStringLiteral("点击“检查”查看可用更新");
const QString failureText = QStringLiteral("检查更新失败！错误原因：\r"
                                           "1.网络不稳定，服务器繁忙，请退出其他大量占用网络资源程序！\r"
                                           "2.VeldrinXMLhttp组件丢失，请重新下载！\r"
                                           "Veldrin服务器出现问题，暂时无法响应您的请求，请稍后再试！");

// A version page as the maker publishes it, CR LF line breaks included.
QString versionPage(const QString& version, const QString& notes = QStringLiteral("修正了若干错误"))
{
    return u"Veldrin\r\nThe Newest Vision：" + version + u"########\r\n###Update Text###\r\n" + notes
        + u"\r\n#End#\r\n";
}

// The program's open windows of one kind.
template<class W> QList<W*> openWindows()
{
    QList<W*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<W*>(widget); window != nullptr && window->isVisible())
            found.append(window);
    }
    return found;
}

class UpdateWindowTest : public ::testing::Test
{
protected:
    UpdateWindowTest()
    {
        fetch.install(seams.context);
        main = std::make_unique<Form1>(seams.context);
        main->show();
    }

    QString pageUrl() const { return seams.context.services[Service::VersionPage].url(versionPagePath()); }

    // Chooses the help menu's update item; the one update window it shows.
    Form5* chooseUpdate()
    {
        main->findChild<QAction*>(QStringLiteral("mnuUpdate"))->trigger();
        const QList<Form5*> windows = openWindows<Form5>();
        EXPECT_EQ(windows.size(), 1);
        form5 = windows.value(0);
        if (form5)
            seams.dialogs.watched = form5;
        return form5;
    }

    template<class W = QWidget> W* find(const char16_t* name) const { return form5->findChild<W*>(str(name)); }
    QString text(const char16_t* label) const { return find<QLabel>(label)->text(); }
    bool enabled(const char16_t* name) const { return find(name)->isEnabled(); }

    void check() { QTest::mouseClick(find<QPushButton>(u"Command1"), Qt::LeftButton); }
    // A key pressed where the update window's focus is.
    void press(Qt::Key key)
    {
        QTest::keyClick(form5->focusWidget() != nullptr ? form5->focusWidget() : form5.data(), key);
    }

    void closeWindow()
    {
        QTest::mouseClick(find<QPushButton>(u"Command2"), Qt::LeftButton);
        QPointer<Form5> closing = form5;
        ASSERT_TRUE(test::waitUntil([&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return closing.isNull();
        }));
    }

    test::TestSeams seams;
    test::RecordingFetch fetch;
    std::unique_ptr<Form1> main;
    QPointer<Form5> form5;
};

TEST_F(UpdateWindowTest, OpensOwnerlessIdleAndFetchesNothing)
{
    ASSERT_NE(chooseUpdate(), nullptr);
    EXPECT_EQ(form5->windowTitle(), QStringLiteral("软件升级"));
    EXPECT_EQ(form5->parentWidget(), nullptr) << "no owner";
    EXPECT_EQ(text(u"Label1"),
              QStringLiteral("请点击“检查”检测更新，如果有更新，更新完成后，请将文件解压到原目录并覆盖旧版本，"
                             "然后重新运行本软件！如果存在更新请点击“下载新版本”下载。"));
    EXPECT_EQ(text(u"Label3"), idle);
    EXPECT_EQ(text(u"Label4"), QStringLiteral("本地版本：4.01"));
    EXPECT_EQ(text(u"Label5"), QStringLiteral("最新版本："));
    EXPECT_TRUE(find<QPlainTextEdit>(u"Text1")->toPlainText().isEmpty());
    EXPECT_EQ(find<QRadioButton>(u"Option1")->text(), QStringLiteral("网通用户"));
    EXPECT_EQ(find<QRadioButton>(u"Option2")->text(), QStringLiteral("电信用户"));
    EXPECT_TRUE(find<QRadioButton>(u"Option1")->isChecked());
    EXPECT_FALSE(find<QRadioButton>(u"Option2")->isChecked());
    EXPECT_EQ(find<QPushButton>(u"Command1")->text(), QStringLiteral("检查"));
    EXPECT_EQ(find<QPushButton>(u"Command2")->text(), QStringLiteral("取消"));
    EXPECT_EQ(find<QPushButton>(u"Command3")->text(), QStringLiteral("下载新版本"));
    EXPECT_TRUE(find<QPushButton>(u"Command1")->isDefault());
    EXPECT_TRUE(enabled(u"Command1"));
    EXPECT_FALSE(enabled(u"Command3"));
    EXPECT_TRUE(fetch.urls().isEmpty()) << "nothing is fetched before the check";
}

// The check's ends: up to date, newer (only a larger whole-number part), step 9 for any other
// number, and the failure box for a version that is no number or a page without "#End#".
TEST_F(UpdateWindowTest, CheckEndsByThePublishedVersion)
{
    // What the user sees at each end: the box (none when its text is empty), then the status
    // line and the two buttons, both behind the box and after it.
    struct End
    {
        int style;
        const char16_t* title;
        const char16_t* box;
        const char16_t* statusBehind;
        bool checkBehind;
        const char16_t* status;
        bool check;
        bool download;
    };
    // Up to date: the status and the button are ready before the box comes.
    const End upToDate { MsgInformation,
                         u"检测结果",
                         u"您使用的是最新版本！",
                         u"您的版本是最新版本，无需升级！",
                         true,
                         u"您的版本是最新版本，无需升级！",
                         true,
                         false };
    // Newer: the check stays disabled and the status is left as the check set it.
    const End newer { MsgInformation,
                      u"检测结果",
                      u"检测到新版本，请下载新版本！",
                      u"正在连接到服务器...",
                      false,
                      u"正在连接到服务器...",
                      false,
                      true };
    const End idleAgain { 0, nullptr, nullptr, nullptr, false, u"点击“检查”查看可用更新", true, false };
    // Failed: the box comes first; the status and the button follow it.
    const End failed { MsgExclamation, u"错误", nullptr, u"正在连接到服务器...", false, u"检查更新失败", true, false };
    struct Row
    {
        const char16_t* version;
        const End& end;
        bool hasEndMarker = true;
    };
    const Row rows[] = {
        { u"4.01", upToDate },          { u"5.0", newer },       { u"4.02", idleAgain }, { u"4.5", idleAgain },
        { u"\r\n4.01\r\n", idleAgain }, { u" 4.01", idleAgain }, { u"3.0", idleAgain },  { u"abc", failed },
        { u"4.01", failed, false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(str(row.version).toStdString() + (row.hasEndMarker ? "" : " without #End#"));
        QString page = versionPage(str(row.version), QStringLiteral("第一行\r\n第二行"));
        if (!row.hasEndMarker)
            page.remove(QStringLiteral("#End#"));
        fetch.setPage(pageUrl(), page);
        seams.dialogs.boxes.clear();
        const qsizetype fetchedBefore = fetch.urls().size();
        ASSERT_NE(chooseUpdate(), nullptr);
        check();

        // Without "#End#" the check fails before the version is shown.
        const bool versionShown = row.hasEndMarker;
        EXPECT_EQ(text(u"Label5"), versionShown ? u"最新版本：" + str(row.version) : QStringLiteral("最新版本："));
        EXPECT_EQ(find<QPlainTextEdit>(u"Text1")->toPlainText(),
                  versionShown ? QStringLiteral("第一行\n第二行") : QString());
        const End& end = row.end;
        if (end.title == nullptr) {
            EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
        } else {
            ASSERT_EQ(seams.dialogs.boxes.size(), 1);
            const test::ShownBox& box = seams.dialogs.boxes[0];
            EXPECT_EQ(box.style, end.style);
            EXPECT_EQ(box.title, str(end.title));
            EXPECT_EQ(box.text, end.box ? str(end.box) : failureText);
            EXPECT_EQ(box.seen(u"Label3").text, str(end.statusBehind));
            EXPECT_EQ(box.seen(u"Command1").enabled, end.checkBehind);
        }
        EXPECT_EQ(text(u"Label3"), str(end.status));
        EXPECT_EQ(enabled(u"Command1"), end.check);
        EXPECT_EQ(enabled(u"Command3"), end.download);
        EXPECT_EQ(fetch.urls().size(), fetchedBefore + 1);
        closeWindow();
    }
}

// The notes are cut two units inside their markers, counted in UTF-16 units: beside 😀 (one
// surrogate pair) each end takes half of it, and the box shows U+FFFD for each half.
TEST_F(UpdateWindowTest, NotesCutThroughACharacterShowAReplacementForTheHalf)
{
    fetch.setPage(pageUrl(),
                  QStringLiteral("The Newest Vision：4.5########\r\n###Update Text###\n😀修正了若干错误😀\n#End#"));
    ASSERT_NE(chooseUpdate(), nullptr);
    check();

    EXPECT_EQ(find<QPlainTextEdit>(u"Text1")->toPlainText(), str(u"\uFFFD修正了若干错误\uFFFD"));
    EXPECT_EQ(text(u"Label3"), idle);
    closeWindow();
}

// Offline the check fails and can be run again; with the page back it goes through.
TEST_F(UpdateWindowTest, OfflineThenRunAgain)
{
    fetch.setFailure(pageUrl());
    ASSERT_NE(chooseUpdate(), nullptr);
    check();
    ASSERT_EQ(seams.dialogs.boxes.size(), 1);
    EXPECT_EQ(seams.dialogs.boxes[0].text, failureText);
    EXPECT_EQ(text(u"Label3"), QStringLiteral("检查更新失败"));
    EXPECT_EQ(text(u"Label5"), QStringLiteral("最新版本："));
    ASSERT_TRUE(enabled(u"Command1"));

    fetch.setPage(pageUrl(), versionPage(QStringLiteral("4.02")));
    // Enter runs the default button, wherever the focus went while the check ran.
    press(Qt::Key_Return);
    EXPECT_EQ(fetch.urls().size(), 2);
    EXPECT_EQ(seams.dialogs.boxes.size(), 1);
    EXPECT_EQ(text(u"Label5"), QStringLiteral("最新版本：4.02"));
    EXPECT_EQ(text(u"Label3"), idle);
    EXPECT_EQ(find<QPlainTextEdit>(u"Text1")->toPlainText(), QStringLiteral("修正了若干错误"));
}

// A server error's page is no version page, even one that names a newer version: the check
// fails with its box. A "not found" page is still read as a page.
TEST_F(UpdateWindowTest, AServerErrorFailsTheCheckAndANotFoundPageIsRead)
{
    for (const long status : { 500L, 503L, 599L, 404L }) {
        SCOPED_TRACE(status);
        const bool serverError = status >= 500;
        fetch.setPage(pageUrl(), versionPage(QStringLiteral("5.0")), status);
        seams.dialogs.boxes.clear();
        ASSERT_NE(chooseUpdate(), nullptr);
        check();

        ASSERT_EQ(seams.dialogs.boxes.size(), 1);
        const test::ShownBox& box = seams.dialogs.boxes[0];
        if (serverError) {
            EXPECT_EQ(box.style, MsgExclamation);
            EXPECT_EQ(box.title, QStringLiteral("错误"));
            EXPECT_EQ(box.text, failureText);
            EXPECT_EQ(text(u"Label3"), QStringLiteral("检查更新失败"));
            EXPECT_EQ(text(u"Label5"), QStringLiteral("最新版本："));
            EXPECT_TRUE(find<QPlainTextEdit>(u"Text1")->toPlainText().isEmpty());
        } else {
            EXPECT_EQ(box.text, QStringLiteral("检测到新版本，请下载新版本！"));
            EXPECT_EQ(text(u"Label5"), QStringLiteral("最新版本：5.0"));
        }
        EXPECT_EQ(enabled(u"Command1"), serverError);
        EXPECT_EQ(enabled(u"Command3"), !serverError);
        closeWindow();
    }
}

// Enter, as the window system delivers it, runs the check from every control of the window; the
// notes box takes no line break from it.
TEST_F(UpdateWindowTest, EnterRunsTheCheckFromEveryControl)
{
    fetch.setPage(pageUrl(), versionPage(QStringLiteral("4.02")));
    ASSERT_NE(chooseUpdate(), nullptr);
    ASSERT_TRUE(test::waitUntil([&] { return QApplication::activeWindow() == form5; }));
    struct Row
    {
        const char16_t* control;
        Qt::Key key;
    };
    const Row rows[]
        = { { u"Text1", Qt::Key_Return },   { u"Text1", Qt::Key_Enter },     { u"Option1", Qt::Key_Return },
            { u"Option2", Qt::Key_Return }, { u"Command1", Qt::Key_Return }, { u"Command2", Qt::Key_Return } };
    for (const Row& row : rows) {
        SCOPED_TRACE(str(row.control).toStdString() + (row.key == Qt::Key_Enter ? " Enter" : " Return"));
        find(row.control)->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), find(row.control));
        find<QPlainTextEdit>(u"Text1")->setPlainText(QStringLiteral("旧"));
        const qsizetype fetchedBefore = fetch.urls().size();
        test::queueKey(form5, row.key, QStringLiteral("\r"));
        EXPECT_TRUE(test::waitUntil([&] { return fetch.urls().size() == fetchedBefore + 1; }));
        EXPECT_EQ(find<QPlainTextEdit>(u"Text1")->toPlainText(), QStringLiteral("修正了若干错误"));
        EXPECT_EQ(text(u"Label5"), QStringLiteral("最新版本：4.02"));
        EXPECT_EQ(text(u"Label3"), idle);
        EXPECT_TRUE(form5->isVisible());
    }
    EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
}

// One update window: chosen while it is open, the same window with its state; after closing, a
// fresh one. The download page goes to the shell once per click, from the update window.
TEST_F(UpdateWindowTest, OneWindowFreshAfterClosing)
{
    fetch.setPage(pageUrl(), versionPage(QStringLiteral("5.0")));
    ASSERT_NE(chooseUpdate(), nullptr);
    check();
    ASSERT_TRUE(enabled(u"Command3"));
    QTest::mouseClick(find<QPushButton>(u"Command3"), Qt::LeftButton);
    EXPECT_EQ(seams.shell.targets, QStringList { seams.context.services[Service::Download].url(downloadPagePath()) });
    EXPECT_EQ(seams.shell.owners, QList<QWidget*> { form5 });

    Form5* first = form5;
    ASSERT_EQ(chooseUpdate(), first);
    EXPECT_EQ(text(u"Label5"), QStringLiteral("最新版本：5.0"));
    EXPECT_TRUE(enabled(u"Command3"));
    EXPECT_FALSE(enabled(u"Command1"));
    EXPECT_EQ(seams.shell.targets.size(), 1);

    closeWindow();
    EXPECT_TRUE(openWindows<Form5>().isEmpty());
    ASSERT_NE(chooseUpdate(), nullptr);
    EXPECT_EQ(text(u"Label4"), QStringLiteral("本地版本：4.01"));
    EXPECT_EQ(text(u"Label5"), QStringLiteral("最新版本："));
    EXPECT_EQ(text(u"Label3"), idle);
    EXPECT_TRUE(find<QPlainTextEdit>(u"Text1")->toPlainText().isEmpty());
    EXPECT_TRUE(enabled(u"Command1"));
    EXPECT_FALSE(enabled(u"Command3"));
    EXPECT_TRUE(find<QRadioButton>(u"Option1")->isChecked());

    // Esc runs the cancel button: the window closes.
    QPointer<Form5> closing = form5;
    press(Qt::Key_Escape);
    EXPECT_TRUE(test::waitUntil([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return closing.isNull();
    }));
    EXPECT_EQ(seams.shell.targets.size(), 1);
    EXPECT_EQ(seams.process.endCount, 0);
}

} // namespace
