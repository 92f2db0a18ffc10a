#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// "INTERVENANT": the technician, the company and the site that the journal's entries name, kept
// in the settings when the installer confirms.
class IntervenantFrm : public QDialog
{
    Q_OBJECT
public:
    explicit IntervenantFrm(QWidget *parent = nullptr);

    // Shows the window modal; saves the names when confirmed.
    static void run(QWidget *parent);

    QLineEdit *Text_Technicien = nullptr;
    QLineEdit *Text_Entreprise = nullptr;
    QLineEdit *Text_Site = nullptr;
    QPushButton *Command_Ok = nullptr;
    QPushButton *Command_Cancel = nullptr;
};
