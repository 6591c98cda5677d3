#include "checks/site/renqipanel.h"

namespace veldrin {

RenQiPanel::RenQiPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmRenQi"), QStringLiteral("网站人气排名"), parent)
{
}

} // namespace veldrin
