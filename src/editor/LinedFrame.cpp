#include "editor/LinedFrame.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

void LinedFrame::addLine(QPoint from, QPoint to)
{
    m_lines.append(QLine(from, to));
    update();
}

void LinedFrame::paintEvent(QPaintEvent *event)
{
    QGroupBox::paintEvent(event);
    QPainter painter(this);
    // A cosmetic pen keeps its width in device pixels: one at 125 % and 150 %, as many as a
    // pixel covers at whole scales (two at 200 %), so the lines stay as thin as they were.
    QPen pen(QColor(0x80, 0x80, 0x80), std::max(1.0, std::floor(devicePixelRatioF())));
    pen.setCosmetic(true);
    painter.setPen(pen);
    // From the centre of the first pixel to the centre of the last; the square caps reach the
    // outer edges of both.
    for (const QLine &line : paintedLines())
        painter.drawLine(QLineF(line).translated(0.5, 0.5));
}

QList<QLine> LinedFrame::paintedLines() const
{
    // The contents rectangle: what the style leaves inside the border and below the title.
    const QRect inside = contentsRect();
    QList<QLine> painted;
    for (const QLine &line : m_lines) {
        const QRect span = QRect(line.p1(), line.p2()).normalized() & inside;
        if (span.isEmpty())
            continue;
        painted.append(line.dx() == 0 ? QLine(span.left(), span.top(), span.left(), span.bottom())
                                      : QLine(span.left(), span.top(), span.right(), span.top()));
    }
    return painted;
}
