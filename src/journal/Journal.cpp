#include "journal/Journal.h"

#include "files/AtomicFile.h"
#include "files/DataFile.h"
#include "files/FileCommands.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>

#include <algorithm>

namespace {

constexpr int kFormat = 1;
const QString kEntrySuffix = QStringLiteral(".json");
const QString kBeforeSuffix = QStringLiteral("-avant.dat");
const QString kSentSuffix = QStringLiteral("-envoyee.dat");
// An entry file is a few kilobytes; anything far larger is not one of ours.
constexpr qint64 kMaxEntryBytes = 1024 * 1024;

QJsonValue optionalText(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

std::optional<QString> optionalText(const QJsonValue &value)
{
    if (value.isString())
        return value.toString();
    return std::nullopt;
}

} // namespace

QJsonObject identityJson(const PanelIdentity &identity)
{
    QJsonObject card;
    if (identity.cardRead)
        card = {{QStringLiteral("serialNumber"), optionalText(identity.cardSerialNumber)},
                {QStringLiteral("version"), identity.cardVersion}};
    return {{QStringLiteral("serialNumber"), optionalText(identity.serialNumber)},
            {QStringLiteral("version"), identity.version},
            {QStringLiteral("emulated"), identity.emulated},
            {QStringLiteral("card"), identity.cardRead ? QJsonValue(card) : QJsonValue(QJsonValue::Null)}};
}

namespace {

PanelIdentity identityOf(const QJsonObject &json)
{
    PanelIdentity identity;
    identity.serialNumber = optionalText(json.value(QStringLiteral("serialNumber")));
    identity.version = json.value(QStringLiteral("version")).toString();
    identity.emulated = json.value(QStringLiteral("emulated")).toBool();
    if (const QJsonValue card = json.value(QStringLiteral("card")); card.isObject()) {
        identity.cardRead = true;
        identity.cardSerialNumber = optionalText(card.toObject().value(QStringLiteral("serialNumber")));
        identity.cardVersion = card.toObject().value(QStringLiteral("version")).toString();
    }
    return identity;
}

QJsonObject differenceJson(const Difference &d)
{
    return {{QStringLiteral("key"), d.key},
            {QStringLiteral("label"), d.item},
            {QStringLiteral("before"), d.first},
            {QStringLiteral("after"), d.second},
            {QStringLiteral("beforeData"), d.firstData},
            {QStringLiteral("afterData"), d.secondData}};
}

Difference differenceOf(const QJsonObject &json)
{
    return {json.value(QStringLiteral("label")).toString(), json.value(QStringLiteral("before")).toString(),
            json.value(QStringLiteral("after")).toString(), json.value(QStringLiteral("key")).toString(),
            json.value(QStringLiteral("beforeData")),       json.value(QStringLiteral("afterData"))};
}

// A name no other PC and no other run writes: the time to the millisecond in UTC (so that names
// sort by time), the machine and a random number.
QString newId(const QDateTime &time)
{
    QString host = QSysInfo::machineHostName();
    host.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9-]")), QStringLiteral("-"));
    if (host.isEmpty())
        host = QStringLiteral("pc");
    return QStringLiteral("%1-%2-%3")
        .arg(time.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmsszzz'Z'")), host.left(32))
        .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
}

QJsonObject entryJson(const JournalEntry &e)
{
    QJsonArray differences;
    for (const Difference &d : e.differences)
        differences.append(differenceJson(d));
    const auto fileName = [&e](const std::optional<QByteArray> &bytes, const QString &suffix) {
        return bytes ? QJsonValue(e.id + suffix) : QJsonValue(QJsonValue::Null);
    };
    return {
        {QStringLiteral("format"), kFormat},
        {QStringLiteral("id"), e.id},
        {QStringLiteral("time"), e.time.toString(Qt::ISODateWithMs)},
        {QStringLiteral("program"), e.program},
        {QStringLiteral("programVersion"), e.programVersion},
        {QStringLiteral("user"), e.user},
        {QStringLiteral("technician"), e.technician},
        {QStringLiteral("company"), e.company},
        {QStringLiteral("site"), e.site},
        {QStringLiteral("port"), e.port},
        {QStringLiteral("panel"), identityJson(e.panel)},
        {QStringLiteral("operation"), operationKey(e.operation)},
        {QStringLiteral("outcome"), e.outcome},
        {QStringLiteral("message"), e.message},
        {QStringLiteral("dataFile"), optionalText(e.dataFile)},
        {QStringLiteral("files"), QJsonObject{{QStringLiteral("before"), fileName(e.before, kBeforeSuffix)},
                                              {QStringLiteral("sent"), fileName(e.sent, kSentSuffix)}}},
        {QStringLiteral("sha256"), QJsonObject{{QStringLiteral("before"), JournalEntry::sha256(e.before)},
                                               {QStringLiteral("sent"), JournalEntry::sha256(e.sent)}}},
        {QStringLiteral("differences"), differences}};
}

JournalEntry damagedEntry(const QString &id, const QString &panelId, const QString &why)
{
    JournalEntry e;
    e.id = id;
    e.panelId = panelId;
    e.damaged = true;
    e.damage = why;
    e.outcome.clear();
    return e;
}

// One of the entry's data files, checked against the hash the entry keeps. Empty and `why` set
// when it is missing or differs.
std::optional<QByteArray> keptFile(const QDir &dir, const QJsonObject &json, const QString &which,
                                   QString &why)
{
    const QJsonValue name = json.value(QStringLiteral("files")).toObject().value(which);
    if (!name.isString())
        return std::nullopt;
    const QString fileName = name.toString();
    if (fileName.contains(QLatin1Char('/')) || fileName.contains(QLatin1Char('\\')) ||
        fileName.startsWith(QLatin1Char('.'))) {
        why = QStringLiteral("nom de fichier invalide : %1").arg(fileName);
        return std::nullopt;
    }
    const std::optional<QByteArray> bytes = FileCommands::readFile(dir.filePath(fileName));
    if (!bytes) {
        why = QStringLiteral("fichier manquant : %1").arg(fileName);
        return std::nullopt;
    }
    const QString expected = json.value(QStringLiteral("sha256")).toObject().value(which).toString();
    if (JournalEntry::sha256(bytes) != expected) {
        why = QStringLiteral("fichier modifié : %1").arg(fileName);
        return std::nullopt;
    }
    return bytes;
}

JournalEntry readEntry(const QDir &dir, const QString &fileName)
{
    const QString id = fileName.chopped(kEntrySuffix.size());
    const QString panelId = dir.dirName();
    QFile file(dir.filePath(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return damagedEntry(id, panelId, QStringLiteral("illisible"));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.read(kMaxEntryBytes), &error);
    const QJsonObject json = document.object();
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return damagedEntry(id, panelId, QStringLiteral("contenu illisible"));
    const QDateTime time =
        QDateTime::fromString(json.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
    const QString operation = json.value(QStringLiteral("operation")).toString();
    if (json.value(QStringLiteral("format")).toInt() != kFormat ||
        json.value(QStringLiteral("id")).toString() != id || !time.isValid() ||
        (operation != operationKey(JournalEntry::Operation::Receive) &&
         operation != operationKey(JournalEntry::Operation::Send)))
        return damagedEntry(id, panelId, QStringLiteral("contenu incomplet"));

    JournalEntry e;
    e.id = id;
    e.panelId = panelId;
    e.time = time;
    e.program = json.value(QStringLiteral("program")).toString();
    e.programVersion = json.value(QStringLiteral("programVersion")).toString();
    e.user = json.value(QStringLiteral("user")).toString();
    e.technician = json.value(QStringLiteral("technician")).toString();
    e.company = json.value(QStringLiteral("company")).toString();
    e.site = json.value(QStringLiteral("site")).toString();
    e.port = json.value(QStringLiteral("port")).toString();
    e.panel = identityOf(json.value(QStringLiteral("panel")).toObject());
    e.operation = operation == operationKey(JournalEntry::Operation::Send) ? JournalEntry::Operation::Send
                                                                           : JournalEntry::Operation::Receive;
    e.outcome = json.value(QStringLiteral("outcome")).toString();
    e.message = json.value(QStringLiteral("message")).toString();
    e.dataFile = optionalText(json.value(QStringLiteral("dataFile")));
    for (const QJsonValue d : json.value(QStringLiteral("differences")).toArray())
        e.differences.append(differenceOf(d.toObject()));
    QString why;
    e.before = keptFile(dir, json, QStringLiteral("before"), why);
    e.sent = keptFile(dir, json, QStringLiteral("sent"), why);
    if (!why.isEmpty()) {
        e.damaged = true;
        e.damage = why;
    }
    return e;
}

bool newestFirst(const JournalEntry &a, const JournalEntry &b)
{
    // A damaged entry has no time of its own: its name starts with it, in UTC.
    if (a.time.isValid() && b.time.isValid() && a.time != b.time)
        return a.time > b.time;
    return a.id > b.id;
}

} // namespace

QString JournalEntry::sha256(const std::optional<QByteArray> &bytes)
{
    if (!bytes)
        return {};
    return QString::fromLatin1(QCryptographicHash::hash(*bytes, QCryptographicHash::Sha256).toHex());
}

QString operationKey(JournalEntry::Operation operation)
{
    return operation == JournalEntry::Operation::Send ? QStringLiteral("send") : QStringLiteral("receive");
}

QString operationText(JournalEntry::Operation operation)
{
    return operation == JournalEntry::Operation::Send ? QStringLiteral("Envoi") : QStringLiteral("Réception");
}

Journal::Journal(QString folder) : m_folder(std::move(folder)) {}

QString Journal::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("torva-pc/journal"));
}

QString Journal::panelId(const PanelIdentity &identity)
{
    const QString prefix = identity.emulated ? QStringLiteral("ECS-simulee") : QStringLiteral("ECS");
    if (!identity.serialNumber)
        return prefix + QStringLiteral("-sans-numero");
    QString digits = *identity.serialNumber;
    digits.replace(QRegularExpression(QStringLiteral("[^0-9A-Za-z]")), QStringLiteral("-"));
    return prefix + QLatin1Char('-') + digits;
}

bool Journal::add(JournalEntry &entry, QString *error) const
{
    if (entry.time.isNull())
        entry.time = QDateTime::currentDateTime();
    entry.time = entry.time.toOffsetFromUtc(entry.time.offsetFromUtc());
    entry.id = newId(entry.time);
    entry.panelId = panelId(entry.panel);
    if (entry.before && entry.sent) {
        const DataFile::ParseResult before = DataFile::parse(*entry.before, DataFile::Version::V2);
        const DataFile::ParseResult sent = DataFile::parse(*entry.sent, DataFile::Version::V2);
        if (before.ok() && sent.ok())
            entry.differences = differences(*before.content, *sent.content);
    }

    const QDir dir(QDir(m_folder).filePath(entry.panelId));
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (!QDir().mkpath(dir.path()))
        return fail(
            QStringLiteral("impossible de créer le dossier %1").arg(QDir::toNativeSeparators(dir.path())));
    // The data files first: an entry file never names a file that is not there.
    for (const auto &[bytes, suffix] :
         {std::pair{&entry.before, kBeforeSuffix}, std::pair{&entry.sent, kSentSuffix}}) {
        const QString path = dir.filePath(entry.id + suffix);
        if (*bytes && !AtomicFile::write(path, **bytes))
            return fail(QStringLiteral("impossible d'écrire %1").arg(QDir::toNativeSeparators(path)));
    }
    const QString path = dir.filePath(entry.id + kEntrySuffix);
    if (!AtomicFile::write(path, QJsonDocument(entryJson(entry)).toJson()))
        return fail(QStringLiteral("impossible d'écrire %1").arg(QDir::toNativeSeparators(path)));
    return true;
}

QList<JournalEntry> Journal::entriesIn(const QString &panelFolder) const
{
    const QDir dir(QDir(m_folder).filePath(panelFolder));
    QList<JournalEntry> list;
    for (const QString &name : dir.entryList({QLatin1Char('*') + kEntrySuffix}, QDir::Files))
        list.append(readEntry(dir, name));
    return list;
}

QList<JournalEntry> Journal::entries(const QString &panelId) const
{
    QList<JournalEntry> list;
    const QStringList folders = panelId.isEmpty()
                                    ? QDir(m_folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                    : QStringList{panelId};
    for (const QString &folder : folders)
        list.append(entriesIn(folder));
    std::sort(list.begin(), list.end(), newestFirst);
    return list;
}

QString Journal::beforePath(const JournalEntry &entry) const
{
    return QDir(m_folder).filePath(entry.panelId + QLatin1Char('/') + entry.id + kBeforeSuffix);
}

QString Journal::sentPath(const JournalEntry &entry) const
{
    return QDir(m_folder).filePath(entry.panelId + QLatin1Char('/') + entry.id + kSentSuffix);
}

std::optional<JournalEntry> Journal::entry(const QString &id) const
{
    for (const JournalEntry &e : entries())
        if (e.id == id)
            return e;
    return std::nullopt;
}

QList<JournalPanel> Journal::panels() const
{
    QList<JournalPanel> list;
    for (const QString &folder : QDir(m_folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QList<JournalEntry> inFolder = entriesIn(folder);
        if (inFolder.isEmpty())
            continue;
        std::sort(inFolder.begin(), inFolder.end(), newestFirst);
        JournalPanel panel{folder, {}, {}, int(inFolder.size())};
        const auto newest = std::find_if(inFolder.cbegin(), inFolder.cend(), [](const JournalEntry &e) {
            return !e.damaged || e.time.isValid();
        });
        if (newest != inFolder.cend()) {
            panel.identity = newest->panel;
            panel.lastTime = newest->time;
        }
        list.append(panel);
    }
    std::sort(list.begin(), list.end(),
              [](const JournalPanel &a, const JournalPanel &b) { return a.lastTime > b.lastTime; });
    return list;
}
