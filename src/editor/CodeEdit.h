#pragma once

#include <QLineEdit>

// One access-code box of the main window. It lets only the code letters A, B and C in (a, b and
// c become upper case), never more than a code's length of them; Backspace always works. Every key that
// reaches the box reports an edit, Enter asks for validation and is then dropped, and leaving
// the box asks for validation too, unless the focus only went to a message box, a menu or
// another window (which would otherwise validate a second time while the first message shows).
// Paste, drop and input-method text are refused, since they would go round the key filter.
class CodeEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit CodeEdit(QWidget *parent = nullptr);

signals:
    // A key was typed into the box (whether or not it was let in).
    void keyTyped();
    // Enter was pressed or the box lost the focus: the code should be checked now.
    void validationRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};
