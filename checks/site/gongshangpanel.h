#pragma once

#include "app/toolpanel.h"

namespace veldrin {

// The "工商信息" tool panel (frmGongShang).
class GongShangPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit GongShangPanel(Context& context, QWidget* parent = nullptr);

    // Load steps of the main window: underline the two link labels, fill the province and
    // city lists.
    void underlineLinks();
    void fillLists();
};

} // namespace veldrin
