#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "网站流行度" tool panel (frmLiuXing).
class LiuXingPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit LiuXingPanel(Context& context, QWidget* parent = nullptr);
};

} // namespace veldrin
