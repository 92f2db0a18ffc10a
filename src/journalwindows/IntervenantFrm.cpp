#include "journalwindows/IntervenantFrm.h"

#include "journal/Intervenant.h"
#include "journal/Journal.h"
#include "seams/Prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
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

QPushButton *button(const QString &name, const QString &text, QWidget *parent)
{
    auto *made = new QPushButton(text, parent);
    made->setObjectName(name);
    return made;
}

} // namespace

IntervenantFrm::IntervenantFrm(Prompts &prompts, QWidget *parent) : QDialog(parent), m_prompts(prompts)
{
    setObjectName(QStringLiteral("Intervenant_Frm"));
    setWindowTitle(QStringLiteral("INTERVENANT"));
    setModal(true);
    const Intervenant kept = Intervenant::load();
    Text_Technicien = nameEdit(QStringLiteral("Text_Technicien"), kept.technician, this);
    Text_Entreprise = nameEdit(QStringLiteral("Text_Entreprise"), kept.company, this);
    Text_Site = nameEdit(QStringLiteral("Text_Site"), kept.site, this);

    // The folder as the installer chose it; empty for the default, which the field shows greyed.
    const QString folder = JournalSettings::folder();
    Text_Dossier = new QLineEdit(
        folder == Journal::defaultFolder() ? QString() : QDir::toNativeSeparators(folder), this);
    Text_Dossier->setObjectName(QStringLiteral("Text_Dossier"));
    Text_Dossier->setPlaceholderText(QDir::toNativeSeparators(Journal::defaultFolder()));
    Text_Dossier->setToolTip(QStringLiteral("Vide : le dossier par défaut"));
    Text_Dossier->setMinimumWidth(320);
    Command_Parcourir = button(QStringLiteral("Command_Parcourir"), QStringLiteral("Parcourir..."), this);
    Command_Parcourir->setAutoDefault(false);
    Command_Defaut = button(QStringLiteral("Command_Defaut"), QStringLiteral("Par défaut"), this);
    Command_Defaut->setToolTip(QStringLiteral("Revenir au dossier par défaut"));
    Command_Defaut->setAutoDefault(false);
    Command_Ok = button(QStringLiteral("Command_Ok"), QStringLiteral("OK"), this);
    Command_Ok->setDefault(true);
    Command_Cancel = button(QStringLiteral("Command_Cancel"), QStringLiteral("Annuler"), this);

    chooseFolder = [this](const QString &start) {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Dossier du journal"), start);
    };

    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(Text_Dossier, 1);
    folderRow->addWidget(Command_Parcourir);
    folderRow->addWidget(Command_Defaut);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Technicien :"), Text_Technicien);
    form->addRow(QStringLiteral("&Entreprise :"), Text_Entreprise);
    form->addRow(QStringLiteral("&Site (facultatif) :"), Text_Site);
    form->addRow(QStringLiteral("&Dossier du journal :"), folderRow);
    // The label's mnemonic takes the keyboard to the field, not to the row's first button.
    if (auto *label = qobject_cast<QLabel *>(form->labelForField(folderRow)))
        label->setBuddy(Text_Dossier);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command_Ok);
    buttons->addWidget(Command_Cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(Command_Parcourir, &QPushButton::clicked, this, [this] {
        const QString shown = Text_Dossier->text().trimmed();
        const QString chosen = chooseFolder(shown.isEmpty() ? JournalSettings::folder() : shown);
        if (!chosen.isEmpty())
            Text_Dossier->setText(QDir::toNativeSeparators(chosen));
    });
    connect(Command_Defaut, &QPushButton::clicked, Text_Dossier, &QLineEdit::clear);
    connect(Command_Ok, &QPushButton::clicked, this, &IntervenantFrm::confirm);
    connect(Command_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void IntervenantFrm::confirm()
{
    const QString typed = Text_Dossier->text().trimmed();
    const QString folder = typed.isEmpty() ? QString() : QDir::cleanPath(QDir::fromNativeSeparators(typed));
    // A folder the journal could never be written into is said now, not after each transfer; a
    // relative name would depend on where the program was started.
    if (!folder.isEmpty() && (!QDir::isAbsolutePath(folder) || !QDir().mkpath(folder))) {
        m_prompts.message(QStringLiteral("Le dossier du journal ne peut pas être créé : %1")
                              .arg(QDir::toNativeSeparators(folder)),
                          QStringLiteral("INTERVENANT"), Prompts::Icon::Warning);
        Text_Dossier->setFocus();
        return;
    }
    Intervenant{Text_Technicien->text().trimmed(), Text_Entreprise->text().trimmed(),
                Text_Site->text().trimmed()}
        .save();
    JournalSettings::setFolder(folder);
    accept();
}

void IntervenantFrm::run(Prompts &prompts, QWidget *parent)
{
    IntervenantFrm window(prompts, parent);
    window.exec();
}
