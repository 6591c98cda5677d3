#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "明星知名度查询" tool panel (frmMX): how known a person presented as a celebrity is, by
// the figures of the forum the discussion site keeps under that name.
class MxPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit MxPanel(Context& context, QWidget* parent = nullptr);

    void cmdMXCX_Click();
    void WebMX_DocumentComplete();

private:
    // Writes the four indicators in order from the page; false at the first that cannot be cut.
    bool showIndicators();
    void showNoResult();

    QLineEdit* m_txtMXName = nullptr;
    QPushButton* m_cmdMXCX = nullptr;
    QList<QLabel*> m_indicators;
    QLabel* m_lblMX6 = nullptr;
    PageLoader* m_WebMX = addPageLoader(QStringLiteral("WebMX"));
    PendingLoad bMXPending { *this, *m_WebMX };
    // The last loaded page: cut from here, never from a label.
    QString m_strMXPage;
};

} // namespace veldrin
