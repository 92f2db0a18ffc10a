#include "sheet/SheetOutput.h"

#include "seams/Version.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

namespace SheetOutput {

namespace {

// The sheet is laid out at a fixed 96 dots per inch whatever the screen, then scaled to the
// device: the same sheet on every machine, and lengths in the markup stay screen-sized.
constexpr int kLayoutDpi = 96;
constexpr double kMetresPerInch = 0.0254;
constexpr int kFontPoints = 9;
const QMarginsF kMarginsMm{15.0, 12.0, 15.0, 12.0};

} // namespace

void setUpPage(QPagedPaintDevice &device)
{
    device.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, kMarginsMm, QPageLayout::Millimeter));
}

namespace {

// The sheet laid out at kLayoutDpi in the sheet's font.
struct SheetDocument
{
    QImage layoutDevice{1, 1, QImage::Format_RGB32};
    QTextDocument document;

    explicit SheetDocument(const QString &html)
    {
        layoutDevice.setDotsPerMeterX(qRound(kLayoutDpi / kMetresPerInch));
        layoutDevice.setDotsPerMeterY(qRound(kLayoutDpi / kMetresPerInch));
        document.documentLayout()->setPaintDevice(&layoutDevice);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setStyleHint(QFont::SansSerif);
        font.setPointSize(kFontPoints);
        document.setDefaultFont(font);
        document.setHtml(html);
    }
};

} // namespace

int render(QPagedPaintDevice &device, const QString &html)
{
    SheetDocument sheet(html);
    QTextDocument &document = sheet.document;

    const QRect paintRect = device.pageLayout().paintRectPixels(device.logicalDpiX());
    const double scaleX = device.logicalDpiX() / double(kLayoutDpi);
    const double scaleY = device.logicalDpiY() / double(kLayoutDpi);
    const QSizeF page(paintRect.width() / scaleX, paintRect.height() / scaleY);
    document.setPageSize(page);

    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    painter.scale(scaleX, scaleY);
    const int pages = document.pageCount();
    for (int p = 0; p < pages; ++p) {
        if (p > 0 && !device.newPage())
            return 0;
        painter.save();
        painter.translate(0, -p * page.height());
        document.drawContents(&painter, QRectF(QPointF(0, p * page.height()), page));
        painter.restore();
    }
    return painter.end() ? pages : 0;
}

int pageCount(const QString &html)
{
    // As render() lays it out on a PDF writer's page (1200 dots per inch).
    constexpr int kPdfDpi = 1200;
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, kMarginsMm,
                             QPageLayout::Millimeter);
    const QRect paintRect = layout.paintRectPixels(kPdfDpi);
    const double scale = kPdfDpi / double(kLayoutDpi);
    SheetDocument sheet(html);
    sheet.document.setPageSize(QSizeF(paintRect.width() / scale, paintRect.height() / scale));
    return sheet.document.pageCount();
}

PdfResult writePdf(const QString &path, const QString &html, const QString &title)
{
    QSaveFile file(path);
    // Unbuffered, so that a write refused by the disk shows at once in the file's error state
    // instead of in a flush that commit() might not report.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, 0, file.errorString()};

    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("TORVA-PC ") + Version::label());
        setUpPage(writer);
        pages = render(writer, html);
    }
    if (pages == 0 || file.error() != QFileDevice::NoError) {
        const QString reason = file.error() != QFileDevice::NoError
                                   ? file.errorString()
                                   : QStringLiteral("le document n'a pas pu être produit");
        file.cancelWriting();
        return {false, 0, reason};
    }
    if (!file.commit())
        return {false, 0, file.errorString()};
    return {true, pages, {}};
}

} // namespace SheetOutput
