#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "网址安全检查" tool panel (frmUSafe): the URL safety check and, below it, the web-page
// malware check, each with its own box and button.
class USafePanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit USafePanel(Context& context, QWidget* parent = nullptr);

    QWidget* focusBox() const override;

    void cmdUS_Click();
    void cmdGMCX_Click();
    void txtUS_KeyPress(int& KeyAscii);
    void txtGM_KeyPress(int& KeyAscii);

private:
    QLineEdit* m_txtUS = nullptr;
    QLineEdit* m_txtGM = nullptr;
};

} // namespace veldrin
