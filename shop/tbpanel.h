#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "淘宝商户信用" tool panel (frmTB): the shop search above, the credit scoring below.
class TbPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit TbPanel(Context& context, QWidget* parent = nullptr);

    void cmdTBCX_Click();
    void Command13_Click();
    void txtTB_KeyPress(int& KeyAscii);

private:
    QLineEdit* m_txtTB = nullptr;
    QPushButton* m_cmdTBCX = nullptr;
    QPushButton* m_Command13 = nullptr;
};

} // namespace veldrin
