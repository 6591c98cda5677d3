#include "checks/site/slpanel.h"

namespace veldrin {

SlPanel::SlPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmSL"), QStringLiteral("网站主机数量查询"), parent)
{
}

} // namespace veldrin
