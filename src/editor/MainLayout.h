#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

// One control of the main window as data: what it is, its name, the frame it sits in, where (in
// twips, within that frame), its caption and its tooltip.
struct LayoutItem
{
    enum class Kind {
        Frame,        // a frame with a caption
        LinedFrame,   // a frame with a caption that draws the decorative lines given in it
        OptionFrame,  // a frame without border or caption: its option buttons are one group
        OptionButton, // one of the exclusive group of the option buttons of its frame
        CheckBox,
        Label,
        CodeBox, // an access-code box
        Button,  // a push button, in Arial
        Line,    // a decorative line of its frame, from the top left to the bottom right
    };

    Kind kind;
    QString name;   // the objectName, "Check_Alb(3)"; empty for a line
    QString parent; // the frame it sits in, or "client" for the window's surface
    QRect twips;
    QString caption = {};
    QString toolTip = {};
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter; // of a label's text
};

// The size of the main window's surface, in twips.
inline constexpr QSize kMainClientTwips{11265, 9000};

// Every control of the main window, a frame before what it holds, in the order the controls are
// made: the order the Tab key follows.
const QList<LayoutItem> &mainLayout();

// The name of element `index` of a control array: "Check_Alb(3)".
QString indexed(const char *name, int index);
