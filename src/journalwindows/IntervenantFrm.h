#pragma once

#include <QDialog>

#include <functional>

class Prompts;
class QLineEdit;
class QPushButton;

// "INTERVENANT": the technician, the company and the site that the journal's entries name, and
// the journal's folder, kept in the settings when the installer confirms. An empty folder is the
// default one (shown greyed in the empty field); a folder that cannot be made is refused with a
// message and the window stays.
class IntervenantFrm : public QDialog
{
    Q_OBJECT
public:
    explicit IntervenantFrm(Prompts &prompts, QWidget *parent = nullptr);

    // Shows the window modal; saves the names and the folder when confirmed.
    static void run(Prompts &prompts, QWidget *parent);

    // "Parcourir..." asks for a folder, starting at the one given; empty when cancelled. The
    // system's folder dialog; tests answer in its place.
    std::function<QString(const QString &start)> chooseFolder;

    QLineEdit *Text_Technicien = nullptr;
    QLineEdit *Text_Entreprise = nullptr;
    QLineEdit *Text_Site = nullptr;
    QLineEdit *Text_Dossier = nullptr;
    QPushButton *Command_Parcourir = nullptr;
    QPushButton *Command_Defaut = nullptr;
    QPushButton *Command_Ok = nullptr;
    QPushButton *Command_Cancel = nullptr;

private:
    void confirm();

    Prompts &m_prompts;
};
