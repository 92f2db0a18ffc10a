// torva-cli: TORVA-PC on the command line, for a PC without a display: receive a panel's
// configuration into a data file, send one with every item verified, show, check, compare and
// convert data files, read the panel's diagnostic, and find the port a panel answers on.
#include "cli/Cli.h"
#include "cli/ExitCode.h"
#include "seams/StartUp.h"
#include "simfiles/KeptPanel.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

namespace {

enum class Needs { No, Optional, Required };

// A command: what it takes and what its own --help says.
struct Command
{
    const char *name;
    const char *usage;   // after "torva-cli "
    const char *summary; // one line, for the list of commands
    const char *help;    // its own --help
    int minFiles;
    int maxFiles; // -1: any number
    Needs port;
    Needs output;
    bool json;
    bool watch;
    bool probe;
    bool trace;             // talks to a panel: --trace records its frames
    std::vector<int> codes; // the exit statuses it can give
};

using namespace ExitCode;

// The exit statuses a command can give, in the order of ExitCode::kMeanings.
template <typename... Codes>
std::vector<int> statuses(Codes... codes)
{
    return {codes...};
}

const std::array<Command, 8> kCommands{{
    {"receive", "receive --port PORT -o FICHIER.dat", "reçoit la configuration de l'ECS dans un fichier",
     "Lit la configuration de l'ECS dans l'ordre de « RECEVOIR LA CONFIGURATION », puis l'enregistre\n"
     "comme « Enregistrer » : le fichier est écrit en entier ou pas du tout. Un fichier du même nom\n"
     "n'est remplacé qu'une fois toute la configuration reçue ; interrompue, la réception n'écrit rien.",
     0, 0, Needs::Required, Needs::Required, false, false, false, true,
     statuses(Done, Usage, PortFailed, NoReply, ManualMode, TransferError, WriteFailed, Interrupted)},
    {"send", "send FICHIER.dat --port PORT", "envoie un fichier à l'ECS et vérifie chaque élément",
     "Vérifie le fichier comme « Ouvrir », puis écrit chaque élément dans l'ECS et le relit, comme\n"
     "« ENVOYER LA CONFIGURATION ». Les deux codes doivent avoir 4 lettres et être différents.\n"
     "Interrompu (Ctrl-C) après la première écriture, l'envoi laisse l'ECS avec une partie de la\n"
     "nouvelle configuration : il faut l'envoyer de nouveau.",
     1, 1, Needs::Required, Needs::No, false, false, false, true,
     statuses(Done, Refused, Usage, PortFailed, NoReply, ManualMode, VerifyFailed, TransferError, WriteFailed,
              Interrupted)},
    {"show", "show FICHIER.dat [--json]", "montre la configuration d'un fichier",
     "Montre chaque élément de la configuration d'un fichier avec les mots de l'éditeur, dans\n"
     "l'ordre de la fiche de configuration. Avec --json, chaque élément a une clé qui ne change\n"
     "pas (« loop1.alarmMode ») et une valeur pour un programme (nombre, booléen ou mot en\n"
     "minuscules), avec les mots de l'éditeur à côté (« label », « text »).",
     1, 1, Needs::No, Needs::No, true, false, false, false, statuses(Done, Refused, Usage)},
    {"check", "check FICHIER.dat...", "vérifie des fichiers comme « Ouvrir »",
     "Vérifie chaque fichier comme « Ouvrir » et dit pour chacun s'il est correct, ou ce qui ne va\n"
     "pas et à quelle ligne.",
     1, -1, Needs::No, Needs::No, false, false, false, false, statuses(Done, Refused, Usage)},
    {"diff", "diff A.dat B.dat [--json]  ou  diff A.dat --port PORT [--json]",
     "les éléments qui diffèrent : fichier contre fichier, ou fichier contre l'ECS",
     "Les éléments qui diffèrent, avec les mots de l'éditeur : entre deux fichiers, ou entre un\n"
     "fichier et la configuration de l'ECS, qui est seulement lue (rien n'est écrit dans l'ECS).\n"
     "Avec --json : pour chaque différence la clé, les deux valeurs et les deux textes, et leur\n"
     "nombre (« count »).",
     1, 2, Needs::Optional, Needs::No, true, false, false, true,
     statuses(Done, Refused, Usage, PortFailed, NoReply, ManualMode, TransferError, WriteFailed,
              Interrupted)},
    {"convert", "convert ANCIEN.dat -o NOUVEAU.dat", "convertit un fichier version 1 en version 2",
     "Lit un fichier version 1 comme « Importer fichier Version 1 » (la carte UP présente) et\n"
     "l'enregistre en version 2 comme « Enregistrer ».",
     1, 1, Needs::No, Needs::Required, false, false, false, false,
     statuses(Done, Refused, Usage, WriteFailed, Interrupted)},
    {"diag", "diag --port PORT [--watch] [--json]", "le diagnostic de l'ECS, une fois ou à chaque cycle",
     "Les versions et numéros de série de l'ECS et de la carte UP, les tensions et la charge des\n"
     "boucles, comme la fenêtre de diagnostic : une fois, ou à chaque cycle avec --watch jusqu'à\n"
     "Ctrl-C. La carte est lue quand l'ECS la dit présente. Avec --json, les versions et numéros\n"
     "de série sont des chaînes, les tensions en volts, les courants en ampères et la charge des\n"
     "boucles en milliampères, des nombres (une ligne par cycle avec --watch).",
     0, 0, Needs::Required, Needs::No, true, true, false, true,
     statuses(Done, Usage, PortFailed, NoReply, TransferError, WriteFailed, Interrupted)},
    {"ports", "ports [--probe [PORT...]]", "les ports série du système, et ceux où une ECS répond",
     "Les ports série que le système détecte, avec la description de leur adaptateur.\n"
     "Avec --probe, ouvre chaque port (ou seulement les PORT nommés, comme --port les nomme) et\n"
     "lit le mode de l'ECS comme au début d'une réception (un réveil, trois essais) : dit pour\n"
     "chacun si une ECS a répondu, ou pourquoi pas (port occupé ou refusé et la raison du système,\n"
     "pas de réponse, réponse qui n'est pas celle d'une ECS).\n"
     "Avec --probe, le code de sortie est 0 quand une ECS au moins a répondu, 4 quand des ports se\n"
     "sont ouverts mais qu'aucune ECS n'a répondu, 3 quand aucun port ne s'est ouvert (ou qu'il n'y\n"
     "en a aucun). Sans --probe, 0 même sans port détecté (« aucun port série détecté » sur la\n"
     "sortie d'erreur).",
     0, -1, Needs::No, Needs::No, false, false, true, true,
     statuses(Done, Usage, PortFailed, NoReply, WriteFailed, Interrupted)},
}};

const Command *findCommand(const QString &name)
{
    for (const Command &command : kCommands)
        if (name == QLatin1String(command.name))
            return &command;
    return nullptr;
}

QString optionsText(const Command *only)
{
    const bool all = only == nullptr;
    QString text = QStringLiteral("Options :\n");
    if (all || only->port != Needs::No)
        text +=
            QStringLiteral("  --port PORT        le port série de l'ECS : un périphérique (/dev/ttyUSB0),\n"
                           "                     COM1, COM2... comme les nomme la fenêtre (COM1 : %1),\n"
                           "                     ou « sim » pour l'ECS simulée intégrée\n")
                .arg(PortChoice::comPort(1).device);
    if (all || only->output != Needs::No)
        text += QStringLiteral("  -o, --output FICHIER  le fichier à écrire\n");
    if (all || only->probe)
        text += QStringLiteral("  --probe            lit le mode de l'ECS sur chaque port\n");
    if (all || only->trace)
        text += QStringLiteral(
            "  --trace FICHIER    chaque trame échangée avec l'ECS, une ligne par trame, dans\n"
            "                     FICHIER (le journal des échanges)\n");
    if (all || only->json)
        text += QStringLiteral("  --json             le résultat en JSON, pour un programme\n");
    if (all || only->watch)
        text += QStringLiteral("  --watch            le diagnostic à chaque cycle, jusqu'à Ctrl-C\n");
    text += QStringLiteral("  --quiet            pas de progression sur la sortie d'erreur\n"
                           "  -h, --help         cette aide\n");
    if (all)
        text += QStringLiteral("  --version          la version\n");
    return text;
}

QString simulatedText()
{
    return QStringLiteral(
               "L'ECS simulée (--port sim) est celle de la fenêtre de TORVA-PC (« ECS simulée ») :\n"
               "elles gardent leur configuration d'un lancement à l'autre dans\n"
               "  %1\n"
               "(un fichier de données) : une réception après un envoi rend ce qui a été envoyé,\n"
               "par l'un ou l'autre programme. Effacez ce fichier pour la remettre dans son\n"
               "état d'origine.\n")
        .arg(QDir::toNativeSeparators(KeptPanel::path()));
}

// The exit statuses `only` can give, or all of them.
QString exitCodesText(const Command *only)
{
    QString text = QStringLiteral("Codes de sortie :\n");
    for (const ExitCode::Meaning &meaning : ExitCode::kMeanings)
        if (!only || std::find(only->codes.begin(), only->codes.end(), meaning.code) != only->codes.end())
            text += QStringLiteral("  %1  %2\n").arg(meaning.code, -3).arg(QString::fromUtf8(meaning.text));
    return text;
}

QString generalHelp()
{
    QString text = QStringLiteral("torva-cli : TORVA-PC en ligne de commande, sans écran.\n\n"
                                  "Utilisation : torva-cli COMMANDE [FICHIERS] [OPTIONS]\n\n"
                                  "Commandes :\n");
    for (const Command &command : kCommands)
        text += QStringLiteral("  %1\n      %2\n")
                    .arg(QString::fromUtf8(command.usage), QString::fromUtf8(command.summary));
    text += QStringLiteral("« torva-cli help COMMANDE » (ou « torva-cli COMMANDE --help ») décrit une "
                           "commande.\n\n");
    text += optionsText(nullptr) + QLatin1Char('\n') + simulatedText() + QLatin1Char('\n') +
            QStringLiteral("Les messages et la progression vont sur la sortie d'erreur (la progression\n"
                           "seulement sur un terminal), les résultats sur la sortie standard.\n\n") +
            exitCodesText(nullptr);
    return text;
}

QString commandHelp(const Command &command)
{
    QString text = QStringLiteral("Utilisation : torva-cli %1\n\n%2\n\n")
                       .arg(QString::fromUtf8(command.usage), QString::fromUtf8(command.help));
    text += optionsText(&command);
    if (command.port != Needs::No)
        text += QLatin1Char('\n') + simulatedText();
    return text + QLatin1Char('\n') + exitCodesText(&command);
}

int usageError(const QString &text, const Command *command = nullptr)
{
    const QString helpFor = command ? QString::fromUtf8(command->name) + QLatin1Char(' ') : QString();
    QTextStream(stderr) << "torva-cli : " << text << "\n« torva-cli " << helpFor
                        << "--help » donne l'aide.\n";
    return ExitCode::Usage;
}

// What is wrong with options the parser refused, in the program's words: an option it does not
// know, or a value missing or given to an option that takes none.
QString optionError(const QCommandLineParser &parser, const QList<QCommandLineOption> &options)
{
    const auto dashed = [](const QString &name) {
        return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    };
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty())
        return QStringLiteral("option inconnue « %1 »").arg(dashed(unknown.first()));
    // Qt names the option between quotes in its own text, whatever its language.
    static const QRegularExpression quoted(QStringLiteral("['«\"]\\s*-*([^'»\"\\s]+)"));
    const QString name = quoted.match(parser.errorText()).captured(1);
    for (const QCommandLineOption &option : options)
        if (option.names().contains(name))
            return option.valueName().isEmpty()
                       ? QStringLiteral("l'option « %1 » ne prend pas de valeur").arg(dashed(name))
                       : QStringLiteral("l'option « %1 » attend une valeur (%2)")
                             .arg(dashed(name), option.valueName());
    return parser.errorText();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("torva-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral("3.0"));
    StartUp::prepareProgram();

    QCommandLineParser parser;
    const QCommandLineOption port(QStringLiteral("port"), {}, QStringLiteral("PORT"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")}, {},
                                    QStringLiteral("FICHIER"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption watch(QStringLiteral("watch"));
    const QCommandLineOption probe(QStringLiteral("probe"));
    const QCommandLineOption quiet(QStringLiteral("quiet"));
    const QCommandLineOption trace(QStringLiteral("trace"), {}, QStringLiteral("FICHIER"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QList<QCommandLineOption> options{port, output, json, watch, probe, quiet, trace, help, version};
    parser.addOptions(options);
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(optionError(parser, options));

    QStringList arguments = parser.positionalArguments();
    QString name = arguments.isEmpty() ? QString() : arguments.takeFirst();
    // "help COMMAND" is "COMMAND --help".
    const bool helpAsked = parser.isSet(help) || name == QLatin1String("help");
    if (name == QLatin1String("help")) {
        name = arguments.isEmpty() ? QString() : arguments.takeFirst();
        if (!arguments.isEmpty())
            return usageError(QStringLiteral("help : argument en trop « %1 »").arg(arguments.first()));
        if (!name.isEmpty() && !findCommand(name))
            return usageError(QStringLiteral("help : commande inconnue « %1 »").arg(name));
    }
    const Command *command = findCommand(name);
    QTextStream out(stdout);
    if (helpAsked) {
        out << (command ? commandHelp(*command) : generalHelp());
        return ExitCode::Done;
    }
    if (parser.isSet(version)) {
        out << "torva-cli " << QCoreApplication::applicationVersion() << '\n';
        return ExitCode::Done;
    }
    if (!command)
        return usageError(name.isEmpty() ? QStringLiteral("commande manquante")
                                         : QStringLiteral("commande inconnue « %1 »").arg(name));

    const QString prefix = QString::fromUtf8(command->name) + QStringLiteral(" : ");
    if (arguments.size() < command->minFiles)
        return usageError(prefix + QStringLiteral("fichier manquant"), command);
    if (command->maxFiles >= 0 && arguments.size() > command->maxFiles)
        return usageError(
            prefix + QStringLiteral("argument en trop « %1 »").arg(arguments.at(command->maxFiles)), command);
    // The ports named go with --probe: a list shows every port the system knows.
    if (command->probe && !parser.isSet(probe) && !arguments.isEmpty())
        return usageError(prefix +
                              QStringLiteral("argument en trop « %1 » (les ports nommés vont avec --probe)")
                                  .arg(arguments.first()),
                          command);
    const auto refused = [&](const QCommandLineOption &option, bool allowed) {
        return parser.isSet(option) && !allowed;
    };
    for (const auto &[option, allowed] :
         {std::pair{&port, command->port != Needs::No}, std::pair{&output, command->output != Needs::No},
          std::pair{&json, command->json}, std::pair{&watch, command->watch},
          std::pair{&probe, command->probe}, std::pair{&trace, command->trace}})
        if (refused(*option, allowed))
            return usageError(prefix + QStringLiteral("l'option --%1 ne va pas avec cette commande")
                                           .arg(option->names().constLast()),
                              command);
    // diff compares two files, or one file and the panel.
    const bool portNeeded = command->port == Needs::Required ||
                            (command->port == Needs::Optional && arguments.size() < command->maxFiles);
    if (portNeeded != parser.isSet(port))
        return usageError(prefix + (command->port == Needs::Optional
                                        ? QStringLiteral("deux fichiers, ou un fichier et --port")
                                        : QStringLiteral("--port manque")),
                          command);
    if (portNeeded && parser.value(port).isEmpty())
        return usageError(prefix + QStringLiteral("--port attend un port"), command);
    if (command->output == Needs::Required && parser.value(output).isEmpty())
        return usageError(prefix + QStringLiteral("-o FICHIER manque"), command);

    CliOptions chosen;
    chosen.command = name;
    chosen.arguments = arguments;
    chosen.port = parser.value(port);
    chosen.output = parser.value(output);
    chosen.json = parser.isSet(json);
    chosen.watch = parser.isSet(watch);
    chosen.probe = parser.isSet(probe);
    chosen.quiet = parser.isSet(quiet);
    chosen.trace = parser.value(trace);
    return Cli(chosen).run();
}
