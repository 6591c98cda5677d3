#include "shop/tbpanel.h"

namespace veldrin {

TbPanel::TbPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmTB"), QStringLiteral("淘宝商户信用"), parent)
{
}

} // namespace veldrin
