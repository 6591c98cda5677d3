#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "Email查所在地、电话查具体位置" tool panel (frmTelWZ).
class TelWzPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit TelWzPanel(Context& context, QWidget* parent = nullptr);
};

} // namespace veldrin
