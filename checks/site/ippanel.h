#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "IP地址查询" tool panel (frmIP): in which region, city or network an IPv4 address lies.
class IpPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit IpPanel(Context& context, QWidget* parent = nullptr);

    QWidget* focusBox() const override;
    void resetPanel() override;

    void cmdIPChaXun_Click();
    void txtIP_KeyPress(int& KeyAscii);
    void txtIP_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showLookupFailure();

    QLineEdit* m_txtIP = nullptr;
    QPushButton* m_cmdIPChaXun = nullptr;
    QLabel* m_Label10 = nullptr;
    QPlainTextEdit* m_txtIPJG = nullptr;
    QLabel* m_lblIPZZ = nullptr;
    // The last fetched page, as fetched: cut from here, never from a text box.
    QString m_txtIPTT;
};

} // namespace veldrin
