#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box "A propos de TORVA PC": the program's title, version, build date, description
// and picture. It is made anew each time it is shown and destroyed when closed.
class FrmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit FrmAbout(QWidget *parent = nullptr);

    // Shows a new about box modally and destroys it when "OK" closes it.
    static void showAbout(QWidget *parent = nullptr);

    QLabel *Image1 = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *Description_Lbl = nullptr;
    QLabel *Compil_Lbl = nullptr;
    QPushButton *cmdOK = nullptr;

private:
    void fillTexts();
};
