#pragma once

#include <QGroupBox>
#include <QLine>
#include <QList>

// A frame that draws decorative lines on its own surface, under the controls it holds. A line is
// painted, not made of a widget one pixel high: such a widget can fall between two device pixels
// at 125 % or 150 % and show nothing, whereas a painted line is always one device pixel wide at
// least, on the pixels it is given.
class LinedFrame : public QGroupBox
{
    Q_OBJECT
public:
    using QGroupBox::QGroupBox;

    // A horizontal or vertical line through the pixels from `from` to `to`, both included.
    void addLine(QPoint from, QPoint to);
    const QList<QLine> &lines() const { return m_lines; }
    // The lines as painted: inside the frame's border, which the style draws at a height that
    // follows the title's font, so that no line crosses the border or shows above it; a line
    // wholly outside is not painted.
    QList<QLine> paintedLines() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<QLine> m_lines;
};
