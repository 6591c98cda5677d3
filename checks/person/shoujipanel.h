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
    // Fetches the page for `number` and writes the values in order; false at the first failure.
    bool fetchAndShow(const QString& number);
    void showLookupFailure();

    QLineEdit* m_txtShouJi = nullptr;
    QPushButton* m_cmdShouJiChaXun = nullptr;
    QList<QLabel*> m_resultLabels;
    QLabel* m_lblShouJiZZ = nullptr;
    // The last fetched page, as fetched: cut from here, never from a text box.
    QString m_txtShouJiTT;
};

} // namespace veldrin
