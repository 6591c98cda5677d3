#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "手机归属查询" tool panel (frmShouJi).
class ShouJiPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit ShouJiPanel(Context& context, QWidget* parent = nullptr);
};

} // namespace veldrin
