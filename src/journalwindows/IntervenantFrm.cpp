#include "journalwindows/IntervenantFrm.h"

#include "journal/Intervenant.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit *nameEdit(const QString &name, const QString &text, QWidget *parent)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    edit->setMaxLength(80);
    edit->setMinimumWidth(320);
    return edit;
}

} // namespace

IntervenantFrm::IntervenantFrm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Intervenant_Frm"));
    setWindowTitle(QStringLiteral("INTERVENANT"));
    setModal(true);
    const Intervenant kept = Intervenant::load();
    Text_Technicien = nameEdit(QStringLiteral("Text_Technicien"), kept.technician, this);
    Text_Entreprise = nameEdit(QStringLiteral("Text_Entreprise"), kept.company, this);
    Text_Site = nameEdit(QStringLiteral("Text_Site"), kept.site, this);
    Command_Ok = new QPushButton(QStringLiteral("OK"), this);
    Command_Ok->setObjectName(QStringLiteral("Command_Ok"));
    Command_Ok->setDefault(true);
    Command_Cancel = new QPushButton(QStringLiteral("Annuler"), this);
    Command_Cancel->setObjectName(QStringLiteral("Command_Cancel"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Technicien :"), Text_Technicien);
    form->addRow(QStringLiteral("Entreprise :"), Text_Entreprise);
    form->addRow(QStringLiteral("Site (facultatif) :"), Text_Site);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command_Ok);
    buttons->addWidget(Command_Cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(Command_Ok, &QPushButton::clicked, this, [this] {
        Intervenant{Text_Technicien->text().trimmed(), Text_Entreprise->text().trimmed(),
                    Text_Site->text().trimmed()}
            .save();
        accept();
    });
    connect(Command_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void IntervenantFrm::run(QWidget *parent)
{
    IntervenantFrm window(parent);
    window.exec();
}
