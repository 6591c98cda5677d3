#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "主机地址所在地" tool panel (frmZhuJi): where the server of a host name stands, found by
// resolving the name, echoing its first address and locating the address that answered.
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
    void showLookupFailure();

    QLineEdit* m_txtZhuJi = nullptr;
    QPushButton* m_cmdZhuJiChaXun = nullptr;
    QLabel* m_lblZhuJiIP = nullptr;
    QLabel* m_lblZhuJi = nullptr;
    QPlainTextEdit* m_txtZhuJiJG = nullptr;
    // The address that answered the echo, and the location page fetched for it.
    QString m_strIP;
    QString m_txtZhuJiTT;
};

} // namespace veldrin
