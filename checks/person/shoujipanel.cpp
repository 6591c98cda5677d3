#include "checks/person/shoujipanel.h"

namespace veldrin {

ShouJiPanel::ShouJiPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmShouJi"), QStringLiteral("手机归属查询"), parent)
{
}

} // namespace veldrin
