#include "checks/person/shenfenzhengpanel.h"

namespace veldrin {

ShenFenZhengPanel::ShenFenZhengPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmShenFenZheng"), QStringLiteral("身份证校验"), parent)
{
}

} // namespace veldrin
