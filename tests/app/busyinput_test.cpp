#include "support/fakeloaderpanel.h"
#include "support/recorders.h"
#include "support/recordingfetch.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

const QString ipUrl = QStringLiteral("http://127.0.0.1:9/ips.asp?ip=1.2.3.4&action=2");
const QString ipPage
    = QStringLiteral("本站主数据：北京市\r\n参考如果您发现查询结果不详细或不正确，请使用IP数据库自助添加功能进行修正");
const QString forumPage = QStringLiteral("刘德华吧\r\n"
                                         "本吧共有主题数12345个，贴子数678901篇，会员数4567人\r\n"
                                         "本吧粉丝：  23456 取消 查看本吧最新动态 \r\n");

// How a lookup started by Enter is brought to its end: a fetch lookup has ended when Enter has
// been handled; a loader lookup ends when its page event comes.
struct Ending
{
    const char* label;
    const char16_t* frame;
    const char16_t* box;
    const char16_t* loader; // null for a fetch lookup
    QString typed;
    std::function<void(RecordingFetch&)> page;
    std::function<void(FakePageLoader&)> complete;
    int boxes; // failure boxes the ending shows
};

std::vector<Ending> endings()
{
    const auto ipPageServed = [](RecordingFetch& fetch) {
        fetch.setPage(ipUrl, ipPage);
    };
    const auto noPage = [](RecordingFetch&) {
    };
    return {
        { "IP lookup, result", u"frmIP", u"txtIP", nullptr, QStringLiteral("1.2.3.4"), ipPageServed, {}, 0 },
        { "IP lookup, failure", u"frmIP", u"txtIP", nullptr, QStringLiteral("1.2.3.4"), noPage, {}, 1 },
        { "celebrity lookup, result", u"frmMX", u"txtMXName", u"WebMX", QStringLiteral("刘德华"), noPage,
          [](FakePageLoader& web) { web.completeWith(forumPage); }, 0 },
        { "celebrity lookup, failure", u"frmMX", u"txtMXName", u"WebMX", QStringLiteral("刘德华"), noPage,
          [](FakePageLoader& web) { web.failWith(QStringLiteral("refused")); }, 1 },
        { "shop search, credit page offered", u"frmTB", u"txtTB", u"WebTB", QStringLiteral("某店"), noPage,
          [](FakePageLoader& web) {
              web.completeWith(QStringLiteral("共找到 1 家店铺"),
                               { QStringLiteral("http://rate.tb.example/user-rate-1.htm") });
          },
          0 },
        { "shop search, failure", u"frmTB", u"txtTB", u"WebTB", QStringLiteral("某店"), noPage,
          [](FakePageLoader& web) { web.failWith(QStringLiteral("refused")); }, 1 },
    };
}

// Gives the panel's box `name` the focus and `text`, then presses Enter in it as the window
// system delivers keys.
QLineEdit* pressEnterIn(const BuiltPanel& built, const char16_t* name, const QString& text)
{
    auto* box = built.control<QLineEdit>(name);
    box->setText(text);
    box->setFocus();
    queueKey(box, Qt::Key_Return, QStringLiteral("\r"));
    return box;
}

// After Enter in a panel's input box and the lookup's end, what the user types next goes on in
// the same box, not into the control Qt moved the focus to when the box was disabled.
TEST(BusyFocus, TypingAfterALookupGoesOnInItsInputBox)
{
    for (const Ending& ending : endings()) {
        SCOPED_TRACE(ending.label);
        FakeLoaderPanel panel(str(ending.frame), ending.loader ? str(ending.loader) : QString());
        RecordingFetch fetch;
        fetch.install(panel.seams.context);
        ending.page(fetch);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.built.panel.get()));
        QLineEdit* box = pressEnterIn(panel.built, ending.box, ending.typed);
        if (panel.web) {
            ASSERT_TRUE(waitUntil([&] { return !box->isEnabled(); }));
            ending.complete(*panel.web);
        } else {
            ASSERT_TRUE(waitUntil([&] { return fetch.urls().size() == 1 && box->isEnabled(); }));
        }
        EXPECT_TRUE(box->isEnabled());
        EXPECT_EQ(panel.seams.dialogs.boxes.size(), ending.boxes);

        queueKey(box, Qt::Key_9, QStringLiteral("9"));
        EXPECT_TRUE(waitUntil([&] { return box->text() == ending.typed + u'9'; })) << box->text().toStdString();
        EXPECT_EQ(panel.built.panel->window()->focusWidget(), box);
    }
}

// A focus the user moves while the page loads stays where the user put it.
TEST(BusyFocus, AFocusMovedDuringTheLookupStaysWhereItWasPut)
{
    FakeLoaderPanel panel(QStringLiteral("frmTB"), QStringLiteral("WebTB"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.built.panel.get()));
    auto* credit = panel.built.control<QLineEdit>(u"Text9");
    QLineEdit* name = pressEnterIn(panel.built, u"txtTB", QStringLiteral("某店"));
    ASSERT_TRUE(waitUntil([&] { return !name->isEnabled(); }));
    queueClick(credit);
    ASSERT_TRUE(waitUntil([&] { return panel.built.panel->focusWidget() == credit; }));
    panel.web->failWith(QStringLiteral("refused"));

    queueKey(credit, Qt::Key_7, QStringLiteral("7"));
    EXPECT_TRUE(waitUntil([&] { return credit->text() == QStringLiteral("7"); }));
    EXPECT_EQ(name->text(), QStringLiteral("某店"));
}

// While a loader lookup waits for its page the window takes input: a click on the disabled
// button and keys typed at the disabled box do nothing, there or anywhere else (such as in a
// box further along), while a click on another control is handled at once.
TEST(BusyInput, InputAtALoaderLookupsDisabledControlsDoesNothing)
{
    QWidget window; // outlives the panel it holds, which the panel kit owns
    FakeLoaderPanel mx(QStringLiteral("frmMX"), QStringLiteral("WebMX"));
    mx.built.panel->setParent(&window);
    mx.built.panel->move(0, 0);
    mx.built.panel->show();
    auto* further = new QLineEdit(&window);
    further->setGeometry(0, mx.built.panel->height() + 10, 200, 30);
    auto* other = new QPushButton(QStringLiteral("另一个面板"), &window);
    other->setGeometry(0, mx.built.panel->height() + 50, 200, 30);
    QStringList events;
    QObject::connect(other, &QPushButton::clicked, [&] { events.append(QStringLiteral("other clicked")); });
    window.resize(mx.built.panel->width(), mx.built.panel->height() + 90);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* button = mx.built.control<QPushButton>(u"cmdMXCX");
    QLineEdit* name = pressEnterIn(mx.built, u"txtMXName", QStringLiteral("刘德华"));
    ASSERT_TRUE(waitUntil([&] { return !button->isEnabled(); }));
    queueClick(button);
    queueKey(name, Qt::Key_Return, QStringLiteral("\r"));
    queueKey(name, Qt::Key_5, QStringLiteral("5"));
    queueClick(other);
    ASSERT_TRUE(waitUntil([&] { return !events.isEmpty(); }));

    EXPECT_EQ(mx.web->navigations.size(), 1);
    EXPECT_EQ(name->text(), QStringLiteral("刘德华"));
    EXPECT_EQ(further->text(), QString());
    mx.web->completeWith(forumPage);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(mx.seams.dialogs.boxes.isEmpty());
    EXPECT_EQ(mx.web->navigations.size(), 1);
}

} // namespace
