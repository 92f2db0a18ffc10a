#include "cli/JournalView.h"

#include "cli/DifferencesView.h"
#include "journal/Intervenant.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonValue>

namespace {

// What was written of an entry could be read: its time, its operation, who, which panel.
bool readable(const JournalEntry &e) { return e.time.isValid(); }

QString dateText(const JournalEntry &e)
{
    return readable(e) ? e.time.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) : QString();
}

QString serialText(const std::optional<QString> &serial)
{
    return serial ? QStringLiteral("N° %1").arg(*serial) : QStringLiteral("sans numéro de série");
}

// "ECS N° 020712345 (simulée)"; a damaged entry's panel by its folder.
QString panelText(const JournalEntry &e)
{
    if (!readable(e))
        return e.panelId;
    QString text = QStringLiteral("ECS ") + serialText(e.panel.serialNumber);
    if (e.panel.emulated)
        text += QStringLiteral(" (simulée)");
    return text;
}

QString outcomeText(const JournalEntry &e)
{
    return e.damaged ? QStringLiteral("ENTRÉE ILLISIBLE (%1)").arg(e.damage) : e.message;
}

QJsonValue textOrNull(const QString &text) { return text.isEmpty() ? QJsonValue() : QJsonValue(text); }

QString hashText(const std::optional<QByteArray> &bytes, const QString &path)
{
    return QStringLiteral("%1 (SHA-256 %2)").arg(QDir::toNativeSeparators(path), JournalEntry::sha256(bytes));
}

} // namespace

namespace JournalView {

QStringList header()
{
    return {QStringLiteral("Date"),     QStringLiteral("ECS"),         QStringLiteral("Opération"),
            QStringLiteral("Résultat"), QStringLiteral("Intervenant"), QStringLiteral("Modifications"),
            QStringLiteral("Entrée")};
}

QStringList row(const JournalEntry &e)
{
    if (!readable(e))
        return {QString(), panelText(e), QString(), outcomeText(e), QString(), QString(), e.id};
    return {dateText(e),
            panelText(e),
            operationText(e.operation),
            outcomeText(e),
            Intervenant::shown(e.technician),
            QString::number(e.differences.size()),
            e.id};
}

QString text(const JournalEntry &e, const Journal &journal)
{
    QStringList lines{QStringLiteral("Entrée : %1").arg(e.id)};
    if (e.damaged)
        lines << QStringLiteral("Entrée illisible : %1").arg(e.damage);
    if (!readable(e))
        return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    lines << QStringLiteral("Date : %1 (%2)").arg(dateText(e), e.time.timeZoneAbbreviation());
    lines << QStringLiteral("Opération : %1").arg(operationText(e.operation));
    lines << QStringLiteral("Résultat : %1").arg(e.message);
    lines << QStringLiteral("%1, version %2").arg(panelText(e), e.panel.version);
    if (e.panel.cardRead)
        lines << QStringLiteral("Carte UGA/CMSI %1, version %2")
                     .arg(serialText(e.panel.cardSerialNumber), e.panel.cardVersion);
    lines << QStringLiteral("Intervenant : %1").arg(Intervenant::shown(e.technician));
    lines << QStringLiteral("Entreprise : %1").arg(Intervenant::shown(e.company));
    lines << QStringLiteral("Site : %1").arg(Intervenant::shown(e.site));
    lines << QStringLiteral("Port : %1").arg(e.port);
    lines << QStringLiteral("Programme : %1 %2, compte %3")
                 .arg(e.program, e.programVersion, Intervenant::shown(e.user));
    if (e.dataFile)
        lines << QStringLiteral("Fichier : %1").arg(*e.dataFile);
    const bool receive = e.operation == JournalEntry::Operation::Receive;
    if (e.before)
        lines << (receive ? QStringLiteral("Configuration lue : %1")
                          : QStringLiteral("Configuration avant : %1"))
                     .arg(hashText(e.before, journal.beforePath(e)));
    if (e.sent)
        lines << QStringLiteral("Configuration envoyée : %1").arg(hashText(e.sent, journal.sentPath(e)));
    if (!receive)
        lines << QStringLiteral("Modifications : %1").arg(e.differences.size());
    QString text = lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    if (!e.differences.isEmpty())
        text += QLatin1Char('\n') +
                differencesText(e.differences, QStringLiteral("Avant"), QStringLiteral("Envoyé"));
    return text;
}

QJsonObject json(const JournalEntry &e, bool withDifferences)
{
    const bool known = readable(e);
    const auto ifKnown = [known](const QJsonValue &value) { return known ? value : QJsonValue(); };
    QJsonObject json{
        {QStringLiteral("id"), e.id},
        {QStringLiteral("time"), ifKnown(e.time.toString(Qt::ISODate))},
        {QStringLiteral("operation"), ifKnown(operationKey(e.operation))},
        {QStringLiteral("outcome"), ifKnown(e.outcome)},
        {QStringLiteral("message"), ifKnown(e.message)},
        {QStringLiteral("panel"), ifKnown(identityJson(e.panel))},
        {QStringLiteral("technician"), ifKnown(e.technician)},
        {QStringLiteral("company"), ifKnown(e.company)},
        {QStringLiteral("site"), ifKnown(e.site)},
        {QStringLiteral("port"), ifKnown(e.port)},
        {QStringLiteral("program"), ifKnown(e.program)},
        {QStringLiteral("programVersion"), ifKnown(e.programVersion)},
        {QStringLiteral("user"), ifKnown(e.user)},
        {QStringLiteral("dataFile"), e.dataFile ? QJsonValue(*e.dataFile) : QJsonValue()},
        {QStringLiteral("differences"), ifKnown(withDifferences ? QJsonValue(differencesJson(e.differences))
                                                                : QJsonValue(e.differences.size()))},
        {QStringLiteral("sha256"),
         QJsonObject{{QStringLiteral("before"), textOrNull(JournalEntry::sha256(e.before))},
                     {QStringLiteral("sent"), textOrNull(JournalEntry::sha256(e.sent))}}},
        {QStringLiteral("damaged"), e.damaged}};
    if (e.damaged)
        json.insert(QStringLiteral("damage"), e.damage);
    return json;
}

} // namespace JournalView
