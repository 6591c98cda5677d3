#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "手机归属查询" tool panel (frmShouJi).
class ShouJiPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit ShouJiPanel(Context& context, QWidget* parent = nullptr);

    QWidget* focusBox() const override;
    void resetPanel() override;

    void cmdShouJiChaXun_Click();
    void txtShouJi_KeyPress(int& KeyAscii);

private:
    QLineEdit* m_txtShouJi = nullptr;
    QPushButton* m_cmdShouJiChaXun = nullptr;
    QList<QLabel*> m_resultLabels;
    QLabel* m_lblShouJiZZ = nullptr;
};

} // namespace veldrin
