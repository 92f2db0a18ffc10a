#include "cli/CommandLine.h"

#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "cli/Help.h"
#include "cli/StandardStream.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QTextStream>

namespace {

using Reading = CommandLine::Reading;

Reading usageError(const QString &text, const Command *command = nullptr)
{
    const QString helpFor = command ? QString::fromUtf8(command->name) + QLatin1Char(' ') : QString();
    StandardStream error(Terminal::Stream::Error);
    QTextStream(&error) << "torva-cli : " << text << "\n« torva-cli " << helpFor
                        << "--help » donne l'aide.\n";
    return {std::nullopt, ExitCode::Usage};
}

Reading answered(const QString &text)
{
    StandardStream output(Terminal::Stream::Output);
    QTextStream(&output) << text;
    return {std::nullopt, ExitCode::Done};
}

QCommandLineOption parserOption(const OptionSpec &row)
{
    QStringList names{QLatin1String(row.name)};
    if (row.shortName)
        names.prepend(QLatin1String(row.shortName));
    return QCommandLineOption(names, {}, row.valueName ? QLatin1String(row.valueName) : QString());
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
    for (const OptionSpec &row : options())
        if (name == QLatin1String(row.name) || (row.shortName && name == QLatin1String(row.shortName)))
            return row.valueName ? QStringLiteral("l'option « %1 » attend une valeur (%2)")
                                       .arg(dashed(name), QLatin1String(row.valueName))
                                 : QStringLiteral("l'option « %1 » ne prend pas de valeur").arg(dashed(name));
    return parser.errorText();
}

// What is wrong with the options given to `command`, or nothing.
std::optional<QString> misused(const Command &command, const QCommandLineParser &parser,
                               const QStringList &arguments)
{
    for (const OptionSpec &row : options())
        if (parser.isSet(QLatin1String(row.name)) && needs(command, row.option) == Needs::No)
            return QStringLiteral("l'option --%1 ne va pas avec cette commande").arg(QLatin1String(row.name));
    for (const OptionSpec &row : options()) {
        const Needs need = needs(command, row.option);
        const bool given = parser.isSet(QLatin1String(row.name));
        const bool empty = parser.value(QLatin1String(row.name)).isEmpty();
        // diff compares two files, or one file and the panel.
        const bool needed =
            need == Needs::Required || (need == Needs::OrLastFile && arguments.size() < command.maxFiles);
        if (need == Needs::OrLastFile && needed != given)
            return QString::fromUtf8(row.orLastFile);
        if (needed && (!given || empty))
            return QString::fromUtf8(given && row.empty ? row.empty : row.missing);
        // A folder or a name the command may take, but not an empty one.
        if (need != Needs::No && given && empty && row.empty)
            return QString::fromUtf8(row.empty);
        if (given && row.wrongValue)
            if (const std::optional<QString> wrong = row.wrongValue(parser.value(QLatin1String(row.name))))
                return QStringLiteral("--%1 : %2").arg(QLatin1String(row.name), *wrong);
    }
    // One of the options marked OneOf, and only one: journal get writes one configuration.
    QStringList oneOf;
    const char *noneGiven = nullptr;
    for (const OptionSpec &row : options())
        if (needs(command, row.option) == Needs::OneOf) {
            noneGiven = row.missing;
            if (parser.isSet(QLatin1String(row.name)))
                oneOf << QStringLiteral("--") + QLatin1String(row.name);
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
    for (const OptionSpec &row : options())
        parser.addOption(parserOption(row));
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
    for (const OptionSpec &row : options())
        if (parser.isSet(QLatin1String(row.name)))
            chosen.given[row.option] = parser.value(QLatin1String(row.name));
    return {chosen, ExitCode::Done};
}

} // namespace CommandLine
