#pragma once

#include <QPixmap>
#include <QProxyStyle>

// Fusion, with the pictures it takes from Qt's resources at start-up (a group box's frame, the
// menu bar's overflow arrow) read as the PNGs they are, and drawn the same, pixel for pixel.
// Qt reads such a picture by guessing its format, and to guess it loads every image plugin
// installed (GIF, ICO, JPEG, and SVG with Qt Svg behind it): 2 to 3 ms of the window's start,
// for pictures it could only ever read with its own PNG reader.
class FusionPictures : public QProxyStyle
{
public:
    FusionPictures();

    QIcon standardIcon(StandardPixmap which, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;

private:
    QPixmap m_groupBoxFrame;
};

// Makes FusionPictures the application's style when its style is Fusion; any other style (a
// desktop's own, or Windows') stays as it is.
void useFusionPictures();

// A PNG file or resource read by Qt's built-in reader, without loading any image plugin.
QPixmap readPng(const QString &path);
