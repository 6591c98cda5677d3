#include "checks/site/liuxingpanel.h"

namespace veldrin {

LiuXingPanel::LiuXingPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmLiuXing"), QStringLiteral("网站流行度"), parent)
{
}

} // namespace veldrin
