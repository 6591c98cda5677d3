#pragma once

#include "app/toolpanel.h"

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

private:
    QComboBox* m_Combo1 = nullptr;
    QComboBox* m_Combo2 = nullptr;
    QLabel* m_Label3 = nullptr;
    QLabel* m_Label4 = nullptr;
};

} // namespace veldrin
