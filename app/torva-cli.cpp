// torva-cli: TORVA-PC on the command line, for a PC without a display: receive a panel's
// configuration into a data file, send one with every item verified, show, check, compare and
// convert data files, read the panel's diagnostic, and find the port a panel answers on.
#include "cli/Cli.h"
#include "cli/Commands.h"
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
    for (const Command &command : commands())
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
    StartUp::nameProgram(QStringLiteral("torva-cli"));
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
