#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "QQ在线查询" tool panel (frmQQ).
class QqPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit QqPanel(Context& context, QWidget* parent = nullptr);
};

} // namespace veldrin
