#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "明星知名度查询" tool panel (frmMX).
class MxPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit MxPanel(Context& context, QWidget* parent = nullptr);

    void cmdMXCX_Click();

private:
    QLineEdit* m_txtMXName = nullptr;
    QPushButton* m_cmdMXCX = nullptr;
};

} // namespace veldrin
