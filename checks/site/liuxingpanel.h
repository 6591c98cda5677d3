#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "网站流行度" tool panel (frmLiuXing): two lookups, the popularity grade and the index
// count, on one address.
class LiuXingPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit LiuXingPanel(Context& context, QWidget* parent = nullptr);

    QWidget* focusBox() const override;
    void resetPanel() override;

    void cmdLiuXingChaXun_Click();
    void cmdShouLuChaXun_Click();
    void txtLiuXing_KeyPress(int& KeyAscii);

private:
    QLineEdit* m_txtLiuXing = nullptr;
    QPushButton* m_cmdLiuXingChaXun = nullptr;
    QPushButton* m_cmdShouLuChaXun = nullptr;
    QLabel* m_lblLiuXing = nullptr;
    QLabel* m_lblShouLu = nullptr;
    QLabel* m_lblLiuXingZZ = nullptr;
    // The last fetched pages of the two lookups, as fetched: cut from here, never from a box.
    QString m_txtLiuXingTT;
    QString m_txtShouLuTT;
};

} // namespace veldrin
