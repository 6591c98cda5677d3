#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "主机地址所在地" tool panel (frmZhuJi).
class ZhuJiPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit ZhuJiPanel(Context& context, QWidget* parent = nullptr);
};

} // namespace veldrin
