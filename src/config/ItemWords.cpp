#include "config/ItemWords.h"

#include <QStringList>

namespace ItemWords {

QString groupTitle(Group group)
{
    switch (group) {
    case Group::AlarmModes:
        return QStringLiteral("MODES ALARME");
    case Group::Commands:
        return QStringLiteral("COMMANDES UGA/CMSI");
    case Group::Functions:
        return QStringLiteral("FONCTIONS CMSI");
    case Group::UpCard:
        return QStringLiteral("CARTE UP (UGA/CMSI)");
    case Group::Relays:
        return QStringLiteral("RELAIS PROGRAMMABLES");
    case Group::Misc:
        return QStringLiteral("DIVERS");
    case Group::Output12v:
        break;
    }
    return QStringLiteral("SORTIE 12V");
}

QString loopName(int loop) { return QStringLiteral("Boucle %1").arg(loop + 1); }

QString relayName(int relay) { return QStringLiteral("RELAIS %1").arg(relay + 1); }

QString functionName(int function) { return QStringLiteral("FONCTION %1").arg(function + 1); }

QString codeName(int box) { return QStringLiteral("CODE NIVEAU %1").arg(box + 2); }

QString relayLoop(int loop) { return QStringLiteral("Alarme Boucle %1").arg(loop + 1); }

QString ugaTempoCaption() { return QStringLiteral("Tempo UGA ="); }

QString alarmMode(AlarmMode mode, int loop)
{
    switch (mode) {
    case AlarmMode::Normal:
        return QStringLiteral("Mode Alarme simple");
    case AlarmMode::Discrimination:
        return QStringLiteral("Discrimination");
    case AlarmMode::Double:
        break;
    }
    return QStringLiteral("Double détection avec la boucle %1").arg(pairedLoop(loop) + 1);
}

QString ugaCommand(UgaCommand command)
{
    switch (command) {
    case UgaCommand::Immediate:
        return QStringLiteral("Immédiate");
    case UgaCommand::Temporised:
        return QStringLiteral("Temporisée");
    case UgaCommand::None:
        break;
    }
    return QStringLiteral("Aucune");
}

QString cmsiFunctions(const PanelConfig &config, int loop)
{
    QStringList functions;
    for (int f = 0; f < kFunctionCount; ++f)
        if (config.drivesFunction(loop, f))
            functions << QString::number(f + 1);
    return functions.isEmpty() ? QStringLiteral("Aucune") : functions.join(QStringLiteral(", "));
}

QString relayLoops(const PanelConfig &config, int relay)
{
    QStringList loops;
    for (int j = 0; j < kLoopCount; ++j)
        if (config.relayFollows(relay, j))
            loops << relayLoop(j);
    return loops.isEmpty() ? QStringLiteral("Aucune boucle") : loops.join(QStringLiteral(", "));
}

QString functionType(FunctionType type)
{
    switch (type) {
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
    }
    return QStringLiteral("Type inconnu (%1)").arg(int(type));
}

QString functionFlag(FunctionFlag flag)
{
    switch (flag) {
    case FunctionFlag::AuxContact:
        return QStringLiteral("Mise Hors Service avec le Contact Auxiliaire");
    case FunctionFlag::Delayed:
        return QStringLiteral("Temporisé 20s");
    case FunctionFlag::Grouped:
        return QStringLiteral("Commande regroupée sur Fonction 1");
    case FunctionFlag::ActiveButton:
        return QStringLiteral("Bouton Actif");
    }
    return {};
}

QString functionOptions(const PanelConfig &config, int function)
{
    QStringList options;
    for (FunctionFlag flag : kFunctionFlags)
        if (config.functionFlag(function, flag))
            options << functionFlag(flag);
    return options.isEmpty() ? QStringLiteral("Aucune option") : options.join(QStringLiteral(", "));
}

QString ugaTempo(const std::optional<std::uint8_t> &minutes)
{
    if (!minutes)
        return QStringLiteral("Tempo UGA : non lue (elle est lue sur le Dip-Switch de l'ECS à la réception)");
    return ugaTempoCaption() + QStringLiteral(" %1 min.").arg(*minutes);
}

QString cardPresence(bool present)
{
    return present ? QStringLiteral("PRESENTE") : QStringLiteral("ABSENTE");
}

QString aesChoice(Aes choice)
{
    return choice == Aes::Internal ? QStringLiteral("AES Interne") : QStringLiteral("AES Externe");
}

QString output12v(Output12v mode)
{
    return mode == Output12v::Permanent ? QStringLiteral("Permanente") : QStringLiteral("Réarmable");
}

QString accessCode(const QString &code)
{
    // A box left short after its warning would be refused by the send; say so.
    return code.size() == PanelConfig::kCodeLength ? code : code + QStringLiteral(" (incomplet)");
}

} // namespace ItemWords
