#include "support/recorders.h"

#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

// A control reaching past its panel's (or frame's) edge is cut off where the user cannot
// see it.
TEST(PanelLayout, EveryControlStaysInsideItsPanel)
{
    const char16_t* const panels[] = {
        u"frmYuMing",       u"frmZhuJi", u"frmIP",    u"frmSL",        u"frmRenQi",
        u"frmLiuXing",      u"frmICP",   u"frmUSafe", u"frmGongShang", u"frmShouJi",
        u"frmShenFenZheng", u"frmTelWZ", u"frmQQ",    u"frmMX",        u"frmTB",
    };
    for (const char16_t* name : panels) {
        SCOPED_TRACE(str(name).toStdString());
        TestSeams seams;
        BuiltPanel built = buildPanel(str(name), seams.context);
        ASSERT_NE(built.panel, nullptr);
        for (const QWidget* control : built.panel->findChildren<QWidget*>()) {
            if (control->objectName().isEmpty() || control->isWindow())
                continue;
            const QWidget* parent = control->parentWidget();
            EXPECT_TRUE(parent->rect().contains(control->geometry()))
                << control->objectName().toStdString() << " at " << control->geometry().x() << ","
                << control->geometry().y() << " " << control->geometry().width() << "x" << control->geometry().height()
                << " in " << parent->objectName().toStdString() << " " << parent->width() << "x" << parent->height();
        }
    }
}

} // namespace
