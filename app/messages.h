#pragma once

#include "app/context.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace veldrin {

// The application title, which a box that names no title of its own shows.
inline QString appTitle()
{
    return QStringLiteral("Veldrin");
}

// A message box shown from its exact lines, joined by a carriage return alone; some boxes have
// unnumbered causes or a single line, so nothing is added to what the caller writes.
void showMessage(const Context& context, QWidget* owner, int style, const QString& title, const QStringList& lines);

// The lines of a failure box: `firstLine` (ending in "错误原因："), then each cause numbered
// "1.", "2.", ...
QStringList numberedFailure(const QString& firstLine, const QStringList& causes);

} // namespace veldrin
