#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "ICP证书" tool panel (frmICP): whether a site's domain is in the ICP record, looked up
// on a record site through the hidden loader, or by hand on the official registry's page.
class IcpPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit IcpPanel(Context& context, QWidget* parent = nullptr);

    // The hidden page loader of the ICP lookup; made silent by the main window's load step.
    PageLoader* WebICP() const { return m_webIcp; }

    void Command6_Click();
    void Command10_Click();
    void txtICP_KeyPress(int& KeyAscii);
    void WebICP_ProgressChange();
    void WebICP_DocumentComplete();

private:
    void showLookupFailure(std::unique_ptr<BusyGuard> busy);

    QLineEdit* m_txtICP = nullptr;
    QPushButton* m_Command6 = nullptr;
    QLabel* m_Label25 = nullptr;
    QLabel* m_Label30 = nullptr;
    PageLoader* m_webIcp = nullptr;
    PendingLoad m_bICPPending;
};

// The address as the record site wants it: a leading "http://" or "HTTP://" taken off, then a
// leading "www." or "WWW.". Only at the front, so "abcwww.com" stays another domain.
QString strippedIcpAddress(const QString& typed);

} // namespace veldrin
