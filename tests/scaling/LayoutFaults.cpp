#include "scaling/LayoutFaults.h"

#include "editor/LinedFrame.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOption>

#include <cmath>

namespace {

// Room added around a caption to draw it without its control's bounds, in logical pixels.
constexpr int kRoom = 60;

QString nameOf(const QWidget *w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

// The ink of a control's grab: the pixels it paints (its children included) other than its
// background, in device pixels of the grab, and the scale of that grab.
struct Ink
{
    QRect box; // empty when nothing is drawn
    double scale = 1;
};

Ink inkOf(const QImage &image, QRect within = {})
{
    const QRgb background = image.text(QStringLiteral("background")).toUInt();
    if (within.isNull())
        within = image.rect();
    within &= image.rect();
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int y = within.top(); y <= within.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = within.left(); x <= within.right(); ++x) {
            if (qAlpha(line[x]) == 0 || (line[x] | 0xff000000) == background)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    Ink ink;
    ink.scale = image.devicePixelRatio();
    if (right >= 0)
        ink.box = QRect(QPoint(left, top), QPoint(right, bottom));
    return ink;
}

// The control as drawn, with the colour of the background it is drawn on (what is not ink).
QImage grabbed(QWidget *w)
{
    QImage image = w->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    image.setText(QStringLiteral("background"),
                  QString::number(w->palette().color(w->backgroundRole()).rgba() | 0xff000000));
    return image;
}

// A logical rectangle as the device pixels it covers at `scale`.
QRect devicePixels(const QRect &r, double scale)
{
    const int left = int(std::floor(r.left() * scale + 1e-6));
    const int top = int(std::floor(r.top() * scale + 1e-6));
    const int right = int(std::ceil((r.right() + 1) * scale - 1e-6)) - 1;
    const int bottom = int(std::ceil((r.bottom() + 1) * scale - 1e-6)) - 1;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

bool drawsCaption(const QWidget *w)
{
    if (auto *label = qobject_cast<const QLabel *>(w))
        return !label->text().isEmpty();
    return (qobject_cast<const QCheckBox *>(w) || qobject_cast<const QRadioButton *>(w)) &&
           !static_cast<const QAbstractButton *>(w)->text().isEmpty();
}

Qt::Alignment alignmentOf(const QWidget *w)
{
    if (auto *label = qobject_cast<const QLabel *>(w))
        return label->alignment();
    return Qt::AlignLeft | Qt::AlignVCenter; // check boxes and option buttons
}

// The caption's ink drawn with kRoom to spare on the sides its alignment lets it grow to, in
// device pixels of `w`'s own grab (its rectangle at the origin; ink may lie outside it).
QRect captionInk(QWidget *w)
{
    const Qt::Alignment a = alignmentOf(w);
    const bool wraps = qobject_cast<QLabel *>(w) && static_cast<QLabel *>(w)->wordWrap();
    const int left = wraps || (a & Qt::AlignLeft) ? 0 : (a & Qt::AlignRight) ? kRoom * 2 : kRoom;
    const int right = wraps || (a & Qt::AlignRight) ? 0 : (a & Qt::AlignLeft) ? kRoom * 2 : kRoom;
    const int up = (a & Qt::AlignTop) ? 0 : (a & Qt::AlignBottom) ? kRoom * 2 : kRoom;
    const int down = (a & Qt::AlignBottom) ? 0 : (a & Qt::AlignTop) ? kRoom * 2 : kRoom;
    const QRect was = w->geometry();
    w->setGeometry(was.adjusted(-left, -up, right, down));
    const Ink ink = inkOf(grabbed(w));
    w->setGeometry(was);
    if (ink.box.isEmpty())
        return {};
    return ink.box.translated(-int(std::lround(left * ink.scale)), -int(std::lround(up * ink.scale)));
}

// A control whose caption is drawn by its style from its text's size: the text's rectangle,
// against the control's.
QString textFault(QWidget *w)
{
    const QFontMetrics fm = w->fontMetrics();
    if (auto *button = qobject_cast<QPushButton *>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect contents = w->style()->subElementRect(QStyle::SE_PushButtonContents, &option, w);
        const QRect text = w->style()->itemTextRect(fm, contents, Qt::AlignCenter | Qt::TextShowMnemonic,
                                                    w->isEnabled(), button->text());
        if (!w->rect().contains(text))
            return QStringLiteral("%1: \"%2\" is cut by its button").arg(nameOf(w), button->text());
    }
    if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth =
            edit->hasFrame() ? w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, w) : 0;
        const QRect contents = w->style()->subElementRect(QStyle::SE_LineEditContents, &option, w);
        // The text's margins inside a line edit: 2 pixels a side.
        if (fm.horizontalAdvance(edit->text()) + 4 > contents.width())
            return QStringLiteral("%1: \"%2\" does not fit its box").arg(nameOf(w), edit->text());
    }
    if (auto *box = qobject_cast<QGroupBox *>(w); box && !box->title().isEmpty()) {
        if (fm.horizontalAdvance(box->title()) + fm.height() > w->width())
            return QStringLiteral("%1: the title \"%2\" is wider than its frame")
                .arg(nameOf(w), box->title());
    }
    return {};
}

// What a frame draws of its own: its four border lines and its title, as its style places them.
QList<QRect> borderOf(const QGroupBox &box)
{
    QStyleOptionGroupBox option;
    option.initFrom(&box);
    option.text = box.title();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.textAlignment = box.alignment();
    option.subControls = QStyle::SC_GroupBoxFrame;
    if (!box.title().isEmpty())
        option.subControls |= QStyle::SC_GroupBoxLabel;
    if (box.isFlat())
        option.features |= QStyleOptionFrame::Flat;
    const QStyle *style = box.style();
    const QRect f = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, &box);
    QList<QRect> parts{QRect(f.left(), f.top(), f.width(), 1), QRect(f.left(), f.bottom(), f.width(), 1),
                       QRect(f.left(), f.top(), 1, f.height()), QRect(f.right(), f.top(), 1, f.height())};
    if (!box.title().isEmpty())
        parts << style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &box);
    return parts;
}

bool isOpaque(const QWidget *w)
{
    return qobject_cast<const QLineEdit *>(w) || qobject_cast<const QPushButton *>(w) ||
           w->autoFillBackground() || w->testAttribute(Qt::WA_OpaquePaintEvent);
}

// The device pixels of a drawn line of a lined frame, in the frame's grab.
QRect linePixels(const QLine &line, double scale)
{
    return devicePixels(QRect(line.p1(), line.p2()).normalized(), scale);
}

// The parts of the scroll areas that are not the window's own controls.
bool isScrollMachinery(const QWidget *w)
{
    return qobject_cast<const QScrollBar *>(w) ||
           w->objectName().endsWith(QLatin1String("container")); // qt_scrollarea_[hv]container
}

// A control as drawn, and where its pixels lie in its parent's device pixels.
struct Drawn
{
    QWidget *w;
    QImage image;
    QPoint at; // the control's top left
    QRect ink; // its ink, empty when it draws nothing

    bool hasInkIn(const QRect &r) const { return !inkOf(image, r.translated(-at)).box.isEmpty(); }
};

Drawn drawn(QWidget *w)
{
    Drawn d{w, grabbed(w), {}, {}};
    const double scale = d.image.devicePixelRatio();
    d.at = QPoint(int(std::lround(w->x() * scale)), int(std::lround(w->y() * scale)));
    if (const QRect ink = inkOf(d.image).box; !ink.isEmpty())
        d.ink = ink.translated(d.at);
    return d;
}

void checkChildren(QWidget *parent, QStringList &faults)
{
    QList<Drawn> children;
    for (QWidget *w : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (w->isVisible() && !w->isWindow() && !isScrollMachinery(w))
            children.append(drawn(w));
    auto *lined = qobject_cast<LinedFrame *>(parent);
    auto *frame = qobject_cast<QGroupBox *>(parent);
    // What a scroll area holds may be larger than it: that is what it scrolls.
    const bool placedByHand =
        !parent->layout() && !qobject_cast<QAbstractScrollArea *>(parent->parentWidget());

    for (const Drawn &d : children) {
        QWidget *w = d.w;
        const double scale = d.image.devicePixelRatio();
        const QString caption = w->property("text").toString();
        if (drawsCaption(w)) {
            const QRect free = captionInk(w);
            if (!free.isEmpty() && !QRect(QPoint(0, 0), d.image.size()).contains(free))
                faults << QStringLiteral("%1: \"%2\" is cut by its control (ink %3x%4 at %5,%6 in %7x%8)")
                              .arg(nameOf(w), caption)
                              .arg(free.width())
                              .arg(free.height())
                              .arg(free.x())
                              .arg(free.y())
                              .arg(d.image.width())
                              .arg(d.image.height());
        } else if (const QString fault = textFault(w); !fault.isEmpty()) {
            faults << fault;
        }
        if (placedByHand && !parent->rect().contains(w->geometry()))
            faults << QStringLiteral("%1: outside %2").arg(nameOf(w), nameOf(parent));
        if (d.ink.isEmpty())
            continue;
        if (frame)
            for (const QRect &border : borderOf(*frame))
                if (devicePixels(border, scale).intersects(d.ink))
                    faults << QStringLiteral("%1: over the border or title of %2")
                                  .arg(nameOf(w), nameOf(parent));
        if (lined && drawsCaption(w))
            for (const QLine &line : lined->paintedLines())
                if (d.ink.adjusted(-1, -1, 1, 1).intersects(linePixels(line, scale)))
                    faults << QStringLiteral("%1: \"%2\" touches a line of %3")
                                  .arg(nameOf(w), caption, nameOf(parent));
    }

    // A caption under a later sibling: the sibling paints over it where it is opaque, or where
    // both have ink.
    for (int i = 0; i < children.size(); ++i) {
        const Drawn &below = children[i];
        if (!drawsCaption(below.w) || below.ink.isEmpty())
            continue;
        for (int j = i + 1; j < children.size(); ++j) {
            const Drawn &above = children[j];
            const QRect both = below.ink & above.ink;
            if (!both.isEmpty() && (isOpaque(above.w) || (above.hasInkIn(both) && below.hasInkIn(both))))
                faults << QStringLiteral("%1: \"%2\" is under %3")
                              .arg(nameOf(below.w), below.w->property("text").toString(), nameOf(above.w));
        }
    }

    for (const Drawn &d : children)
        checkChildren(d.w, faults);
}

} // namespace

QStringList layoutFaults(QWidget &window)
{
    QStringList faults;
    checkChildren(&window, faults);
    return faults;
}
