#pragma once

#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <optional>

// A PDF as a reader sees it, through poppler-utils' pdftotext.
namespace PdfText {

// The text, page after page ("\f" ends each), with ligatures read as letters ("ﬁ" as "fi").
inline QString text(const QString &path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {"-raw", "-enc", "UTF-8", path, "-"});
    pdftotext.waitForFinished(30000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

// The pages' text, each simplified so that a table row reads as one line of words.
inline QStringList pages(const QString &path)
{
    QStringList list = text(path).split(QLatin1Char('\f'));
    if (!list.isEmpty() && list.last().trimmed().isEmpty())
        list.removeLast();
    for (QString &page : list)
        page = page.simplified();
    return list;
}

// A word drawn on a page, in points from the page's top left corner.
struct Word
{
    int page = 0;
    QString text;
    QRectF box;
};

struct Layout
{
    QSizeF pageSize; // the first page's, in points
    QList<Word> words;
};

// Where each word is drawn, or none when pdftotext could not read the file.
inline std::optional<Layout> layout(const QString &path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {"-bbox", "-enc", "UTF-8", path, "-"});
    pdftotext.waitForFinished(30000);
    if (pdftotext.exitCode() != 0)
        return std::nullopt;
    const QString html = QString::fromUtf8(pdftotext.readAllStandardOutput());
    static const QRegularExpression pageTag(
        QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">"));
    static const QRegularExpression wordTag(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>|"
        "<page "));
    Layout out;
    if (const auto m = pageTag.match(html); m.hasMatch())
        out.pageSize = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
    int page = 0;
    for (auto it = wordTag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.hasCaptured(5)) {
            ++page;
            continue;
        }
        out.words.append({page, m.captured(5),
                          QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                 QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    }
    return out;
}

} // namespace PdfText
