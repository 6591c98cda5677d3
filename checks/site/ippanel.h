#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "IP地址查询" tool panel (frmIP).
class IpPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit IpPanel(Context& context, QWidget* parent = nullptr);

    QWidget* focusBox() const override;
    void resetPanel() override;

    void cmdIPChaXun_Click();
    void txtIP_KeyPress(int& KeyAscii);

private:
    QLineEdit* m_txtIP = nullptr;
    QPushButton* m_cmdIPChaXun = nullptr;
    QLabel* m_Label10 = nullptr;
};

} // namespace veldrin
