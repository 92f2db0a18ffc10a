#pragma once

#include "config/Differences.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

// "COMPARAISON": the items that differ between the editor and the panel or a file, one row each,
// the item and both values in the editor's words. After a comparison with the panel it offers
// to send the editor's configuration; "FERMER" is the default button, so that Enter never sends.
class CompareFrm : public QDialog
{
    Q_OBJECT
public:
    enum class Against { Panel, File };

    CompareFrm(const QList<Difference> &rows, Against against, QWidget *parent = nullptr);

    // Shows the window modal; true when the installer chose "ENVOYER LA CONFIGURATION".
    static bool run(const QList<Difference> &rows, Against against, QWidget *parent);

    QLabel *Label_Result = nullptr;
    QTableWidget *Table_Diff = nullptr;
    QPushButton *Command_Send = nullptr;
    QPushButton *Command_Close = nullptr;
};
