#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "身份证校验" tool panel (frmShenFenZheng).
class ShenFenZhengPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit ShenFenZhengPanel(Context& context, QWidget* parent = nullptr);
};

} // namespace veldrin
