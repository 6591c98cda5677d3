#include "checks/site/yumingpanel.h"

namespace veldrin {

YuMingPanel::YuMingPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmYuMing"), QStringLiteral("域名信息查询"), parent)
{
}

} // namespace veldrin
