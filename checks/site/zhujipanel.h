#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "主机地址所在地" tool panel (frmZhuJi).
class ZhuJiPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit ZhuJiPanel(Context& context, QWidget* parent = nullptr);

    QWidget* focusBox() const override;
    void resetPanel() override;

    void cmdZhuJiChaXun_Click();
    void txtZhuJi_KeyPress(int& KeyAscii);

private:
    QLineEdit* m_txtZhuJi = nullptr;
    QPushButton* m_cmdZhuJiChaXun = nullptr;
    QLabel* m_lblZhuJiIP = nullptr;
};

} // namespace veldrin
