#include "cli/Help.h"

#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "cli/Options.h"
#include "cli/SystemWords.h"
#include "simfiles/KeptPanel.h"

#include <QDir>

#include <algorithm>

namespace {

// The text of an option's help starts in this column, its continuation lines too.
constexpr qsizetype kHelpColumn = 21;

// "  -o, --output FICHIER  le fichier à écrire": the names, then the help beyond them.
QString optionLines(const OptionSpec &row)
{
    QString names = QStringLiteral("--") + QLatin1String(row.name);
    if (row.shortName)
        names = QStringLiteral("-%1, ").arg(QLatin1String(row.shortName)) + names;
    if (row.valueName)
        names += QLatin1Char(' ') + QLatin1String(row.valueName);
    const QString indent(kHelpColumn, QLatin1Char(' '));
    QString text = QStringLiteral("  ") + names.leftJustified(kHelpColumn - 4) + QStringLiteral("  ");
    text += row.help().replace(QLatin1Char('\n'), QLatin1Char('\n') + indent);
    return text + QLatin1Char('\n');
}

// The options `only` takes, or all of them.
QString optionsText(const Command *only)
{
    QString text = QStringLiteral("Options :\n");
    for (const OptionSpec &row : options())
        if (only ? row.inCommandHelp && needs(*only, row.option) != Needs::No : true)
            text += optionLines(row);
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
            text += QStringLiteral("  %1  %2\n")
                        .arg(meaning.code, -3)
                        .arg(QString::fromUtf8(meaning.text)
                                 .replace(QStringLiteral("%1"), SystemWords::interruptions()));
    return text;
}

} // namespace

namespace Help {

QString general()
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

QString of(const Command &command)
{
    QString text = QStringLiteral("Utilisation : torva-cli %1\n\n%2\n\n")
                       .arg(QString::fromUtf8(command.usage), QString::fromUtf8(command.help));
    text += optionsText(&command);
    if (needs(command, Option::Port) != Needs::No)
        text += QLatin1Char('\n') + simulatedText();
    return text + QLatin1Char('\n') + exitCodesText(&command);
}

} // namespace Help
