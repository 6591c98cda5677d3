#pragma once

#include "app/context.h"

#include <QWidget>
#include <memory>

class QLabel;

namespace veldrin {

class Form1;

// The start-up window: the program's first window. It refuses a second instance, tells the
// user when the published version differs from the program's own, then closes and shows the
// main window, which it creates only then and keeps for the rest of the run.
class Form3 : public QWidget
{
    Q_OBJECT
public:
    explicit Form3(Context& context, QWidget* parent = nullptr);
    ~Form3() override;

    // Load, then shown unless the load ended the program.
    void start();

    // The main window, once the check is done; null before.
    Form1* mainWindow() const { return m_form1.get(); }

    void Form_Load();
    void Form_Activate();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Context& m_context;
    QLabel* Label1 = nullptr;
    bool m_ended = false; // the load ended the program
    bool m_checkQueued = false; // the check runs once, on the first show or activation
    QString strVersionPage;
    std::unique_ptr<Form1> m_form1;
};

} // namespace veldrin
