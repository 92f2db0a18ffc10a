#include "cli/CommandLine.h"

#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "cli/Help.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QTextStream>

namespace {

using Reading = CommandLine::Reading;

Reading usageError(const QString &text, const Command *command = nullptr)
{
    const QString helpFor = command ? QString::fromUtf8(command->name) + QLatin1Char(' ') : QString();
    QTextStream(stderr) << "torva-cli : " << text << "\n« torva-cli " << helpFor
                        << "--help » donne l'aide.\n";
    return {std::nullopt, ExitCode::Usage};
}

Reading answered(const QString &text)
{
    QTextStream(stdout) << text;
    return {std::nullopt, ExitCode::Done};
}

QCommandLineOption parserOption(const OptionSpec &spec)
{
    QStringList names{QLatin1String(spec.name)};
    if (spec.shortName)
        names.prepend(QLatin1String(spec.shortName));
    return QCommandLineOption(names, {}, spec.valueName ? QLatin1String(spec.valueName) : QString());
}

// What is wrong with options the parser refused, in the program's words: an option it does not
// know, or a value missing or given to an option that takes none.
QString optionError(const QCommandLineParser &parser)
{
    const auto dashed = [](const QString &name) {
        return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    };
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty())
        return QStringLiteral("option inconnue « %1 »").arg(dashed(unknown.first()));
    // Qt names the option between quotes in its own text, whatever its language.
    static const QRegularExpression quoted(QStringLiteral("['«\"]\\s*-*([^'»\"\\s]+)"));
    const QString name = quoted.match(parser.errorText()).captured(1);
    for (const OptionSpec &spec : options())
        if (name == QLatin1String(spec.name) || (spec.shortName && name == QLatin1String(spec.shortName)))
            return spec.valueName
                       ? QStringLiteral("l'option « %1 » attend une valeur (%2)")
                             .arg(dashed(name), QLatin1String(spec.valueName))
                       : QStringLiteral("l'option « %1 » ne prend pas de valeur").arg(dashed(name));
    return parser.errorText();
}

// What is wrong with the options given to `command`, or nothing.
std::optional<QString> misused(const Command &command, const QCommandLineParser &parser,
                               const QStringList &arguments)
{
    for (const OptionSpec &spec : options())
        if (parser.isSet(QLatin1String(spec.name)) && needs(command, spec.option) == Needs::No)
            return QStringLiteral("l'option --%1 ne va pas avec cette commande")
                .arg(QLatin1String(spec.name));
    for (const OptionSpec &spec : options()) {
        const Needs need = needs(command, spec.option);
        const bool given = parser.isSet(QLatin1String(spec.name));
        const bool empty = parser.value(QLatin1String(spec.name)).isEmpty();
        // diff compares two files, or one file and the panel.
        const bool needed =
            need == Needs::Required || (need == Needs::OrLastFile && arguments.size() < command.maxFiles);
        if (need == Needs::OrLastFile && needed != given)
            return QString::fromUtf8(spec.orLastFile);
        if (needed && (!given || empty))
            return QString::fromUtf8(given && spec.empty ? spec.empty : spec.missing);
        // A folder or a name the command may take, but not an empty one.
        if (need != Needs::No && given && empty && spec.empty)
            return QString::fromUtf8(spec.empty);
        if (given && spec.wrongValue)
            if (const std::optional<QString> wrong = spec.wrongValue(parser.value(QLatin1String(spec.name))))
                return QStringLiteral("--%1 : %2").arg(QLatin1String(spec.name), *wrong);
    }
    // One of the options marked OneOf, and only one: journal get writes one configuration.
    QStringList oneOf;
    const char *noneGiven = nullptr;
    for (const OptionSpec &spec : options())
        if (needs(command, spec.option) == Needs::OneOf) {
            noneGiven = spec.missing;
            if (parser.isSet(QLatin1String(spec.name)))
                oneOf << QStringLiteral("--") + QLatin1String(spec.name);
        }
    if (noneGiven && oneOf.isEmpty())
        return QString::fromUtf8(noneGiven);
    if (oneOf.size() > 1)
        return QStringLiteral("%1 ne vont pas ensemble").arg(oneOf.join(QStringLiteral(" et ")));
    return std::nullopt;
}

// The command `words` start with: "journal show" before "journal". Takes its words from `words`.
QString commandName(QStringList &words)
{
    QString name = words.isEmpty() ? QString() : words.takeFirst();
    if (!words.isEmpty() && findCommand(name + QLatin1Char(' ') + words.first()))
        name += QLatin1Char(' ') + words.takeFirst();
    return name;
}

} // namespace

namespace CommandLine {

Reading read(const QStringList &arguments)
{
    QCommandLineParser parser;
    for (const OptionSpec &spec : options())
        parser.addOption(parserOption(spec));
    if (!parser.parse(arguments))
        return usageError(optionError(parser));

    QStringList files = parser.positionalArguments();
    QString name = commandName(files);
    // "help COMMAND" is "COMMAND --help".
    const bool helpAsked =
        parser.isSet(QLatin1String(optionSpec(Option::Help).name)) || name == QLatin1String("help");
    if (name == QLatin1String("help")) {
        name = commandName(files);
        if (!files.isEmpty())
            return usageError(QStringLiteral("help : argument en trop « %1 »").arg(files.first()));
        if (!name.isEmpty() && !findCommand(name))
            return usageError(QStringLiteral("help : commande inconnue « %1 »").arg(name));
    }
    const Command *command = findCommand(name);
    if (helpAsked)
        return answered(command ? Help::of(*command) : Help::general());
    if (parser.isSet(QLatin1String(optionSpec(Option::Version).name)))
        return answered(QStringLiteral("torva-cli %1\n").arg(QCoreApplication::applicationVersion()));
    if (!command)
        return usageError(name.isEmpty() ? QStringLiteral("commande manquante")
                                         : QStringLiteral("commande inconnue « %1 »").arg(name));

    const QString prefix = QString::fromUtf8(command->name) + QStringLiteral(" : ");
    if (files.size() < command->minFiles)
        return usageError(prefix + QString::fromUtf8(command->missingArgument), command);
    if (command->maxFiles >= 0 && files.size() > command->maxFiles)
        return usageError(prefix + QStringLiteral("argument en trop « %1 »").arg(files.at(command->maxFiles)),
                          command);
    // The ports named go with --probe: a list shows every port the system knows.
    const QString probe = QLatin1String(optionSpec(Option::Probe).name);
    if (needs(*command, Option::Probe) != Needs::No && !parser.isSet(probe) && !files.isEmpty())
        return usageError(prefix +
                              QStringLiteral("argument en trop « %1 » (les ports nommés vont avec --probe)")
                                  .arg(files.first()),
                          command);
    if (const std::optional<QString> wrong = misused(*command, parser, files))
        return usageError(prefix + *wrong, command);

    CliOptions chosen;
    chosen.command = name;
    chosen.arguments = files;
    for (const OptionSpec &spec : options())
        if (parser.isSet(QLatin1String(spec.name)))
            chosen.given[spec.option] = parser.value(QLatin1String(spec.name));
    return {chosen, ExitCode::Done};
}

} // namespace CommandLine
