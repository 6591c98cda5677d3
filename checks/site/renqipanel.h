#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "网站人气排名" tool panel (frmRenQi): a site's global and Chinese traffic ranking.
class RenQiPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit RenQiPanel(Context& context, QWidget* parent = nullptr);

    QWidget* focusBox() const override;
    void resetPanel() override;

    void cmdRenQiChaxun_Click();
    void txtRenQi_KeyPress(int& KeyAscii);

private:
    void refuse(const QStringList& lines);
    void showLookupFailure();

    QLineEdit* m_txtRenQi = nullptr;
    QPushButton* m_cmdRenQiChaxun = nullptr;
    QLabel* m_lblRenQi = nullptr;
    QLabel* m_lblZG = nullptr;
    QLabel* m_lblRenQiZZ = nullptr;
    // The last fetched page, as fetched: cut from here, never from a text box.
    QString m_txtRenQiTT;
};

} // namespace veldrin
