#pragma once

#include "app/toolpanel.h"

#include <QStringView>

namespace veldrin {

// What the tidy removes from the host list last: the text of the main window's hidden Text6.
inline constexpr QStringView hostListRemovedText = u"\t";

// The name-server tool's lines, each followed by CR LF, then tidied: every blank removed,
// every "Addresses:" made "服务器主机信息：" and a line break, every removed text taken out.
QString tidyHostList(const QStringList& lines);

// The "网站主机数量查询" tool panel (frmSL): the host addresses a domain name resolves to, as
// the name-server tool lists them.
class SlPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit SlPanel(Context& context, QWidget* parent = nullptr);

    QWidget* focusBox() const override;
    void resetPanel() override;

    void cmdGO_Click();
    void txtSLURL_KeyPress(int& KeyAscii);

private:
    QLineEdit* m_txtSLURL = nullptr;
    QPushButton* m_cmdGO = nullptr;
    QPlainTextEdit* m_txtSLJG = nullptr;
};

} // namespace veldrin
