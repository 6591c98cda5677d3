#include "checks/site/ippanel.h"

namespace veldrin {

IpPanel::IpPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmIP"), QStringLiteral("IP地址查询"), parent)
{
}

} // namespace veldrin
