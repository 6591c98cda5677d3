#pragma once

#include <QWidget>

namespace veldrin {

// Where a lookup puts the focus while the control that had it is disabled: without it Qt moves
// the focus on to the next control (often an editable result box), where keys typed at the
// busy box would land. Keys typed here do nothing; the mouse goes through to what lies below.
class FocusPark final : public QWidget
{
    Q_OBJECT
public:
    explicit FocusPark(QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};

// Installs, once for the application, the gate through which every wait of a lookup takes the
// user's input: a click or key aimed at a disabled control or at a FocusPark is dropped, any
// other is handed back to the window system once the outermost wait is over, to be delivered
// after the lookup as it was made (a modal box up by then blocks it as it would any input).
void installBusyInput();

} // namespace veldrin
