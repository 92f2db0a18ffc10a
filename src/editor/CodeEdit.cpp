#include "editor/CodeEdit.h"

#include "config/PanelConfig.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

CodeEdit::CodeEdit(QWidget *parent) : QLineEdit(parent)
{
    setAcceptDrops(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void CodeEdit::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();

    if (key == Qt::Key_Backspace) {
        emit keyTyped();
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        emit keyTyped();
        emit validationRequested();
        event->accept(); // Enter never reaches the text
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        emit keyTyped();
        event->accept();
        return;
    }
    if (key == Qt::Key_Delete || event->matches(QKeySequence::Cut)) {
        // Removing letters cannot let a wrong one in, but it does change the code.
        emit keyTyped();
        QLineEdit::keyPressEvent(event);
        return;
    }

    const QString typed = event->text();
    if (typed.isEmpty()) {
        // Cursor movement and modifiers carry no character: they edit nothing.
        QLineEdit::keyPressEvent(event);
        return;
    }

    emit keyTyped();
    event->accept();
    // The whole text counts, so typing over a selection in a full box is refused as well.
    if (text().size() >= PanelConfig::kCodeLength || typed.size() != 1)
        return;
    const QChar c = typed.at(0);
    // a, b and c count as A, B and C; no character outside ASCII is turned into one.
    const QChar letter = c.unicode() < 0x80 ? c.toUpper() : c;
    if (PanelConfig::isCodeLetter(letter))
        insert(QString(letter));
}

void CodeEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    switch (event->reason()) {
    case Qt::ActiveWindowFocusReason: // a message box or another window came up
    case Qt::PopupFocusReason:        // a menu opened; the focus comes back
    case Qt::MenuBarFocusReason:
        return;
    default:
        emit validationRequested();
    }
}

void CodeEdit::mouseReleaseEvent(QMouseEvent *event)
{
    // The middle button pastes the selection on X11: refused like any other paste.
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}
