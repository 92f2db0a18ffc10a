#pragma once

#include "journal/Journal.h"
#include "transfer/Transfer.h"

#include <QString>

#include <optional>

// A receive or a send as the journal keeps it: who, where, what the procedure learnt of the panel
// and how it ended.
struct Intervention
{
    JournalEntry::Operation operation;
    QString program; // "torva-pc", "torva-cli"
    QString port;    // as the installer chose it
    std::optional<QString> dataFile;
    QString technician;
    QString company;
    QString site;
};

// The words of a procedure's end: for programs ("done", "noReply", "manualMode", "verifyFailed",
// "transferError", "aborted", "otherPanel", ...) and for people (what the installer saw, or
// "terminé").
QString resultKey(TransferResult result);
QString resultText(TransferResult result);

// Writes the journal's entry of a procedure that reached the panel; nothing for one that did not
// (the port never opened). False with the reason when the journal could not be written: the
// procedure's own outcome stands, the caller only warns ("Le journal n'a pas pu être écrit : ...").
bool journalIntervention(const Journal &journal, const Intervention &what, const TransferRecord &record,
                         TransferResult result, QString *error = nullptr);

// The warning for a journal that could not be written.
QString journalNotWritten(const QString &why);
