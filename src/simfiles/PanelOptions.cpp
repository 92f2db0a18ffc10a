#include "simfiles/PanelOptions.h"

#include "files/DataFile.h"
#include "simfiles/PanelStateConfig.h"

#include <QStringList>

#include <algorithm>
#include <iterator>

namespace {

// The faults as they are named after --fault, each with its line of the help (in French, as
// the rest of torva-ecs-sim's help; the names stay as typed). Every fault takes the same
// arguments, parsed by parseFault() and told by faultHelp().
struct FaultName
{
    Fault fault;
    const char *name;
    const char16_t *help;
};

constexpr FaultName kFaultNames[] = {
    {Fault::Silence, "silence", u"aucune réponse"},
    {Fault::WrongStartByte, "wrong-start", u"un mauvais octet de début, puis la bonne réponse"},
    {Fault::LengthTooLong, "length-too-long", u"octet de longueur 14"},
    {Fault::LengthTooShort, "length-too-short", u"octet de longueur 4"},
    {Fault::WrongEcho, "wrong-echo", u"l'écho est la commande plus un"},
    {Fault::BadSum, "bad-sum", u"l'octet bas de la somme de contrôle a un de trop"},
    {Fault::ShortReply, "short-reply", u"la réponse s'arrête avant son dernier octet"},
    {Fault::StrayBytesBefore, "stray-bytes", u"des octets parasites, puis la bonne réponse"},
    {Fault::WrongDataCount, "wrong-data-count", u"un octet de données de trop"},
    {Fault::MissingDataByte, "missing-data-byte", u"un octet de données de moins"},
    {Fault::ReadBackDiffers, "read-back-differs",
     u"une lecture répond une autre valeur que celle enregistrée"},
};
static_assert(std::size(kFaultNames) == std::size_t(Fault::ReadBackDiffers) + 1, "a fault without a name");

// An empty part or "*" is -1 (any); otherwise a whole number from 0 to `max`.
std::optional<int> number(const QString &part, int max)
{
    if (part.isEmpty() || part == QLatin1String("*"))
        return -1;
    bool ok = false;
    const int value = part.toInt(&ok);
    if (!ok || value < 0 || value > max)
        return std::nullopt;
    return value;
}

} // namespace

namespace PanelOptions {

std::optional<FaultRule> parseFault(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() > 4)
        return std::nullopt;
    const auto named =
        std::find_if(std::begin(kFaultNames), std::end(kFaultNames),
                     [&](const FaultName &entry) { return parts[0] == QLatin1String(entry.name); });
    if (named == std::end(kFaultNames))
        return std::nullopt;
    FaultRule rule;
    rule.fault = named->fault;
    const auto command = number(parts.value(1), 255);
    const auto index = number(parts.value(2), 255);
    const auto times = number(parts.value(3), 1'000'000);
    if (!command || !index || !times || *times == 0)
        return std::nullopt;
    rule.command = *command;
    rule.index = *index;
    rule.times = *times;
    return rule;
}

QString faultHelp()
{
    QString help = QStringLiteral(
        "Défauts (--fault) : NOM[:COMMANDE[:INDEX[:FOIS]]], où COMMANDE est le code de la commande\n"
        "dont le défaut gâche la réponse, INDEX le premier octet de données de la requête (une boucle,\n"
        "un relais ou une fonction, à partir de 0), FOIS le nombre de réponses gâchées ; une partie\n"
        "vide ou * veut dire toute commande, tout index, à chaque fois. La première règle qui\n"
        "correspond s'applique. Noms :\n");
    qsizetype width = 0;
    for (const FaultName &entry : kFaultNames)
        width = std::max(width, qsizetype(qstrlen(entry.name)));
    for (const FaultName &entry : kFaultNames)
        help += QStringLiteral("  ") + QString::fromLatin1(entry.name).leftJustified(width + 2) +
                QString::fromUtf16(entry.help) + QLatin1Char('\n');
    help += QStringLiteral("Exemples : --fault silence   --fault wrong-echo:21:3:2   --fault bad-sum:4::1\n");
    return help;
}

bool loadDataFile(QByteArrayView bytes, PanelState &state)
{
    DataFile::ParseResult parsed = DataFile::parse(bytes, DataFile::Version::V2);
    if (parsed.error == DataFile::ParseError::Version1File)
        parsed = DataFile::parse(bytes, DataFile::Version::V1);
    if (!parsed.ok())
        return false;
    putConfig(*parsed.content, state);
    return true;
}

QByteArray dataFileOf(const PanelState &state) { return DataFile::format(configOf(state)); }

} // namespace PanelOptions
