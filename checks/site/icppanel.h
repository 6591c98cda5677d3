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
    PageLoader* WebICP() const { return m_webIcp.get(); }

private:
    std::unique_ptr<PageLoader> m_webIcp;
};

} // namespace veldrin
