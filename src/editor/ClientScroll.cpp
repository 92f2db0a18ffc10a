#include "editor/ClientScroll.h"

#include <QScreen>
#include <QScrollBar>
#include <QStyle>

ClientScroll::ClientScroll(QWidget *client, QWidget *parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidget(client);
}

QSize ClientScroll::sizeHint() const { return widget()->size(); }

void fitToScreen(QWidget &window, ClientScroll &scroll, bool place)
{
    const QScreen *screen = window.screen();
    if (!screen)
        return;
    window.setMinimumSize(0, 0);
    window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const QSize whole = window.sizeHint();
    // The room inside the window's frame (title bar and borders), where the platform knows it
    // before the window is shown (Windows does).
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    const QRect room = screen->availableGeometry().adjusted(0, 0, -frame.width(), -frame.height());
    if (whole.width() <= room.width() && whole.height() <= room.height()) {
        window.setFixedSize(whole);
        return;
    }
    // A scroll bar takes room from the other direction: the window grows by it where it can.
    const int bar = scroll.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &scroll);
    QSize wanted = whole;
    if (whole.height() > room.height())
        wanted.rwidth() += bar;
    if (whole.width() > room.width())
        wanted.rheight() += bar;
    window.setMinimumSize(200, 150);
    window.setMaximumSize(wanted);
    window.resize(wanted.boundedTo(room.size()));
    // Placed where all of it shows: a window placed by the system below its title bar's height
    // would lose its bottom again. A window the installer drags to another screen stays where
    // it is dropped.
    if (place)
        window.move(room.topLeft());
}
