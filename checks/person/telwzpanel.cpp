#include "checks/person/telwzpanel.h"

namespace veldrin {

TelWzPanel::TelWzPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmTelWZ"), QStringLiteral("Email查所在地、电话查具体位置"), parent)
{
}

} // namespace veldrin
