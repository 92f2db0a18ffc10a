#pragma once

#include "config/Differences.h"
#include "config/PanelIdentity.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// One receive or send that reached a panel: when, by whom, on which panel, how it ended, and the
// configurations as the data files' bytes (the panel's before a send or as a receive read it, and
// the one sent).
struct JournalEntry
{
    enum class Operation { Receive, Send };

    QString id;      // the entry's name, unique across PCs sharing one journal folder
    QString panelId; // the panel's folder ("ECS-020712345")
    QDateTime time;  // local time with its offset from UTC
    QString program; // "torva-pc", "torva-cli"
    QString programVersion;
    QString user; // the system's account
    QString technician;
    QString company;
    QString site;
    QString port;
    PanelIdentity panel;
    Operation operation = Operation::Receive;
    QString outcome = QStringLiteral("done"); // "done" or the exit status's word ("noReply", ...)
    QString message;                          // what the installer saw, or "terminé"
    std::optional<QString> dataFile;          // the file open in the editor, by name
    std::optional<QByteArray> before;         // the panel's configuration, as a data file
    std::optional<QByteArray> sent;
    QList<Difference> differences; // from `before` to `sent`, in the editor's words

    bool damaged = false;
    QString damage; // why it cannot be read

    // A SHA-256 of the bytes, in lowercase hex; empty for none.
    static QString sha256(const std::optional<QByteArray> &bytes);
};

// A panel's identity as the journal keeps it and torva-cli writes it: "serialNumber" (the
// digits, or null), "version", "emulated", "card" (null, or its "serialNumber" and "version").
QJsonObject identityJson(const PanelIdentity &identity);

// The words of an operation, for programs ("receive", "send") and for people ("Réception",
// "Envoi").
QString operationKey(JournalEntry::Operation operation);
QString operationText(JournalEntry::Operation operation);

// A panel that has entries: its folder's name, the identity of its newest readable entry, and
// that entry's time.
struct JournalPanel
{
    QString panelId;
    PanelIdentity identity;
    QDateTime lastTime;
    int entries = 0;
};

// The journal: a folder holding one folder per panel, and in it one file per entry
// (`<id>.json`) with its configurations beside it as ordinary version-2 data files
// (`<id>-avant.dat`, `<id>-envoyee.dat`) that "Ouvrir" opens. There is no index: the list is read
// from the entries, so nothing can leave it half-updated, and two PCs writing the same folder (a
// shared drive) never write the same name. An entry is written whole or not at all, its data
// files first: an entry file names only files that were written. An entry that cannot be read,
// or whose data file is missing or does not match its hash, is listed as damaged.
class Journal
{
public:
    explicit Journal(QString folder);

    // The journal beside the emulated panel's file, in the user's data folder.
    static QString defaultFolder();
    // The folder a panel's entries go in: "ECS-020712345", "ECS-sans-numero" for a panel that
    // stores no serial number, "ECS-simulee-..." for the emulated one.
    static QString panelId(const PanelIdentity &identity);

    const QString &folder() const { return m_folder; }

    // Gives the entry its id, its panel folder and its differences, and writes it. False with the
    // reason in `error` when any file could not be written; nothing names the missing files then.
    bool add(JournalEntry &entry, QString *error = nullptr) const;

    // The panels that have entries, the one worked on last first.
    QList<JournalPanel> panels() const;
    // The entries, of one panel or of all, newest first; damaged ones included, marked.
    QList<JournalEntry> entries(const QString &panelId = {}) const;
    // Where an entry keeps its configurations, as data files "Ouvrir" opens.
    QString beforePath(const JournalEntry &entry) const;
    QString sentPath(const JournalEntry &entry) const;

    // One entry by its id, or none.
    std::optional<JournalEntry> entry(const QString &id) const;

private:
    QList<JournalEntry> entriesIn(const QString &panelFolder) const;
    QString m_folder;
};
