#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "淘宝商户信用" tool panel (frmTB).
class TbPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit TbPanel(Context& context, QWidget* parent = nullptr);
};

} // namespace veldrin
