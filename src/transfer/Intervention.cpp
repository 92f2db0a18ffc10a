#include "transfer/Intervention.h"

#include "config/Messages.h"
#include "files/DataFile.h"
#include "seams/Version.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The system's account, as the desktop session names it (Windows: USERNAME; Linux: USER, or
// LOGNAME where a service starts the program without USER).
QString accountName()
{
    for (const char *variable : {"USER", "LOGNAME", "USERNAME"})
        if (const QString name = qEnvironmentVariable(variable); !name.isEmpty())
            return name;
    return {};
}

} // namespace

QString resultKey(TransferResult result)
{
    switch (result) {
    case TransferResult::Done:
        return QStringLiteral("done");
    case TransferResult::Cancelled:
        return QStringLiteral("cancelled");
    case TransferResult::PortFailed:
        return QStringLiteral("portFailed");
    case TransferResult::NoReply:
        return QStringLiteral("noReply");
    case TransferResult::ManualMode:
        return QStringLiteral("manualMode");
    case TransferResult::Refused:
        return QStringLiteral("transferError");
    case TransferResult::VerifyFailed:
        return QStringLiteral("verifyFailed");
    case TransferResult::CodesRefused:
        return QStringLiteral("codesRefused");
    case TransferResult::Aborted:
        return QStringLiteral("aborted");
    case TransferResult::OtherPanel:
        return QStringLiteral("otherPanel");
    }
    return QStringLiteral("unknown");
}

QString resultText(TransferResult result)
{
    switch (result) {
    case TransferResult::Done:
        return QStringLiteral("terminé");
    case TransferResult::NoReply:
        return QStringLiteral("Pas de réponse de l'ECS !");
    case TransferResult::ManualMode:
        return Messages::manualMode();
    case TransferResult::Refused:
    case TransferResult::VerifyFailed:
        return Messages::transferError();
    case TransferResult::Aborted:
        return QStringLiteral("abandonné");
    case TransferResult::OtherPanel:
        return QStringLiteral("abandonné : l'ECS raccordé n'est pas celui de la configuration");
    case TransferResult::Cancelled:
    case TransferResult::PortFailed:
    case TransferResult::CodesRefused:
        break;
    }
    return resultKey(result);
}

bool journalIntervention(const Journal &journal, const Intervention &what, const TransferRecord &record,
                         TransferResult result, QString *error)
{
    if (!record.reachedPanel)
        return true;
    JournalEntry entry;
    entry.time = QDateTime::currentDateTime();
    entry.program = what.program;
    entry.programVersion = Version::text();
    entry.user = accountName();
    entry.technician = what.technician;
    entry.company = what.company;
    entry.site = what.site;
    entry.port = what.port;
    entry.panel = record.identity.value_or(PanelIdentity{});
    entry.operation = what.operation;
    entry.outcome = resultKey(result);
    entry.message = resultText(result);
    if (what.dataFile)
        entry.dataFile = QFileInfo(*what.dataFile).fileName();
    if (record.panel)
        entry.before = DataFile::format(*record.panel);
    if (record.sent)
        entry.sent = DataFile::format(*record.sent);
    return journal.add(entry, error);
}

QString journalNotWritten(const QString &why)
{
    return QStringLiteral("Le journal n'a pas pu être écrit : %1").arg(why);
}
