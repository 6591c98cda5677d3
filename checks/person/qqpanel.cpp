#include "checks/person/qqpanel.h"

namespace veldrin {

QqPanel::QqPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmQQ"), QStringLiteral("QQ在线查询"), parent)
{
}

} // namespace veldrin
