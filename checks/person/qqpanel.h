#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "QQ在线查询" tool panel (frmQQ).
class QqPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit QqPanel(Context& context, QWidget* parent = nullptr);

    QWidget* focusBox() const override;

    void Command9_Click();
    void WebQQ_TitleChange();
    void Text4_KeyPress(int& KeyAscii);

private:
    QLineEdit* m_Text4 = nullptr;
    QPushButton* m_Command9 = nullptr;
    QLabel* m_Label24 = nullptr;
    QLabel* m_Label26 = nullptr;
    PageLoader* m_WebQQ = addPageLoader(QStringLiteral("WebQQ"));
    PendingLoad bQQPending { *this, *m_WebQQ };
};

} // namespace veldrin
