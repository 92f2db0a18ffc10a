#include "config/ItemWords.h"

#include "config/PanelConfig.h"

#include <QStringList>

namespace ItemWords {

QString alarmMode(const std::array<std::uint8_t, 8> &modes, int loop)
{
    switch (modes[loop]) {
    case 0:
        return QStringLiteral("Mode Alarme simple");
    case 1:
        return QStringLiteral("Discrimination");
    default:
        // Loops pair as (1, 2), (3, 4), (5, 6), (7, 8).
        return QStringLiteral("Double détection avec la boucle %1").arg((loop ^ 1) + 1);
    }
}

QString ugaCommand(std::uint8_t command)
{
    // Read as the editor shows it: bit 0 wins over bit 1.
    if (command & 0x01)
        return QStringLiteral("Immédiate");
    if (command & 0x02)
        return QStringLiteral("Temporisée");
    return QStringLiteral("Aucune");
}

QString cmsiFunctions(std::uint8_t command)
{
    QStringList functions;
    for (int f = 0; f < kFunctionCount; ++f)
        if (command & (0x04 << f))
            functions << QString::number(f + 1);
    return functions.isEmpty() ? QStringLiteral("Aucune") : functions.join(QStringLiteral(", "));
}

QString relayLoops(std::uint8_t relayMask)
{
    QStringList loops;
    for (int j = 0; j < kLoopCount; ++j)
        if (relayMask & (1u << j))
            loops << QStringLiteral("Alarme Boucle %1").arg(j + 1);
    return loops.isEmpty() ? QStringLiteral("Aucune boucle") : loops.join(QStringLiteral(", "));
}

QString functionType(std::uint8_t function)
{
    switch (function & FunctionFlag::TypeMask) {
    case FunctionType::Nul:
        return QStringLiteral("Non utilisée");
    case FunctionType::RSC:
        return QStringLiteral("Rupture Sans Contrôle");
    case FunctionType::RAC:
        return QStringLiteral("Rupture Avec Contrôle");
    case FunctionType::ESC:
        return QStringLiteral("Emission Sans Contrôle");
    case FunctionType::EAC:
        return QStringLiteral("Emission Avec Contrôle");
    case FunctionType::RSC_UGA:
        return QStringLiteral("Rupture Sans Contrôle Associé à l'UGA");
    default:
        return QStringLiteral("Type inconnu (%1)").arg(function & FunctionFlag::TypeMask);
    }
}

QString functionOptions(std::uint8_t function)
{
    QStringList options;
    if (function & FunctionFlag::AuxContact)
        options << QStringLiteral("Mise Hors Service avec le Contact Auxiliaire");
    if (function & FunctionFlag::Delayed)
        options << QStringLiteral("Temporisé 20s");
    if (function & FunctionFlag::Grouped)
        options << QStringLiteral("Commande regroupée sur Fonction 1");
    if (function & FunctionFlag::ActiveButton)
        options << QStringLiteral("Bouton Actif");
    return options.isEmpty() ? QStringLiteral("Aucune option") : options.join(QStringLiteral(", "));
}

QString ugaTempo(const std::optional<std::uint8_t> &minutes)
{
    if (!minutes)
        return QStringLiteral("Tempo UGA : non lue (elle est lue sur le Dip-Switch de l'ECS à la réception)");
    return QStringLiteral("Tempo UGA = %1 min.").arg(*minutes);
}

QString cardPresence(std::uint8_t present)
{
    return present == 1 ? QStringLiteral("PRESENTE") : QStringLiteral("ABSENTE");
}

QString aesChoice(std::uint8_t choice)
{
    return choice == 0 ? QStringLiteral("AES Interne") : QStringLiteral("AES Externe");
}

QString output12v(std::uint8_t mode)
{
    return mode == 0 ? QStringLiteral("Permanente") : QStringLiteral("Réarmable");
}

QString accessCode(const QString &code)
{
    // A box left short after its warning would be refused by the send; say so.
    return code.size() == 4 ? code : code + QStringLiteral(" (incomplet)");
}

} // namespace ItemWords
