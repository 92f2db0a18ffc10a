#pragma once

#include "journal/Journal.h"

#include <QDialog>

#include <functional>

class Prompts;
class QPlainTextEdit;
class QPrinter;
class QPushButton;

// "RAPPORT D'INTERVENTION": the observations to write on the report of one journal entry, then
// the report printed or written as a PDF, for the site's safety register.
class ReportFrm : public QDialog
{
    Q_OBJECT
public:
    ReportFrm(const JournalEntry &entry, Prompts &prompts, QWidget *parent = nullptr);

    // The printer dialog; tests replace it. True when a printer was chosen.
    using ChoosePrinter = std::function<bool(QPrinter &printer)>;
    void setPrinterChoice(ChoosePrinter choose) { m_choosePrinter = std::move(choose); }

    QPlainTextEdit *Text_Observations = nullptr;
    QPushButton *Command_Print = nullptr;
    QPushButton *Command_Pdf = nullptr;
    QPushButton *Command_Close = nullptr;

    // "EXPORTER EN PDF...": asks for the file and writes it; false when nothing was written.
    bool exportPdf();
    // "IMPRIMER...": asks for the printer and prints; false when nothing was printed.
    bool print();

private:
    const JournalEntry m_entry;
    Prompts &m_prompts;
    ChoosePrinter m_choosePrinter;
};
