#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon, drawn once (packaging/torva-pc.svg, built into the program) and rendered
// from it wherever the program shows it: the main window's icon and the about box's picture.
namespace ProgramIcon {

// The icon rendered at size x size pixels.
QPixmap picture(int size);
// The window icon, at the sizes title bars and task bars use.
QIcon windowIcon();

} // namespace ProgramIcon
