#pragma once

#include <QScrollArea>

// The main window's client, drawn at a fixed size, in a scroll area without a frame: on a screen
// with room for the whole window nothing scrolls and the window looks as it always has; on a
// smaller one (1366x768 at 125 %) the window fits the screen and the client scrolls.
class ClientScroll : public QScrollArea
{
public:
    explicit ClientScroll(QWidget *client, QWidget *parent = nullptr);

    // The whole client: the window asks for that much room.
    QSize sizeHint() const override;
};

// Gives `window` its whole size when the screen's available area holds it (then fixed, as the
// window was designed), else the size of that area, with the client scrolling inside, and when
// `place` (the window's first showing, not a move to another screen) at that area's top left.
void fitToScreen(QWidget &window, ClientScroll &scroll, bool place);
