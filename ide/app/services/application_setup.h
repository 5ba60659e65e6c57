#pragma once
// How the environment names itself to the desktop.
#include <QString>

namespace qbc {

// The title of the message and input boxes that have none of their own.
QString ApplicationTitle();

// Names the application after its title, and sets no display name: Qt appends a display
// name to every window title on X11 and Wayland ("Quorvil Terminal — ..."), while each
// window here shows its own title as given. Call once, after the QApplication is made.
void SetUpApplication();

}  // namespace qbc
