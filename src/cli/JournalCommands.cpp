// torva-cli's journal commands: the entries listed, one shown, one of its configurations written.
#include "cli/Cli.h"

#include "cli/ExitCode.h"
#include "cli/JournalView.h"
#include "cli/TextTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <algorithm>

// The entries newest first, of one panel with --panel (the real one and the emulated one of that
// number); a damaged entry is listed from its folder's name.
int Cli::journalList()
{
    const Journal journal(journalFolder());
    QList<JournalEntry> entries;
    if (const QString serial = m_options.value(Option::Panel); !serial.isEmpty()) {
        PanelIdentity panel;
        panel.serialNumber = serial;
        entries = journal.entries(Journal::panelId(panel));
        panel.emulated = true;
        entries += journal.entries(Journal::panelId(panel));
        std::sort(entries.begin(), entries.end(),
                  // An entry's name starts with its time in UTC.
                  [](const JournalEntry &a, const JournalEntry &b) { return a.id > b.id; });
    } else {
        entries = journal.entries();
    }
    if (m_options.isSet(Option::Json)) {
        QJsonArray array;
        for (const JournalEntry &e : entries)
            array.append(JournalView::json(e, false));
        m_out << QJsonDocument(
                     QJsonObject{{QStringLiteral("folder"), QDir::toNativeSeparators(journal.folder())},
                                 {QStringLiteral("entries"), array}})
                     .toJson(QJsonDocument::Indented);
        return ExitCode::Done;
    }
    if (entries.isEmpty()) {
        m_console.print(QStringLiteral("torva-cli : aucune intervention dans le journal %1")
                            .arg(QDir::toNativeSeparators(journal.folder())));
        return ExitCode::Done;
    }
    QList<QStringList> rows{JournalView::header()};
    for (const JournalEntry &e : entries)
        rows << JournalView::row(e);
    m_out << textTable(rows);
    return ExitCode::Done;
}

std::optional<JournalEntry> Cli::journalEntry()
{
    const QString id = m_options.arguments.first();
    const Journal journal(journalFolder());
    std::optional<JournalEntry> found = journal.entry(id);
    if (!found)
        m_console.print(QStringLiteral("torva-cli : %1 : aucune entrée « %2 » dans le journal %3")
                            .arg(m_options.command, id, QDir::toNativeSeparators(journal.folder())));
    return found;
}

// One entry with its differences; a damaged one as far as it can be read, status 1.
int Cli::journalShow()
{
    const std::optional<JournalEntry> entry = journalEntry();
    if (!entry)
        return ExitCode::Refused;
    if (m_options.isSet(Option::Json))
        m_out << QJsonDocument(JournalView::json(*entry, true)).toJson(QJsonDocument::Indented);
    else
        m_out << JournalView::text(*entry, Journal(journalFolder()));
    return entry->damaged ? ExitCode::Refused : ExitCode::Done;
}

// One of the entry's configurations, the bytes the journal keeps, written as "Enregistrer" writes
// a file: whole or not at all.
int Cli::journalGet()
{
    const std::optional<JournalEntry> entry = journalEntry();
    if (!entry)
        return ExitCode::Refused;
    const QString refused = QStringLiteral("torva-cli : journal get : l'entrée « %1 » ").arg(entry->id);
    if (entry->damaged) {
        m_console.print(refused + QStringLiteral("est illisible (%1)").arg(entry->damage));
        return ExitCode::Refused;
    }
    const bool before = m_options.isSet(Option::Before);
    const std::optional<QByteArray> &bytes = before ? entry->before : entry->sent;
    if (!bytes) {
        m_console.print(refused + (before ? QStringLiteral("n'a pas de configuration lue dans l'ECS")
                                          : QStringLiteral("n'a pas de configuration envoyée")));
        return ExitCode::Refused;
    }
    return save(m_options.value(Option::Output), *bytes) ? ExitCode::Done
                                                         : unlessInterrupted(ExitCode::WriteFailed);
}

// The report is torva-report's, a program beside this one: it needs Qt Gui to lay the page out,
// which torva-cli never loads. Its messages and status are passed on as they are.
int Cli::journalReport()
{
    const std::optional<JournalEntry> entry = journalEntry();
    if (!entry)
        return ExitCode::Refused;
    const QString program = QDir(QCoreApplication::applicationDirPath())
                                .filePath(QStringLiteral("torva-report") + QStringLiteral(TORVA_EXE_SUFFIX));
    if (!QFileInfo(program).isExecutable()) {
        m_console.print(
            QStringLiteral("torva-cli : journal report : %1 introuvable, il s'installe avec torva-cli")
                .arg(QDir::toNativeSeparators(program)));
        return ExitCode::Refused;
    }
    QStringList arguments{journalFolder(), entry->id, QStringLiteral("-o"), m_options.value(Option::Output)};
    if (m_options.isSet(Option::Observations))
        arguments << QStringLiteral("--observations") << m_options.value(Option::Observations);
    QProcess report;
    report.setProcessChannelMode(QProcess::ForwardedChannels);
    report.start(program, arguments);
    if (!report.waitForStarted() || !report.waitForFinished(-1) ||
        report.exitStatus() != QProcess::NormalExit) {
        m_console.print(QStringLiteral("torva-cli : journal report : %1 s'est arrêté sans finir")
                            .arg(QDir::toNativeSeparators(program)));
        return ExitCode::WriteFailed;
    }
    return report.exitCode();
}
