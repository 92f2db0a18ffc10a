#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

class EditorView;
class Prompts;
class QPrinter;
class QWidget;
struct Session;

// "Imprimer la configuration..." and "Exporter en PDF...": the configuration shown in the editor,
// with what the session knows of its file and of the panel, as one signed A4 sheet. Neither
// talks to the panel nor changes the configuration or ConfigSaved.
class SheetCommands
{
public:
    static inline const QString kPdfFilter = QStringLiteral("Fichiers PDF (*.pdf);;Tout type (*)");
    static inline const QString kPdfSuffix = QStringLiteral("pdf");

    enum class Outcome { Done, Cancelled, Failed };

    // Shows the platform's print dialog for the printer; false when the installer cancels.
    using PrinterChoice = std::function<bool(QPrinter &)>;

    // `dialogParent` owns the print dialog (the main window).
    SheetCommands(Session &session, EditorView &view, Prompts &prompts, QWidget *dialogParent);

    // Tests replace the print dialog with a choice of their own and pin the clock.
    void setPrinterChoice(PrinterChoice choice) { m_choosePrinter = std::move(choice); }
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // The sheet's rich text as it would be printed now.
    QString sheetHtml() const;

    Outcome print();
    Outcome exportPdf();

private:
    bool choosePrinterWithDialog(QPrinter &printer);

    Session &m_session;
    EditorView &m_view;
    Prompts &m_prompts;
    QWidget *m_dialogParent = nullptr;
    PrinterChoice m_choosePrinter;
    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTime(); };
};
