#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "域名信息查询" tool panel (frmYuMing): the registration record of a domain.
class YuMingPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit YuMingPanel(Context& context, QWidget* parent = nullptr);

    QWidget* focusBox() const override;
    void resetPanel() override;

    void cmdYuMingChaXun_Click();
    void txtYuMing_KeyPress(int& KeyAscii);

private:
    void showLookupFailure();

    QLineEdit* m_txtYuMing = nullptr;
    QPushButton* m_cmdYuMingChaXun = nullptr;
    QPlainTextEdit* m_txtYuMingJG = nullptr;
    // The record under rewriting, as fetched: never read back from the result box.
    QString m_strYuMingPage;
};

} // namespace veldrin
