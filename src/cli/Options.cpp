#include "cli/Options.h"

#include "cli/Commands.h"
#include "cli/SystemWords.h"
#include "journal/Journal.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace {

// A serial number as the diagnostic writes it: its nine digits.
std::optional<QString> serialNumberWrong(const QString &value)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{9}$"));
    if (digits.match(value).hasMatch())
        return std::nullopt;
    return QStringLiteral("« %1 » n'est pas un numéro de série en 9 chiffres (020712345)").arg(value);
}

// In the order the help lists them.
const std::array<OptionSpec, 18> kOptions{{
    {Option::Port,
     nullptr,
     "port",
     "PORT",
     [] {
         return QStringLiteral("le port série de l'ECS : ") + SystemWords::serialPorts() +
                QStringLiteral(",\nou « sim » pour l'ECS simulée intégrée");
     },
     {{"receive", Needs::Required},
      {"send", Needs::Required},
      {"diff", Needs::OrLastFile},
      {"diag", Needs::Required}},
     true,
     "--port manque",
     "--port attend un port",
     "deux fichiers, ou un fichier et --port"},
    {Option::Output,
     "o",
     "output",
     "FICHIER",
     [] { return QStringLiteral("le fichier à écrire"); },
     {{"receive", Needs::Required},
      {"convert", Needs::Required},
      {"journal get", Needs::Required},
      {"journal report", Needs::Required}},
     true,
     "-o FICHIER manque",
     nullptr,
     nullptr},
    {Option::Observations,
     nullptr,
     "observations",
     "TEXTE",
     [] {
         return QStringLiteral(
             "le texte du cadre « Observations » du rapport (sinon des\nlignes à remplir à la main)");
     },
     {{"journal report", Needs::Optional}},
     true,
     nullptr,
     nullptr,
     nullptr},
    {Option::Ecs,
     nullptr,
     "ecs",
     "NUMERO",
     [] {
         return QStringLiteral("le numéro de série de l'ECS qui doit recevoir l'envoi, en\n"
                               "chiffres comme diag --json l'écrit (020712345) : rien\n"
                               "n'est écrit dans une autre ECS");
     },
     {{"send", Needs::Optional}},
     true,
     nullptr,
     nullptr,
     nullptr,
     serialNumberWrong},
    {Option::Before,
     nullptr,
     "before",
     nullptr,
     [] {
         return QStringLiteral("la configuration lue dans l'ECS : avant l'envoi, ou celle\n"
                               "de la réception");
     },
     {{"journal get", Needs::OneOf}},
     true,
     "--before ou --sent manque",
     nullptr,
     nullptr},
    {Option::Sent,
     nullptr,
     "sent",
     nullptr,
     [] { return QStringLiteral("la configuration envoyée"); },
     {{"journal get", Needs::OneOf}},
     true,
     "--before ou --sent manque",
     nullptr,
     nullptr},
    {Option::Panel,
     nullptr,
     "panel",
     "NUMERO",
     [] {
         return QStringLiteral("les entrées de l'ECS de ce numéro de série seulement,\n"
                               "en chiffres comme diag --json l'écrit");
     },
     {{"journal", Needs::Optional}},
     true,
     nullptr,
     nullptr,
     nullptr,
     serialNumberWrong},
    {Option::Probe,
     nullptr,
     "probe",
     nullptr,
     [] { return QStringLiteral("lit le mode de l'ECS sur chaque port"); },
     {{"ports", Needs::Optional}},
     true,
     nullptr,
     nullptr,
     nullptr},
    {Option::Trace,
     nullptr,
     "trace",
     "FICHIER",
     [] {
         return QStringLiteral("chaque trame échangée avec l'ECS, une ligne par trame, dans\n"
                               "FICHIER (le journal des échanges)");
     },
     {{"receive", Needs::Optional},
      {"send", Needs::Optional},
      {"diff", Needs::Optional},
      {"diag", Needs::Optional},
      {"ports", Needs::Optional}},
     true,
     nullptr,
     nullptr,
     nullptr},
    {Option::Json,
     nullptr,
     "json",
     nullptr,
     [] { return QStringLiteral("le résultat en JSON, pour un programme"); },
     {{"show", Needs::Optional},
      {"diff", Needs::Optional},
      {"diag", Needs::Optional},
      {"journal", Needs::Optional},
      {"journal show", Needs::Optional}},
     true,
     nullptr,
     nullptr,
     nullptr},
    {Option::Watch,
     nullptr,
     "watch",
     nullptr,
     [] { return QStringLiteral("le diagnostic à chaque cycle, jusqu'à Ctrl-C"); },
     {{"diag", Needs::Optional}},
     true,
     nullptr,
     nullptr,
     nullptr},
    {Option::Journal,
     nullptr,
     "journal",
     "DOSSIER",
     [] {
         return QStringLiteral("le dossier du journal des interventions, au lieu de celui\n"
                               "des réglages (par défaut %1)")
             .arg(QDir::toNativeSeparators(Journal::defaultFolder()));
     },
     {{"receive", Needs::Optional},
      {"send", Needs::Optional},
      {"journal", Needs::Optional},
      {"journal show", Needs::Optional},
      {"journal get", Needs::Optional},
      {"journal report", Needs::Optional}},
     true,
     nullptr,
     "--journal attend un dossier",
     nullptr},
    {Option::Technician,
     nullptr,
     "intervenant",
     "NOM",
     [] { return QStringLiteral("le technicien, pour le journal (sinon celui des réglages)"); },
     {{"receive", Needs::Optional}, {"send", Needs::Optional}},
     true,
     nullptr,
     nullptr,
     nullptr},
    {Option::Company,
     nullptr,
     "entreprise",
     "NOM",
     [] { return QStringLiteral("son entreprise, pour le journal (sinon celle des réglages)"); },
     {{"receive", Needs::Optional}, {"send", Needs::Optional}},
     true,
     nullptr,
     nullptr,
     nullptr},
    {Option::Site,
     nullptr,
     "site",
     "NOM",
     [] { return QStringLiteral("le site, pour le journal (sinon celui des réglages)"); },
     {{"receive", Needs::Optional}, {"send", Needs::Optional}},
     true,
     nullptr,
     nullptr,
     nullptr},
    {Option::Quiet,
     nullptr,
     "quiet",
     nullptr,
     [] { return QStringLiteral("pas de progression sur la sortie d'erreur"); },
     {},
     true,
     nullptr,
     nullptr,
     nullptr},
    {Option::Help,
     "h",
     "help",
     nullptr,
     [] { return QStringLiteral("cette aide"); },
     {},
     true,
     nullptr,
     nullptr,
     nullptr},
    // Whatever the command, --version only gives the version.
    {Option::Version,
     nullptr,
     "version",
     nullptr,
     [] { return QStringLiteral("la version"); },
     {},
     false,
     nullptr,
     nullptr,
     nullptr},
}};

} // namespace

std::span<const OptionSpec> options() { return kOptions; }

const OptionSpec &optionSpec(Option option)
{
    return *std::find_if(kOptions.begin(), kOptions.end(),
                         [option](const OptionSpec &row) { return row.option == option; });
}

Needs needs(const Command &command, Option option)
{
    const OptionSpec &row = optionSpec(option);
    if (row.uses.empty())
        return Needs::Optional;
    for (const OptionUse &use : row.uses)
        if (QLatin1String(use.command) == QLatin1String(command.name))
            return use.needs;
    return Needs::No;
}

QString CliOptions::value(Option option) const
{
    const auto found = given.find(option);
    return found != given.end() ? found->second : QString();
}
