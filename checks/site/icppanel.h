#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "ICP证书" tool panel (frmICP).
class IcpPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit IcpPanel(Context& context, QWidget* parent = nullptr);

    // The hidden page loader of the ICP lookup; made silent by the main window's load step.
    PageLoader* WebICP() const { return m_webIcp; }

    void Command6_Click();
    void txtICP_KeyPress(int& KeyAscii);

private:
    QLineEdit* m_txtICP = nullptr;
    QPushButton* m_Command6 = nullptr;
    PageLoader* m_webIcp = nullptr;
};

} // namespace veldrin
