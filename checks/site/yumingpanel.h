#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "域名信息查询" tool panel (frmYuMing).
class YuMingPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit YuMingPanel(Context& context, QWidget* parent = nullptr);
};

} // namespace veldrin
