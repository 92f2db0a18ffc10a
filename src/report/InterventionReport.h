#pragma once

#include "journal/Journal.h"

#include <QString>

class QPagedPaintDevice;

// The intervention report: one journal entry as the page an installer signs with the site's
// manager and leaves in the site's safety register. Page 1 says who worked on which panel, when,
// what was done and how it ended, every change in the editor's words, the tests the changes call
// for, the observations, the hashes that match the page with the journal, and the two signature
// boxes; the configuration now in the panel follows as the configuration sheet's content. The
// access codes never reach the document: a code that changed reads "modifié", the sheet's code
// lines "****".
namespace InterventionReport {

// The report as rich text for QTextDocument, laid out by the sheet's printing (A4, its fonts).
// `observations` fills the "Observations" box; empty leaves blank lines to write on. Every text
// taken from the entry is escaped.
QString html(const JournalEntry &entry, const QString &observations = {});

// Whether an entry can be reported: false with the reason for a damaged one.
bool reportable(const JournalEntry &entry, QString *why = nullptr);

// Paints the report on a printer (or any paged device) whose page the caller set up, or left for
// setUpPage() to set. Returns the number of pages painted, 0 when the device refused to be
// painted on or the entry is damaged.
void setUpPage(QPagedPaintDevice &device);
int print(QPagedPaintDevice &device, const JournalEntry &entry, const QString &observations = {});

// Writes the report to `path` as a PDF, whole or not at all. False with the reason in `error`
// (in French, for the installer) when the entry is damaged or the file could not be written.
bool writePdf(const JournalEntry &entry, const QString &observations, const QString &path,
              QString *error = nullptr);

} // namespace InterventionReport

// The entry point the journal window and the command line call.
inline bool writeReportPdf(const JournalEntry &entry, const QString &observations, const QString &path,
                           QString *error = nullptr)
{
    return InterventionReport::writePdf(entry, observations, path, error);
}
