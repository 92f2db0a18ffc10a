#pragma once

#include <QString>

class QPagedPaintDevice;

// Puts the configuration sheet on paper or into a PDF file with Qt's own printing classes.
namespace SheetOutput {

// Sets an A4 portrait page with the sheet's margins.
void setUpPage(QPagedPaintDevice &device);

// Lays the sheet out on the device's page and paints it page after page (the sheet is sized to
// fit one). Returns the number of pages painted, 0 when the device refused to be painted on.
int render(QPagedPaintDevice &device, const QString &html);

// The number of pages render() paints on the A4 page setUpPage() sets.
int pageCount(const QString &html);

struct PdfResult
{
    bool ok = false;
    int pages = 0;
    QString reason; // why the file could not be written, when !ok
};

// Writes the sheet to `path` as a PDF. The document goes to a temporary file beside the target
// that replaces it only once complete: a failure leaves neither a partial file nor a damaged
// earlier one. `title` is the document's title in the file's properties.
PdfResult writePdf(const QString &path, const QString &html,
                   const QString &title = QStringLiteral("Fiche de configuration TORVA"));

} // namespace SheetOutput
