#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "Email查所在地、电话查具体位置" tool panel (frmTelWZ): the directory lookup of a fixed
// telephone number, the number-range search and the e-mail origin advice.
class TelWzPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit TelWzPanel(Context& context, QWidget* parent = nullptr);

    QWidget* focusBox() const override;
    void resetPanel() override;

    void cmdTelChaXun_Click();
    void Command5_Click();
    void Command4_Click();
    void WebTel_DocumentComplete();

    void txtTel_KeyPress(int& KeyAscii);
    void Text2_KeyPress(int& KeyAscii);
    void Text3_KeyPress(int& KeyAscii);

private:
    void showLookupFailure(BusyGuard& busy);

    QLineEdit* m_txtTel = nullptr;
    QPushButton* m_cmdTelChaXun = nullptr;
    QPlainTextEdit* m_txtTelWZ = nullptr;
    QLineEdit* m_Text2 = nullptr;
    QLineEdit* m_Text3 = nullptr;
    QPushButton* m_Command5 = nullptr;
    QPushButton* m_Command4 = nullptr;
    PageLoader* m_WebTel = addPageLoader(QStringLiteral("WebTel"));
    PendingLoad bTelPending { *this, *m_WebTel };
    // The last loaded page, as loaded: searched and cut from here, never from a text box.
    QString m_txtTelTT;
};

} // namespace veldrin
