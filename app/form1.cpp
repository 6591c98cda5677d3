#include "app/form1.h"

#include <QCloseEvent>

namespace veldrin {

Form1::Form1(Context& context, QWidget* parent)
    : QMainWindow(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Veldrin 4.01"));
}

Form1::~Form1() = default;

bool Form1::event(QEvent* event)
{
    return QMainWindow::event(event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
}

} // namespace veldrin
