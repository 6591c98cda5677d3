#pragma once

#include <QIcon>
#include <QString>

namespace veldrin {

// The program's own pictures, drawn as SVG and compiled in. A name is the file's base name
// under app/pictures ("phone" for phone.svg).
QIcon picture(const QString& name);

// The shield with the check mark: the window icon of every window and the About window's
// product icon.
QIcon programIcon();

// Makes the program's icon the icon of every window the application opens.
void installProgramIcon();

} // namespace veldrin
