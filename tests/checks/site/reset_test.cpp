#include "support/recorders.h"

#include <QHash>
#include <gtest/gtest.h>
#include <vector>

using namespace veldrin;
using namespace veldrin::test;

namespace {

// What a panel's reset block does. Every other control of the panel keeps what it showed.
struct ResetCase
{
    const char16_t* panel;
    std::vector<const char16_t*> emptied;
    std::vector<std::pair<const char16_t*, const char16_t*>> captions; // restored to their start caption
    std::vector<const char16_t*> lookupControls; // enabled again, unless the lookup still runs
    std::vector<const char16_t*> resultBoxes; // enabled again in any case
    std::vector<const char16_t*> hidden;
};

const std::vector<ResetCase>& resetCases()
{
    static const std::vector<ResetCase> cases = {
        { u"frmIP", { u"txtIP" }, {}, { u"txtIP", u"cmdIPChaXun" }, {}, { u"Label10" } },
        { u"frmLiuXing",
          { u"txtLiuXing" },
          { { u"lblLiuXing", u"网站流行度：" } },
          { u"txtLiuXing", u"cmdLiuXingChaXun", u"cmdShouLuChaXun" },
          {},
          {} },
        { u"frmSL", { u"txtSLURL", u"txtSLJG" }, {}, { u"txtSLURL", u"cmdGO" }, { u"txtSLJG" }, {} },
        { u"frmRenQi", { u"txtRenQi" }, {}, { u"txtRenQi", u"cmdRenQiChaxun" }, {}, {} },
        { u"frmZhuJi",
          { u"txtZhuJi" },
          { { u"lblZhuJiIP", u"主机IP地址：" } },
          { u"txtZhuJi", u"cmdZhuJiChaXun" },
          {},
          {} },
        { u"frmYuMing",
          { u"txtYuMing", u"txtYuMingJG" },
          {},
          { u"txtYuMing", u"cmdYuMingChaXun" },
          { u"txtYuMingJG" },
          {} },
    };
    return cases;
}

// Leaves every named control as a finished or failed lookup might: other text, disabled, and
// the hidden ones shown.
void muddle(const BuiltPanel& built, const ResetCase& c)
{
    for (QWidget* widget : built.panel->findChildren<QWidget*>()) {
        if (widget->objectName().isEmpty() || widget->objectName().startsWith(u"qt_"))
            continue;
        setShownText(widget, QStringLiteral("上次的结果 1.2.3.4"));
        widget->setEnabled(false);
    }
    for (const char16_t* name : c.hidden)
        built.control(str(name))->show();
}

void expectResetLook(const BuiltPanel& built, const ResetCase& c, bool lookupRunning)
{
    QHash<QString, Look> expected = looks(*built.panel);
    for (const char16_t* name : c.emptied)
        expected[str(name)].text.clear();
    for (const auto& [name, caption] : c.captions)
        expected[str(name)].text = str(caption);
    for (const char16_t* name : c.lookupControls)
        expected[str(name)].enabled = !lookupRunning;
    for (const char16_t* name : c.resultBoxes)
        expected[str(name)].enabled = true;
    for (const char16_t* name : c.hidden)
        expected[str(name)].visible = false;

    built.panel->resetPanel();

    const QHash<QString, Look> actual = looks(*built.panel);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        const Look& got = actual.value(it.key());
        EXPECT_EQ(got.text, it->text);
        EXPECT_EQ(got.enabled, it->enabled);
        EXPECT_EQ(got.visible, it->visible);
    }
}

TEST(SitePanelReset, EachBlockRestoresItsControlsAndLeavesTheRest)
{
    for (const ResetCase& c : resetCases()) {
        SCOPED_TRACE(str(c.panel).toStdString());
        TestSeams seams;
        BuiltPanel built = buildPanel(str(c.panel), seams.context);
        ASSERT_NE(built.panel, nullptr);
        const QHash<QString, Look> atStart = looks(*built.panel);
        for (const char16_t* name : c.emptied)
            ASSERT_TRUE(atStart.contains(str(name))) << "no control " << str(name).toStdString();

        // A restored caption is the one the label showed at start.
        for (const auto& [name, caption] : c.captions)
            EXPECT_EQ(atStart.value(str(name)).text, str(caption));

        muddle(built, c);
        expectResetLook(built, c, false);

        // Resetting an idle panel changes nothing further.
        const QHash<QString, Look> once = looks(*built.panel);
        built.panel->resetPanel();
        EXPECT_TRUE(looks(*built.panel) == once);
    }
}

TEST(SitePanelReset, RunningLookupKeepsItsInputAndButtonsDisabledUntilItEnds)
{
    for (const ResetCase& c : resetCases()) {
        SCOPED_TRACE(str(c.panel).toStdString());
        TestSeams seams;
        BuiltPanel built = buildPanel(str(c.panel), seams.context);
        ASSERT_NE(built.panel, nullptr);

        built.startLookup();
        muddle(built, c);
        expectResetLook(built, c, true);

        built.endLookup();
        built.panel->resetPanel();
        for (const char16_t* name : c.lookupControls)
            EXPECT_TRUE(built.control(str(name))->isEnabled()) << str(name).toStdString();
    }
}

TEST(SitePanelReset, PanelsOutsideTheResetKeepEverything)
{
    for (const char16_t* panel : { u"frmICP", u"frmUSafe", u"frmGongShang" }) {
        SCOPED_TRACE(str(panel).toStdString());
        TestSeams seams;
        BuiltPanel built = buildPanel(str(panel), seams.context);
        ASSERT_NE(built.panel, nullptr);
        muddle(built, ResetCase { panel, {}, {}, {}, {}, {} });
        const QHash<QString, Look> before = looks(*built.panel);
        built.panel->resetPanel();
        EXPECT_TRUE(looks(*built.panel) == before);
    }
}

} // namespace
