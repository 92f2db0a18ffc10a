#include "config/ConfigItems.h"

#include "config/ItemWords.h"

namespace {

QString yesNo(bool set) { return set ? QStringLiteral("oui") : QStringLiteral("non"); }

// The option boxes of a function, as its columns name them; grouping and the active button
// exist on functions 2 and 3 only.
struct FunctionOption
{
    std::uint8_t flag;
    const char *name;
    bool onFirstFunction;
};
constexpr FunctionOption kFunctionOptions[] = {
    {FunctionFlag::AuxContact, "Mise Hors Service avec le Contact Auxiliaire", true},
    {FunctionFlag::Delayed, "Temporisé 20s", true},
    {FunctionFlag::Grouped, "Commande regroupée sur Fonction 1", false},
    {FunctionFlag::ActiveButton, "Bouton Actif", false},
};

void addLoops(QList<ConfigItem> &items, const PanelConfig &config, bool card)
{
    for (int i = 0; i < kLoopCount; ++i) {
        const QString loop = QStringLiteral("Boucle %1 : ").arg(i + 1);
        items.append({loop + QStringLiteral("mode alarme"), ItemWords::alarmMode(config.AlarmModes, i)});
        if (!card)
            continue;
        const std::uint8_t command = config.CommandMatrix[i];
        items.append({loop + QStringLiteral("commande UGA"), ItemWords::ugaCommand(command), true});
        for (int f = 0; f < kFunctionCount; ++f)
            items.append(
                {loop + QStringLiteral("fonction CMSI %1").arg(f + 1), yesNo(command & (0x04 << f)), true});
    }
}

void addRelays(QList<ConfigItem> &items, const PanelConfig &config)
{
    for (int r = 0; r < kRelayCount; ++r)
        for (int j = 0; j < kLoopCount; ++j)
            items.append({QStringLiteral("Relais %1 : Boucle %2").arg(r + 1).arg(j + 1),
                          yesNo(config.RelayMatrix[r] & (1u << j))});
}

void addFunctions(QList<ConfigItem> &items, const PanelConfig &config)
{
    for (int k = 0; k < kFunctionCount; ++k) {
        const QString function = QStringLiteral("Fonction %1 : ").arg(k + 1);
        const std::uint8_t byte = config.FunctionTypes[k];
        items.append({function + QStringLiteral("type"), ItemWords::functionType(byte), true});
        for (const FunctionOption &option : kFunctionOptions)
            if (k > 0 || option.onFirstFunction)
                items.append({function + QString::fromUtf8(option.name), yesNo(byte & option.flag), true});
    }
}

} // namespace

QList<ConfigItem> configItems(const PanelConfig &config)
{
    const bool card = config.UpCardPresent == 1;
    QList<ConfigItem> items;
    addLoops(items, config, card);
    addRelays(items, config);
    items.append({QStringLiteral("Carte UP"), ItemWords::cardPresence(config.UpCardPresent)});
    if (card) {
        addFunctions(items, config);
        items.append(
            {QStringLiteral("Alimentation Diffuseurs"), ItemWords::aesChoice(config.AesChoice), true});
    }
    items.append({QStringLiteral("Sortie 12V"), ItemWords::output12v(config.Output12vMode)});
    for (int level = 0; level < 2; ++level)
        items.append({QStringLiteral("Code niveau %1").arg(level + 2),
                      ItemWords::accessCode(config.AccessCodes[level])});
    return items;
}
