#include "checks/site/gongshangpanel.h"

namespace veldrin {

GongShangPanel::GongShangPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmGongShang"), QStringLiteral("工商信息"), parent)
{
}

void GongShangPanel::underlineLinks()
{
}

void GongShangPanel::fillLists()
{
}

} // namespace veldrin
