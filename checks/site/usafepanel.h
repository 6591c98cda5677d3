#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "网址安全检查" tool panel (frmUSafe).
class USafePanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit USafePanel(Context& context, QWidget* parent = nullptr);
};

} // namespace veldrin
