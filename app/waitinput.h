#pragma once

class QWidget;

namespace veldrin {

// Installs, once for the application, what every wait of a lookup does with the user's input:
// from its start to its end the wait's loop takes input, and every click, key, wheel turn or
// touch aimed at any of the program's windows is dropped as it comes, unless it is aimed at a
// way out of the program (markWayOut). Nothing is kept for later. The pointer shows the busy
// cursor meanwhile. A box that comes up during a wait runs a loop of its own and takes its
// input as usual.
void installWaitInput();

// Marks `control` as a way out of the program, which acts during a wait too: a button takes
// its clicks; a menu opens from its title in the menu bar, and its items can be chosen with the
// mouse. Keys are not taken: the menu bar's keyboard mode would lead on to the other menus.
void markWayOut(QWidget* control);

} // namespace veldrin
