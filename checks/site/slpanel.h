#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "网站主机数量查询" tool panel (frmSL).
class SlPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit SlPanel(Context& context, QWidget* parent = nullptr);
};

} // namespace veldrin
