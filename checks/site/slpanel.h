#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "网站主机数量查询" tool panel (frmSL).
class SlPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit SlPanel(Context& context, QWidget* parent = nullptr);

    QWidget* focusBox() const override;
    void resetPanel() override;

    void cmdGO_Click();
    void txtSLURL_KeyPress(int& KeyAscii);

private:
    QLineEdit* m_txtSLURL = nullptr;
    QPushButton* m_cmdGO = nullptr;
    QPlainTextEdit* m_txtSLJG = nullptr;
};

} // namespace veldrin
