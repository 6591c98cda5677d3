#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "网站人气排名" tool panel (frmRenQi).
class RenQiPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit RenQiPanel(Context& context, QWidget* parent = nullptr);

    QWidget* focusBox() const override;
    void resetPanel() override;

    void cmdRenQiChaxun_Click();
    void txtRenQi_KeyPress(int& KeyAscii);

private:
    QLineEdit* m_txtRenQi = nullptr;
    QPushButton* m_cmdRenQiChaxun = nullptr;
};

} // namespace veldrin
