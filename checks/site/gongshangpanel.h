#pragma once

#include "app/toolpanel.h"

class QGroupBox;

namespace veldrin {

// The "工商信息" tool panel (frmGongShang): pick a province or a city, see the addresses of its
// business-registry and enterprise-credit sites.
class GongShangPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit GongShangPanel(Context& context, QWidget* parent = nullptr);

    // Load steps of the main window: underline the two link labels, fill the province and
    // city lists.
    void underlineLinks();
    void fillLists();

    void Command1_Click();
    void Option1_Click();
    void Option2_Click();
    void Label3_Change();
    void Label4_Change();
    void Label3_Click();
    void Label4_Click();
    void Label3_MouseDown();
    void Label4_MouseDown();
    void Frame2_MouseMove();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refuse();

    QRadioButton* m_Option1 = nullptr;
    QRadioButton* m_Option2 = nullptr;
    QComboBox* m_Combo1 = nullptr;
    QComboBox* m_Combo2 = nullptr;
    QPushButton* m_Command1 = nullptr;
    QGroupBox* m_Frame2 = nullptr;
    QLabel* m_Label3 = nullptr;
    QLabel* m_Label4 = nullptr;
};

// True when a link label's caption can be opened: "http://" followed by a host, so neither a
// no-link text nor the bare "http:///" of the start is ever handed to the shell.
bool isRegistryLink(const QString& caption);

} // namespace veldrin
