#include "sheet/SheetCommands.h"

#include "seams/Prompts.h"
#include "seams/Version.h"
#include "sheet/ConfigSheet.h"
#include "sheet/SheetContent.h"
#include "sheet/SheetOutput.h"

#include <QDir>
#include <QPrintDialog>
#include <QPrinter>

namespace {

const QString kPdfTitle = QStringLiteral("EXPORT PDF");
const QString kPrintTitle = QStringLiteral("IMPRESSION");

} // namespace

SheetCommands::SheetCommands(Session &session, EditorView &view, Prompts &prompts, QWidget *dialogParent)
    : m_session(session),
      m_view(view),
      m_prompts(prompts),
      m_dialogParent(dialogParent),
      m_choosePrinter([this](QPrinter &printer) { return choosePrinterWithDialog(printer); })
{}

QString SheetCommands::sheetHtml() const
{
    return ConfigSheet::html(SheetContent::fromEditor(m_view, m_session, m_clock()));
}

SheetCommands::Outcome SheetCommands::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Fiche de configuration TORVA"));
    printer.setCreator(QStringLiteral("TORVA-PC ") + Version::label());
    SheetOutput::setUpPage(printer);
    if (!m_choosePrinter(printer))
        return Outcome::Cancelled;

    int pages = 0;
    {
        BusyPointer busy(m_prompts);
        // The sheet is made after the dialog, so that its time is the time of printing.
        pages = SheetOutput::render(printer, sheetHtml());
    }
    if (pages == 0) {
        m_prompts.message(QStringLiteral("Impossible d'imprimer la configuration !"), kPrintTitle,
                          Prompts::Icon::Warning);
        return Outcome::Failed;
    }
    return Outcome::Done;
}

SheetCommands::Outcome SheetCommands::exportPdf()
{
    const QString path = m_prompts.saveFileName(kPdfFilter, kPdfSuffix);
    if (path.isEmpty())
        return Outcome::Cancelled;

    SheetOutput::PdfResult result;
    {
        BusyPointer busy(m_prompts);
        result = SheetOutput::writePdf(path, sheetHtml());
    }
    if (!result.ok) {
        m_prompts.message(QStringLiteral("Impossible d'écrire le fichier PDF !"), kPdfTitle,
                          Prompts::Icon::Warning,
                          QDir::toNativeSeparators(path) + QStringLiteral("\n") + result.reason);
        return Outcome::Failed;
    }
    return Outcome::Done;
}

bool SheetCommands::choosePrinterWithDialog(QPrinter &printer)
{
    QPrintDialog dialog(&printer, m_dialogParent);
    dialog.setWindowTitle(QStringLiteral("Imprimer la configuration"));
    // One page: the range choices would only confuse.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}
