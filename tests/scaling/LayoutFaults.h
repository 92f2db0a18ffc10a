#pragma once

#include <QStringList>

class QWidget;

// What is wrong with a shown window as the screen draws it, at whatever scale it is drawn: one
// line per fault, naming the control. Looked for:
// - a caption cut by its own control: the caption, drawn with room to spare, has ink outside the
//   control (labels, check boxes, option buttons; buttons, code boxes and frame titles by their
//   text's size);
// - a caption under another control: its ink meets a later sibling's ink or an opaque sibling;
// - a caption touching one of its frame's drawn lines (closer than one screen pixel);
// - a control outside its frame: outside the parent, or its ink over a frame's border or title,
//   which would break the frame's lines.
QStringList layoutFaults(QWidget &window);
