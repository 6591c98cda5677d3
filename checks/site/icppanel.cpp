#include "checks/site/icppanel.h"

namespace veldrin {

IcpPanel::IcpPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmICP"), QStringLiteral("ICP证书"), parent)
{
}

} // namespace veldrin
