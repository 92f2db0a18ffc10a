#include "cli/FileProblem.h"

#include "config/ItemWords.h"

#include <QFileInfo>

namespace {

// A field of a refused file as the installer reads it: control bytes shown as "?", a long one cut.
QString quotedField(const QByteArray &field)
{
    constexpr qsizetype kLongest = 24;
    QString text = QString::fromUtf8(field.left(kLongest));
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c == QChar(0x7F))
            c = QLatin1Char('?');
    if (field.size() > kLongest)
        text += QStringLiteral("…");
    return QStringLiteral("« %1 »").arg(text);
}

QString quotedFlag(FunctionFlag flag) { return QStringLiteral("« %1 »").arg(ItemWords::functionFlag(flag)); }

// What is wrong with the problem's line.
QString faultText(const DataFile::ParseResult &result, DataFile::Version version)
{
    using Fault = DataFile::Fault;
    const QString field = quotedField(result.field);
    switch (result.problem.fault) {
    case Fault::None:
        break;
    case Fault::WrongMark:
        return QStringLiteral("%1 au lieu de « %2 »")
            .arg(field,
                 QLatin1String(version == DataFile::Version::V2 ? DataFile::kMarkV2 : DataFile::kMarkV1));
    case Fault::MissingLine:
        return QStringLiteral("ligne manquante : le fichier s'arrête avant");
    case Fault::NotAByte:
        return field + QStringLiteral(" n'est pas un nombre entier de 0 à 255");
    case Fault::NotACodeLetter:
        return field + QStringLiteral(" n'est pas une lettre de code (65 pour A, 66 pour B, 67 pour C)");
    case Fault::NotZeroOrOne:
        return field + QStringLiteral(" : 0 ou 1 attendu");
    case Fault::CommandBits:
        return field +
               QStringLiteral(" : commande de boucle impossible (commande UGA 0, 1 ou 2, plus 4, 8 et 16 "
                              "pour les fonctions CMSI 1, 2 et 3)");
    case Fault::AlarmMode:
        return field +
               QStringLiteral(" : mode alarme inconnu (0 simple, 1 discrimination, 2 double détection)");
    case Fault::UnpairedDouble:
        return QStringLiteral("double détection sur une seule boucle de la paire (1-2, 3-4, 5-6 ou 7-8)");
    case Fault::FunctionType:
        return field + QStringLiteral(" : type de fonction inconnu (0 à 5)");
    case Fault::AuxContact:
        return field +
               QStringLiteral(" : %1 sans le type « %2 »")
                   .arg(quotedFlag(FunctionFlag::AuxContact), ItemWords::functionType(FunctionType::RSC_UGA));
    case Fault::GroupedFirst:
        return field + QStringLiteral(" : la fonction 1 n'a ni %1 ni %2")
                           .arg(quotedFlag(FunctionFlag::Grouped), quotedFlag(FunctionFlag::ActiveButton));
    case Fault::ActiveUngrouped:
        return field + QStringLiteral(" : %1 sans %2")
                           .arg(quotedFlag(FunctionFlag::ActiveButton), quotedFlag(FunctionFlag::Grouped));
    }
    return {};
}

} // namespace

namespace FileProblem {

QString lineText(const DataFile::ParseResult &result, DataFile::Version version)
{
    return QStringLiteral("ligne %1 : %2").arg(result.problem.line).arg(faultText(result, version));
}

QString unreadable(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("fichier introuvable");
    if (!info.isFile())
        return QStringLiteral("pas un fichier ordinaire");
    return QStringLiteral("fichier illisible");
}

} // namespace FileProblem
