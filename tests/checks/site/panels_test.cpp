#include "checks/site/gongshangpanel.h"
#include "checks/site/icppanel.h"
#include "support/recorders.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QRadioButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

// What each input box lets through when typed. Refused and kept are samples of the box's
// list that a user is likely to type, with the cases the lists single out.
struct FilterCase
{
    const char16_t* panel;
    const char16_t* box;
    const char16_t* refused;
    const char16_t* kept;
    const char16_t* imeCommit; // one input-method commit, refused characters among kept ones
    const char16_t* imeKept;
};

// Full-width ？，。 are refused everywhere, while ASCII ? passes everywhere; "/" keeps a path
// out of a domain box.
constexpr const char16_t* commonRefused = u"？，。/*！ （【“'~@#￥…_—+<>《》、\\";
constexpr const char16_t* commonKept = u"www.Example-7.com:80?,中\";=|`";

const FilterCase filterCases[] = {
    { u"frmYuMing", u"txtYuMing", commonRefused, commonKept, u"中？文", u"中文" },
    { u"frmZhuJi", u"txtZhuJi", commonRefused, commonKept, u"a/b", u"ab" },
    { u"frmRenQi", u"txtRenQi", commonRefused, commonKept, u"网。站", u"网站" },
    { u"frmLiuXing", u"txtLiuXing", commonRefused, commonKept, u"，x", u"x" },
    { u"frmICP", u"txtICP", commonRefused, commonKept, u"备案（", u"备案" },
    { u"frmUSafe", u"txtUS", commonRefused, commonKept, u"a b", u"ab" },
    { u"frmUSafe", u"txtGM", commonRefused, commonKept, u"页面【", u"页面" },
    // An address: digits, dots and the "*" wildcard; no letters, "," or "-".
    { u"frmIP", u"txtIP", u"aZx,-？，。/ （!@", u"192.168.*.1?", u"1a2，3", u"123" },
    // A host list box also refuses the double quote and the characters of "允许输入的字符".
    { u"frmSL", u"txtSLURL", u"\"允许输入的字符？，。/* '", u"www.Example-7.com:80?,中", u"x允\"y", u"xy" },
};

TEST(SitePanelFilters, TypedCharactersAreJudgedByTheBoxList)
{
    for (const FilterCase& c : filterCases) {
        SCOPED_TRACE(str(c.box).toStdString());
        TestSeams seams;
        BuiltPanel built = buildPanel(str(c.panel), seams.context);
        auto* box = built.control<QLineEdit>(str(c.box));
        ASSERT_NE(box, nullptr);

        typeText(box, str(c.kept));
        EXPECT_EQ(box->text(), str(c.kept));

        for (QChar refused : str(c.refused)) {
            typeChar(box, refused);
            EXPECT_EQ(box->text(), str(c.kept)) << "typed U+" << QString::number(refused.unicode(), 16).toStdString();
        }

        // Backspace is a control key and passes every list.
        QTest::keyClick(box, Qt::Key_Backspace);
        EXPECT_EQ(box->text(), str(c.kept).chopped(1));

        // Input-method text is judged character by character like typed keys.
        box->clear();
        QInputMethodEvent commit;
        commit.setCommitString(str(c.imeCommit));
        QCoreApplication::sendEvent(box, &commit);
        EXPECT_EQ(box->text(), str(c.imeKept));

        // Text set by the program or pasted is never filtered.
        box->setText(str(c.refused));
        EXPECT_EQ(box->text(), str(c.refused));
        box->clear();
        pasteText(box, str(c.refused));
        EXPECT_EQ(box->text(), str(c.refused));
    }
}

// Enter in each box runs the panel's query handler(s); the key still reaches the box. The
// domain box runs its lookup only while the query button is enabled, the others whenever.
struct EnterCase
{
    const char16_t* panel;
    const char16_t* box;
    const char16_t* button;
    QStringList handlers;
    bool onlyWhileButtonEnabled;
    // "1.2" is too short an address for these lookups, whose refusal empties the box.
    bool refusalEmptiesBox = false;
};

TEST(SitePanelFilters, EnterRunsThePanelQuery)
{
    const EnterCase cases[] = {
        { u"frmYuMing", u"txtYuMing", u"cmdYuMingChaXun", { QStringLiteral("cmdYuMingChaXun_Click") }, true },
        { u"frmZhuJi", u"txtZhuJi", u"cmdZhuJiChaXun", { QStringLiteral("cmdZhuJiChaXun_Click") }, false },
        { u"frmIP", u"txtIP", u"cmdIPChaXun", { QStringLiteral("cmdIPChaXun_Click") }, false },
        { u"frmSL", u"txtSLURL", u"cmdGO", { QStringLiteral("cmdGO_Click") }, false },
        { u"frmRenQi", u"txtRenQi", u"cmdRenQiChaxun", { QStringLiteral("cmdRenQiChaxun_Click") }, false, true },
        { u"frmLiuXing",
          u"txtLiuXing",
          u"cmdLiuXingChaXun",
          { QStringLiteral("cmdLiuXingChaXun_Click"), QStringLiteral("cmdShouLuChaXun_Click") },
          false,
          true },
        { u"frmICP", u"txtICP", u"Command6", { QStringLiteral("Command6_Click") }, false },
        { u"frmUSafe", u"txtUS", u"cmdUS", { QStringLiteral("cmdUS_Click") }, false },
        { u"frmUSafe", u"txtGM", u"cmdGMCX", { QStringLiteral("cmdGMCX_Click") }, false },
    };
    for (const EnterCase& c : cases) {
        SCOPED_TRACE(str(c.box).toStdString());
        TestSeams seams;
        BuiltPanel built = buildPanel(str(c.panel), seams.context);
        auto* box = built.control<QLineEdit>(str(c.box));
        auto* button = built.control<QPushButton>(str(c.button));
        ASSERT_NE(box, nullptr);
        ASSERT_NE(button, nullptr);
        HandlerLog log(built.panel.get());
        QSignalSpy reachedBox(box, &QLineEdit::returnPressed);

        QTest::keyClicks(box, QStringLiteral("1.2"));
        EXPECT_TRUE(log.handlers.isEmpty()) << "only Enter starts a query";
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(log.handlers, c.handlers);
        EXPECT_EQ(reachedBox.count(), 1);
        EXPECT_EQ(box->text(), c.refusalEmptiesBox ? QString() : QStringLiteral("1.2"));

        log.handlers.clear();
        button->setEnabled(false);
        QTest::keyClick(box, Qt::Key_Enter);
        EXPECT_EQ(log.handlers, c.onlyWhileButtonEnabled ? QStringList() : c.handlers);
        EXPECT_EQ(reachedBox.count(), 2);
    }
}

TEST(SitePanelFilters, EnterInThePopularityBoxClearsBothResultsBeforeTheLookups)
{
    TestSeams seams;
    BuiltPanel built = buildPanel(QStringLiteral("frmLiuXing"), seams.context);
    auto* box = built.control<QLineEdit>(QStringLiteral("txtLiuXing"));
    auto* grade = built.control<QLabel>(QStringLiteral("lblLiuXing"));
    auto* count = built.control<QLabel>(QStringLiteral("lblShouLu"));
    ASSERT_TRUE(box && grade && count);
    grade->setText(QStringLiteral("网站流行度：87 分"));
    count->setText(QStringLiteral("收录数：1,230"));

    QStringList seen; // each handler with the captions standing when it starts
    QObject::connect(built.panel.get(), &ToolPanel::queryHandlerStarted, built.panel.get(),
                     [&](const QString& handler) { seen << handler + u'|' + grade->text() + u'|' + count->text(); });
    QTest::keyClick(box, Qt::Key_Return);

    EXPECT_EQ(seen,
              QStringList({ QStringLiteral("cmdLiuXingChaXun_Click|网站流行度：|收录数："),
                            QStringLiteral("cmdShouLuChaXun_Click|网站流行度：|收录数：") }));
}

TEST(SitePanels, QueryButtonsRunTheirHandler)
{
    const std::tuple<const char16_t*, const char16_t*, QString> cases[] = {
        { u"frmYuMing", u"cmdYuMingChaXun", QStringLiteral("cmdYuMingChaXun_Click") },
        { u"frmZhuJi", u"cmdZhuJiChaXun", QStringLiteral("cmdZhuJiChaXun_Click") },
        { u"frmIP", u"cmdIPChaXun", QStringLiteral("cmdIPChaXun_Click") },
        { u"frmSL", u"cmdGO", QStringLiteral("cmdGO_Click") },
        { u"frmRenQi", u"cmdRenQiChaxun", QStringLiteral("cmdRenQiChaxun_Click") },
        { u"frmLiuXing", u"cmdLiuXingChaXun", QStringLiteral("cmdLiuXingChaXun_Click") },
        { u"frmLiuXing", u"cmdShouLuChaXun", QStringLiteral("cmdShouLuChaXun_Click") },
        { u"frmICP", u"Command6", QStringLiteral("Command6_Click") },
        { u"frmUSafe", u"cmdUS", QStringLiteral("cmdUS_Click") },
        { u"frmUSafe", u"cmdGMCX", QStringLiteral("cmdGMCX_Click") },
    };
    for (const auto& [panel, buttonName, handler] : cases) {
        SCOPED_TRACE(str(buttonName).toStdString());
        TestSeams seams;
        BuiltPanel built = buildPanel(str(panel), seams.context);
        auto* button = built.control<QPushButton>(str(buttonName));
        ASSERT_NE(button, nullptr);
        HandlerLog log(built.panel.get());
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(log.handlers, QStringList({ handler }));
    }
}

TEST(SitePanels, FocusBoxOfEachPanel)
{
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        { u"frmYuMing", u"txtYuMing" }, { u"frmZhuJi", u"txtZhuJi" }, { u"frmIP", u"txtIP" },
        { u"frmSL", u"txtSLURL" },      { u"frmRenQi", u"txtRenQi" }, { u"frmLiuXing", u"txtLiuXing" },
        { u"frmUSafe", u"txtUS" },      { u"frmICP", u"" },           { u"frmGongShang", u"" },
    };
    for (const auto& [panel, box] : cases) {
        SCOPED_TRACE(str(panel).toStdString());
        TestSeams seams;
        BuiltPanel built = buildPanel(str(panel), seams.context);
        ASSERT_NE(built.panel, nullptr);
        EXPECT_EQ(built.panel->objectName(), str(panel));
        QWidget* focus = built.panel->focusBox();
        EXPECT_EQ(focus ? focus->objectName() : QString(), str(box));
        if (focus) {
            EXPECT_EQ(focus->parentWidget(), built.panel.get());
        }
    }
}

TEST(SitePanels, IpWarningIsHiddenUntilABadAddress)
{
    TestSeams seams;
    BuiltPanel built = buildPanel(QStringLiteral("frmIP"), seams.context);
    auto* warning = built.control<QLabel>(QStringLiteral("Label10"));
    auto* status = built.control<QLabel>(QStringLiteral("lblIPZZ"));
    auto* result = built.control<QPlainTextEdit>(QStringLiteral("txtIPJG"));
    ASSERT_TRUE(warning && status && result);
    EXPECT_EQ(warning->text(), QStringLiteral("输入的IP地址不合法！"));
    EXPECT_FALSE(warning->isVisible());
    EXPECT_TRUE(status->isVisible());
    EXPECT_TRUE(status->text().isEmpty());
    EXPECT_EQ(result->toPlainText(), QStringLiteral("查询结果\n"));
}

TEST(SitePanels, IcpPanelOwnsItsNamedPageLoader)
{
    TestSeams seams;
    IcpPanel panel(seams.context);
    ASSERT_NE(panel.WebICP(), nullptr);
    EXPECT_EQ(panel.findChild<PageLoader*>(QStringLiteral("WebICP")), panel.WebICP());

    // A context that hands out no loader still gives a working panel, with a named loader
    // whose every navigation fails.
    seams.context.makePageLoader = nullptr;
    IcpPanel noMaker(seams.context);
    ASSERT_NE(noMaker.WebICP(), nullptr);
    EXPECT_EQ(noMaker.WebICP()->objectName(), QStringLiteral("WebICP"));
    seams.context.makePageLoader = [](QObject*) {
        return std::unique_ptr<PageLoader>();
    };
    IcpPanel noLoader(seams.context);
    ASSERT_NE(noLoader.WebICP(), nullptr);
    QSignalSpy completed(noLoader.WebICP(), &PageLoader::documentComplete);
    noLoader.WebICP()->navigate(QStringLiteral("http://127.0.0.1:9/"));
    ASSERT_TRUE(completed.wait(5000));
    EXPECT_TRUE(noLoader.WebICP()->loadFailed());
    HandlerLog log(&noLoader);
    QTest::keyClick(noLoader.findChild<QLineEdit*>(QStringLiteral("txtICP")), Qt::Key_Return);
    EXPECT_EQ(log.handlers, QStringList({ QStringLiteral("Command6_Click") }));
}

TEST(SitePanels, RegistryPanelStartsWithProvinceChosenAndNothingPicked)
{
    TestSeams seams;
    GongShangPanel panel(seams.context);
    panel.show();
    auto* choice = panel.findChild<QGroupBox*>(QStringLiteral("Frame1"));
    auto* answer = panel.findChild<QGroupBox*>(QStringLiteral("Frame2"));
    auto* byProvince = panel.findChild<QRadioButton*>(QStringLiteral("Option1"));
    auto* byCity = panel.findChild<QRadioButton*>(QStringLiteral("Option2"));
    auto* provinces = panel.findChild<QComboBox*>(QStringLiteral("Combo1"));
    auto* cities = panel.findChild<QComboBox*>(QStringLiteral("Combo2"));
    ASSERT_TRUE(choice && answer && byProvince && byCity && provinces && cities);
    EXPECT_EQ(choice->title(), QStringLiteral("请输入选项"));
    EXPECT_EQ(answer->title(), QStringLiteral("该地区查询地址如下"));
    EXPECT_EQ(byProvince->parentWidget(), choice);
    EXPECT_EQ(byCity->parentWidget(), choice);
    EXPECT_EQ(byProvince->text(), QStringLiteral("选择省工商局资料"));
    EXPECT_EQ(byCity->text(), QStringLiteral("选择市工商局资料"));
    EXPECT_TRUE(byProvince->isChecked());
    EXPECT_FALSE(byCity->isChecked());
    EXPECT_TRUE(provinces->isEnabled());
    EXPECT_FALSE(cities->isEnabled());
    EXPECT_EQ(provinces->count(), 0) << "the lists are filled by the load step";

    panel.fillLists();
    EXPECT_EQ(provinces->count(), 34);
    EXPECT_EQ(cities->count(), 53);
    EXPECT_EQ(provinces->itemText(0), QStringLiteral("北京"));
    EXPECT_EQ(provinces->itemText(25), QStringLiteral("西藏"));
    // The list ends 香港, 澳门, 台湾, though the directory has 台湾 before them.
    EXPECT_EQ(QStringList({ provinces->itemText(31), provinces->itemText(32), provinces->itemText(33) }),
              QStringList({ QStringLiteral("香港"), QStringLiteral("澳门"), QStringLiteral("台湾") }));
    EXPECT_EQ(cities->itemText(0), QStringLiteral("保定"));
    EXPECT_EQ(cities->itemText(44), QStringLiteral("新乡北站分局"));
    EXPECT_EQ(cities->itemText(52), QStringLiteral("郑州"));
    // 吉林 is both a province and a city.
    EXPECT_EQ(provinces->findText(QStringLiteral("吉林")), 6);
    EXPECT_EQ(cities->findText(QStringLiteral("吉林")), 15);
    EXPECT_TRUE(provinces->currentText().isEmpty());
    EXPECT_TRUE(cities->currentText().isEmpty());
}

TEST(SitePanels, RegistryLinksStartEmptyDisabledAndAreUnderlinedByTheLoadStep)
{
    TestSeams seams;
    GongShangPanel panel(seams.context);
    for (const char16_t* name : { u"Label3", u"Label4" }) {
        auto* link = panel.findChild<QLabel*>(str(name));
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(link->text(), QStringLiteral("http:///"));
        EXPECT_FALSE(link->isEnabled());
        EXPECT_FALSE(link->font().underline());
    }
    panel.underlineLinks();
    for (const char16_t* name : { u"Label3", u"Label4" })
        EXPECT_TRUE(panel.findChild<QLabel*>(str(name))->font().underline());
    EXPECT_EQ(panel.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("工 商 查 询 ："));
    EXPECT_EQ(panel.findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("企业信用查询："));
}

} // namespace
