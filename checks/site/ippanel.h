#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "IP地址查询" tool panel (frmIP).
class IpPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit IpPanel(Context& context, QWidget* parent = nullptr);
};

} // namespace veldrin
