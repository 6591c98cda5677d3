#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "身份证校验" tool panel (frmShenFenZheng).
class ShenFenZhengPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit ShenFenZhengPanel(Context& context, QWidget* parent = nullptr);

    QWidget* focusBox() const override;
    void resetPanel() override;

    void cmdShenFenZhengChaXun_Click();
    void txtShenFenZheng_KeyPress(int& KeyAscii);

private:
    void showLookupFailure();

    QLineEdit* m_txtShenFenZheng = nullptr;
    QPushButton* m_cmdShenFenZhengChaXun = nullptr;
    QList<QLabel*> m_resultLabels;
    QLabel* m_lblSFZZZ = nullptr;
    // The last fetched page, as fetched: cut from here, never from a text box.
    QString m_txtSFZTT;
};

} // namespace veldrin
