#include "checks/site/zhujipanel.h"

namespace veldrin {

ZhuJiPanel::ZhuJiPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmZhuJi"), QStringLiteral("主机地址所在地"), parent)
{
}

} // namespace veldrin
