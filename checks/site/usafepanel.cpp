#include "checks/site/usafepanel.h"

namespace veldrin {

USafePanel::USafePanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmUSafe"), QStringLiteral("网址安全检查"), parent)
{
}

} // namespace veldrin
