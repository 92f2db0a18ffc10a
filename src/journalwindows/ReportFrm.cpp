#include "journalwindows/ReportFrm.h"

#include "report/InterventionReport.h"
#include "seams/Prompts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("RAPPORT D'INTERVENTION");

} // namespace

ReportFrm::ReportFrm(const JournalEntry &entry, Prompts &prompts, QWidget *parent)
    : QDialog(parent), m_entry(entry), m_prompts(prompts), m_choosePrinter([this](QPrinter &printer) {
          QPrintDialog dialog(&printer, this);
          return dialog.exec() == QDialog::Accepted;
      })
{
    setObjectName(QStringLiteral("Report_Frm"));
    setWindowTitle(kTitle);
    setModal(true);

    auto *label = new QLabel(QStringLiteral("&Observations (imprimées dans le cadre « Observations » ; "
                                            "vide, le cadre garde des lignes à remplir à la main) :"),
                             this);
    label->setWordWrap(true);
    Text_Observations = new QPlainTextEdit(this);
    Text_Observations->setObjectName(QStringLiteral("Text_Observations"));
    Text_Observations->setTabChangesFocus(true);
    Text_Observations->setMinimumSize(480, 140);
    label->setBuddy(Text_Observations);

    Command_Print = new QPushButton(QStringLiteral("IMPRIMER..."), this);
    Command_Print->setObjectName(QStringLiteral("Command_Print"));
    Command_Pdf = new QPushButton(QStringLiteral("EXPORTER EN PDF..."), this);
    Command_Pdf->setObjectName(QStringLiteral("Command_Pdf"));
    Command_Close = new QPushButton(QStringLiteral("FERMER"), this);
    Command_Close->setObjectName(QStringLiteral("Command_Close"));
    for (QPushButton *button : {Command_Print, Command_Pdf, Command_Close})
        button->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command_Print);
    buttons->addWidget(Command_Pdf);
    buttons->addStretch();
    buttons->addWidget(Command_Close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(Text_Observations, 1);
    layout->addLayout(buttons);

    connect(Command_Print, &QPushButton::clicked, this, &ReportFrm::print);
    connect(Command_Pdf, &QPushButton::clicked, this, &ReportFrm::exportPdf);
    connect(Command_Close, &QPushButton::clicked, this, &QDialog::reject);
    Text_Observations->setFocus();
}

bool ReportFrm::exportPdf()
{
    const QString path =
        m_prompts.saveFileName(QStringLiteral("Fichiers PDF (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty())
        return false;
    QString error;
    if (writeReportPdf(m_entry, Text_Observations->toPlainText(), path, &error))
        return true;
    m_prompts.message(error, kTitle, Prompts::Icon::Warning);
    return false;
}

bool ReportFrm::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(kTitle);
    InterventionReport::setUpPage(printer);
    if (!m_choosePrinter(printer))
        return false;
    BusyPointer busy(m_prompts);
    if (InterventionReport::print(printer, m_entry, Text_Observations->toPlainText()) > 0)
        return true;
    m_prompts.message(QStringLiteral("Impossible d'imprimer le rapport !"), kTitle, Prompts::Icon::Warning);
    return false;
}
