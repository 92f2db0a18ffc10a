#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon, drawn once (packaging/torva-pc.svg) and rendered at build time into the
// sizes the program shows, built into it: the main window's icon and the about box's picture.
// Nothing is drawn at start-up, and no SVG library is needed at run time.
namespace ProgramIcon {

// The icon at size x size pixels, at one of the sizes rendered: 16, 32, 48 or 64.
QPixmap picture(int size);
// The window icon, at the sizes title bars and task bars use.
QIcon windowIcon();

} // namespace ProgramIcon
