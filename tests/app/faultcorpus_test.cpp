// Every lookup and both version windows over the same small set of hostile pages, served by the
// loopback server through the real page-text fetch and the real page loader: whatever a
// service sends, the panel comes back enabled and shows either its result or a message box.

#include "app/form1.h"
#include "support/faultcorpus.h"
#include "support/fixtureserver.h"
#include "support/netfakes.h"
#include "support/panelkit.h"
#include "support/recorders.h"
#include "windows/form3.h"
#include "windows/form5.h"
#include "windows/version.h"

#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

QString textOf(const QWidget& root, const char16_t* name)
{
    return shownText(root.findChild<QWidget*>(str(name)));
}

// Every control of `root` whose text is not valid UTF-16 (an unpaired surrogate), by name.
QStringList unpairedTexts(const QWidget& root)
{
    QStringList names;
    const QHash<QString, Look> all = looks(root);
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        if (!QStringView(it.value().text).isValidUtf16())
            names.append(it.key());
    }
    return names;
}

bool anyErrorBox(const QList<ShownBox>& boxes)
{
    return std::any_of(boxes.cbegin(), boxes.cend(),
                       [](const ShownBox& box) { return box.title == QStringLiteral("错误"); });
}

// What the user must see at the end of a lookup or check over a hostile page: the sound page's
// result; for an answer that failed, the failure and nothing passed off as a result; for any
// other page, a result or a box.
void expectOutcome(Hostile hostile, bool result, bool failureShown, bool anyBox)
{
    if (hostile == Hostile::SoundPage) {
        EXPECT_TRUE(result) << "the sound page gives the result";
        EXPECT_FALSE(failureShown);
    } else if (fetchFails(hostile)) {
        EXPECT_TRUE(failureShown) << "a failed answer is the lookup's failure";
        EXPECT_FALSE(result) << "a failed answer is never read as a result";
    } else {
        EXPECT_TRUE(result || anyBox || failureShown) << "neither a result nor a box";
    }
}

// Builds the lookup's panel, types its input, clicks its button, waits until the lookup has
// ended and checks what the user sees.
void expectLookupEnds(TestSeams& seams, const Lookup& lookup, Hostile hostile)
{
    BuiltPanel built = buildPanel(str(lookup.frame), seams.context);
    ASSERT_NE(built.panel, nullptr);
    seams.dialogs.watched = built.panel.get();
    const ToolPanel& panel = *built.panel;
    QHash<QString, Look> before;
    ASSERT_TRUE(runLookup(built, lookup, [&] { before = looks(panel); })) << "the lookup never ended";

    const QHash<QString, Look> after = looks(panel);
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        EXPECT_TRUE(!it.value().enabled || after.value(it.key()).enabled) << it.key().toStdString() << " left disabled";
    EXPECT_EQ(unpairedTexts(panel), QStringList());
    const bool failureShown = lookup.failureText ? textOf(panel, lookup.result.name) == str(lookup.failureText)
                                                 : anyErrorBox(seams.dialogs.boxes);
    expectOutcome(hostile, lookup.result.shown(panel), failureShown, !seams.dialogs.boxes.isEmpty());
}

class FaultCorpus : public ::testing::TestWithParam<Hostile>
{
protected:
    FixtureServer server;
};

TEST_P(FaultCorpus, EveryLookupEndsEnabledWithItsBoxOrItsResult)
{
    const Hostile hostile = GetParam();
    for (const Lookup& lookup : corpusLookups()) {
        SCOPED_TRACE(str(lookup.button).toStdString());
        TestSeams seams(server.host(), server.port());
        prepareLookup(server, seams, lookup, hostile);
        expectLookupEnds(seams, lookup, hostile);
    }
}

// The host list over the same pages, as the lines of the tool's work file.
TEST_P(FaultCorpus, TheHostListShowsTheToolOutputOrItsFailure)
{
    const Hostile hostile = GetParam();
    TestSeams seams;
    seams.net.toolOutput = toolOutputFor(hostListLookup().page, hostile);
    expectLookupEnds(seams, hostListLookup(), hostile);
}

TEST_P(FaultCorpus, TheStartUpWindowGoesOnToTheMainWindow)
{
    const Hostile hostile = GetParam();
    TestSeams seams(server.host(), server.port());
    useCorpusLimits(seams, hostile);
    serve(server, versionPagePath(), versionPage(), hostile);

    Form3 form3(seams.context);
    form3.start();
    ASSERT_TRUE(waitUntil([&] { return form3.mainWindow() != nullptr && form3.mainWindow()->isVisible(); },
                          std::chrono::seconds(30)));
    EXPECT_FALSE(form3.isVisible());
    EXPECT_EQ(seams.process.endCount, 0);
    if (hostile == Hostile::SoundPage) {
        ASSERT_EQ(seams.dialogs.boxes.size(), 1) << "the sound page's other version is noticed";
        EXPECT_EQ(seams.dialogs.boxes[0].title, QStringLiteral("版本信息"));
    } else if (fetchFails(hostile)) {
        EXPECT_TRUE(seams.dialogs.boxes.isEmpty()) << "a failed check shows no notice";
    }
}

TEST_P(FaultCorpus, TheUpdateWindowEndsWithItsBoxOrItsResult)
{
    const Hostile hostile = GetParam();
    TestSeams seams(server.host(), server.port());
    useCorpusLimits(seams, hostile);
    serve(server, versionPagePath(), versionPage(), hostile);

    // The window deletes itself on closing; the guard covers that.
    QPointer<Form5> form5 = new Form5(seams.context);
    form5->show();
    seams.dialogs.watched = form5;
    QTest::mouseClick(form5->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);

    // The check stays disabled only when a newer version can be downloaded instead.
    const bool check = form5->findChild<QPushButton*>(QStringLiteral("Command1"))->isEnabled();
    const bool download = form5->findChild<QPushButton*>(QStringLiteral("Command3"))->isEnabled();
    EXPECT_TRUE(check || download);
    EXPECT_EQ(unpairedTexts(*form5), QStringList());
    const bool result = ResultControl { u"Label5", { u"最新版本：" } }.shown(*form5);
    expectOutcome(hostile, result, anyErrorBox(seams.dialogs.boxes), !seams.dialogs.boxes.isEmpty());
    delete form5.data();
}

INSTANTIATE_TEST_SUITE_P(HostilePages, FaultCorpus, ::testing::ValuesIn(allHostilePages()),
                         [](const ::testing::TestParamInfo<Hostile>& info) { return std::string(nameOf(info.param)); });

} // namespace
