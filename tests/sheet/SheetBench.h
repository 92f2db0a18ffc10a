#pragma once

// A main window with its commands, a clock pinned to one minute, and the text of the PDFs they
// write, as pdftotext (poppler-utils) reads it back.
#include "support/FakePrompts.h"

#include "config/Session.h"
#include "editor/MainCommands.h"
#include "editor/MainWindow.h"
#include "link/Link.h"
#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"

#include <QAction>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

struct SheetBench
{
    EmulatedPanel panel;
    FakePrompts prompts;
    Link link{prompts, [this](const PortChoice &) { return std::make_unique<EmulatedPort>(panel); }};
    Session session;
    MainWindow window{session, link, prompts};
    MainCommands commands{window, link, session, prompts, [] {}};
    QTemporaryDir dir;

    SheetBench()
    {
        commands.sheet().setClock([] { return QDateTime(QDate(2026, 3, 14), QTime(9, 5)); });
        commands.setPortSelection([this] {
            return link.openPort(PortChoice::simulated()) ? PortOutcome::Opened : PortOutcome::Failed;
        });
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    // "Exporter en PDF..." to `file`, as the installer would choose it.
    void exportTo(const QString &file)
    {
        prompts.fileAnswers << file;
        window.Pdf_Menu->trigger();
    }
};

namespace SheetText {

// The PDF's text in the order it was drawn, blanks and line ends folded into single blanks, so
// that each table row reads as one line of words. Empty when the file holds no readable PDF.
inline QString pdfText(const QString &file)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        qWarning("pdftotext is missing: install poppler-utils");
    QProcess process;
    process.start(tool, {QStringLiteral("-raw"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), file,
                         QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    // Compatibility form: the ligatures the PDF draws ("ﬁ" in "configuration") read as letters.
    return QString::fromUtf8(process.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC)
        .simplified();
}

// The number of pages of a PDF, as pdfinfo reports it; 0 when it cannot tell.
inline int pdfPages(const QString &file)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(QStringLiteral("pdfinfo")), {file});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return 0;
    for (const QString &line : QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return 0;
}

// The fragments of `expected` that `text` does not hold, for a failure message that says which.
inline QStringList missing(const QString &text, const QStringList &expected)
{
    QStringList out;
    for (const QString &e : expected)
        if (!text.contains(e))
            out << e;
    return out;
}

} // namespace SheetText

// Fails with the fragments that the text lacks, by name.
#define SHEET_HOLDS(text, expected)                                                              \
    do {                                                                                          \
        const QStringList absent_ = SheetText::missing((text), (expected));                       \
        QVERIFY2(absent_.isEmpty(), qPrintable(QStringLiteral("missing: ") + absent_.join(" | "))); \
    } while (false)
