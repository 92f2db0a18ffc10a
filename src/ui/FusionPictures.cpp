#include "ui/FusionPictures.h"

#include <QApplication>
#include <QGroupBox>
#include <QIcon>
#include <QImageReader>
#include <QPainter>
#include <QStyleOption>
#include <qdrawutil.h>

#include <algorithm>

namespace {

const QString kImages = QStringLiteral(":/qt-project.org/styles/commonstyle/images/");

// The picture at each of the sizes Qt's resources hold it.
QIcon iconOf(const QString &name, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (int size : sizes)
        icon.addPixmap(readPng(kImages + name + QString::number(size) + QStringLiteral(".png")));
    return icon;
}

bool rightToLeft(const QStyleOption *option)
{
    return option ? option->direction == Qt::RightToLeft : QGuiApplication::isRightToLeft();
}

} // namespace

QPixmap readPng(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false); // else every plugin is asked whether it reads PNG
    return QPixmap::fromImage(reader.read());
}

FusionPictures::FusionPictures()
    : QProxyStyle(QStringLiteral("fusion")),
      m_groupBoxFrame(readPng(kImages + QStringLiteral("fusion_groupbox.png")))
{}

QIcon FusionPictures::standardIcon(StandardPixmap which, const QStyleOption *option,
                                   const QWidget *widget) const
{
    // The menu bar asks for the overflow arrow as it is built, whether it overflows or not.
    if (which == SP_ToolBarHorizontalExtensionButton)
        return iconOf(rightToLeft(option) ? QStringLiteral("toolbar-ext-h-rtl-")
                                          : QStringLiteral("toolbar-ext-h-"),
                      {8, 16, 32});
    if (which == SP_ToolBarVerticalExtensionButton)
        return iconOf(QStringLiteral("toolbar-ext-v-"), {5, 10, 20});
    return QProxyStyle::standardIcon(which, option, widget);
}

void FusionPictures::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                   const QWidget *widget) const
{
    if (element != PE_FrameGroupBox) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // Fusion's frame: its picture stretched on 6-pixel borders, from below the title (or 3 pixels
    // down on a box with neither title nor check box).
    constexpr int kTopMargin = 3;
    const auto *box = qobject_cast<const QGroupBox *>(widget);
    const int top =
        box && !box->isCheckable() && box->title().isEmpty()
            ? kTopMargin
            : std::max(pixelMetric(PM_ExclusiveIndicatorHeight), option->fontMetrics.height()) + kTopMargin;
    qDrawBorderPixmap(painter, option->rect.adjusted(0, top, 0, 0), QMargins(6, 6, 6, 6), m_groupBoxFrame);
}

void useFusionPictures()
{
    if (QApplication::style()->name() == QStringLiteral("fusion"))
        QApplication::setStyle(new FusionPictures);
}
