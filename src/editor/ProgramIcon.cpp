#include "editor/ProgramIcon.h"

namespace ProgramIcon {

namespace {
QString rendered(int size) { return QStringLiteral(":/icons/%1x%1/apps/torva-pc.png").arg(size); }
} // namespace

QPixmap picture(int size)
{
    const QPixmap pixmap(rendered(size));
    return pixmap.width() == size ? pixmap
                                  : pixmap.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QIcon windowIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(rendered(size), QSize(size, size));
    return icon;
}

} // namespace ProgramIcon
