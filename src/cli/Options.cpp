#include "cli/Options.h"

#include "cli/Commands.h"
#include "link/SerialPort.h"

#include <algorithm>
#include <array>

namespace {

// In the order the help lists them.
const std::array<OptionSpec, 9> kOptions{{
    {Option::Port,
     nullptr,
     "port",
     "PORT",
     [] {
         return QStringLiteral("le port série de l'ECS : un périphérique (/dev/ttyUSB0),\n"
                               "COM1, COM2... comme les nomme la fenêtre (COM1 : %1),\n"
                               "ou « sim » pour l'ECS simulée intégrée")
             .arg(PortChoice::comPort(1).device);
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
     {{"receive", Needs::Required}, {"convert", Needs::Required}},
     true,
     "-o FICHIER manque",
     nullptr,
     nullptr},
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
     {{"show", Needs::Optional}, {"diff", Needs::Optional}, {"diag", Needs::Optional}},
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
                         [option](const OptionSpec &spec) { return spec.option == option; });
}

Needs needs(const Command &command, Option option)
{
    const OptionSpec &spec = optionSpec(option);
    if (spec.uses.empty())
        return Needs::Optional;
    for (const OptionUse &use : spec.uses)
        if (QLatin1String(use.command) == QLatin1String(command.name))
            return use.needs;
    return Needs::No;
}

QString CliOptions::value(Option option) const
{
    const auto found = given.find(option);
    return found != given.end() ? found->second : QString();
}
