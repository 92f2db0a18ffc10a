#include "editor/ProgramIcon.h"

#include "ui/FusionPictures.h"

namespace ProgramIcon {

QPixmap picture(int size) { return readPng(QStringLiteral(":/icons/%1x%1/apps/torva-pc.png").arg(size)); }

QIcon windowIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(picture(size));
    return icon;
}

} // namespace ProgramIcon
