#include "editor/ProgramIcon.h"

#include <QPainter>
#include <QSvgRenderer>

namespace ProgramIcon {

QPixmap picture(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/icons/torva-pc.svg"));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    return pixmap;
}

QIcon windowIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(picture(size));
    return icon;
}

} // namespace ProgramIcon
