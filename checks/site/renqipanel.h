#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "网站人气排名" tool panel (frmRenQi).
class RenQiPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit RenQiPanel(Context& context, QWidget* parent = nullptr);
};

} // namespace veldrin
