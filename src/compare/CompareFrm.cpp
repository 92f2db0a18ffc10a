#include "compare/CompareFrm.h"

#include "compare/DifferenceTable.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString summary(qsizetype count)
{
    if (count == 0)
        return QStringLiteral("Aucune différence.");
    return count == 1 ? QStringLiteral("1 différence.") : QStringLiteral("%1 différences.").arg(count);
}

} // namespace

CompareFrm::CompareFrm(const QList<Difference> &rows, Against against, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Compare_Frm"));
    setWindowTitle(QStringLiteral("COMPARAISON"));
    setModal(true);
    resize(640, 420);

    Label_Result = new QLabel(summary(rows.size()), this);
    Label_Result->setObjectName(QStringLiteral("Label_Result"));
    // A line's height is the font's; Windows' fonts at 150 % and above draw the accents of
    // "différences" a pixel higher than that.
    Label_Result->setMargin(2);

    Table_Diff =
        makeDifferenceTable({QStringLiteral("Élément"), QStringLiteral("Éditeur"),
                             against == Against::Panel ? QStringLiteral("ECS") : QStringLiteral("Fichier")},
                            this);
    fillDifferenceTable(Table_Diff, rows);
    Table_Diff->setVisible(!rows.isEmpty());

    Command_Send = new QPushButton(QStringLiteral("ENVOYER LA CONFIGURATION"), this);
    Command_Send->setObjectName(QStringLiteral("Command_Send"));
    Command_Send->setToolTip(QStringLiteral("Envoyer la configuration actuelle vers l'ECS"));
    Command_Send->setAutoDefault(false);
    Command_Send->setVisible(against == Against::Panel);
    Command_Close = new QPushButton(QStringLiteral("FERMER"), this);
    Command_Close->setObjectName(QStringLiteral("Command_Close"));
    Command_Close->setDefault(true);
    connect(Command_Send, &QPushButton::clicked, this, &QDialog::accept);
    connect(Command_Close, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command_Send);
    buttons->addWidget(Command_Close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label_Result);
    layout->addWidget(Table_Diff, 1);
    if (rows.isEmpty())
        layout->addStretch(1);
    layout->addLayout(buttons);
    Command_Close->setFocus();
}

bool CompareFrm::run(const QList<Difference> &rows, Against against, QWidget *parent)
{
    CompareFrm window(rows, against, parent);
    return window.exec() == QDialog::Accepted && against == Against::Panel;
}
