#include "checks/person/mxpanel.h"

namespace veldrin {

MxPanel::MxPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmMX"), QStringLiteral("明星知名度查询"), parent)
{
}

} // namespace veldrin
