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
    const char *key;
    bool onFirstFunction;
};
constexpr FunctionOption kFunctionOptions[] = {
    {FunctionFlag::AuxContact, "Mise Hors Service avec le Contact Auxiliaire", "auxContact", true},
    {FunctionFlag::Delayed, "Temporisé 20s", "delayed", true},
    {FunctionFlag::Grouped, "Commande regroupée sur Fonction 1", "grouped", false},
    {FunctionFlag::ActiveButton, "Bouton Actif", "activeButton", false},
};

// The values as data: one word for each of the editor's choices, read as the editor reads them.
QString alarmModeWord(std::uint8_t mode)
{
    switch (mode) {
    case 0:
        return QStringLiteral("simple");
    case 1:
        return QStringLiteral("discrimination");
    default:
        return QStringLiteral("double");
    }
}

QString ugaCommandWord(std::uint8_t command)
{
    if (command & 0x01)
        return QStringLiteral("immediate");
    if (command & 0x02)
        return QStringLiteral("delayed");
    return QStringLiteral("none");
}

QString functionTypeWord(std::uint8_t function)
{
    switch (function & FunctionFlag::TypeMask) {
    case FunctionType::Nul:
        return QStringLiteral("unused");
    case FunctionType::RSC:
        return QStringLiteral("rsc");
    case FunctionType::RAC:
        return QStringLiteral("rac");
    case FunctionType::ESC:
        return QStringLiteral("esc");
    case FunctionType::EAC:
        return QStringLiteral("eac");
    case FunctionType::RSC_UGA:
        return QStringLiteral("rsc-uga");
    default:
        return QStringLiteral("unknown");
    }
}

void addLoops(QList<ConfigItem> &items, const PanelConfig &config, bool card)
{
    for (int i = 0; i < kLoopCount; ++i) {
        const QString loop = QStringLiteral("Boucle %1 : ").arg(i + 1);
        const QString key = QStringLiteral("loop%1.").arg(i + 1);
        items.append({loop + QStringLiteral("mode alarme"), ItemWords::alarmMode(config.AlarmModes, i),
                      key + QStringLiteral("alarmMode"), alarmModeWord(config.AlarmModes[i])});
        if (!card)
            continue;
        const std::uint8_t command = config.CommandMatrix[i];
        items.append({loop + QStringLiteral("commande UGA"), ItemWords::ugaCommand(command),
                      key + QStringLiteral("ugaCommand"), ugaCommandWord(command), true});
        for (int f = 0; f < kFunctionCount; ++f) {
            const bool drives = command & (0x04 << f);
            items.append({loop + QStringLiteral("fonction CMSI %1").arg(f + 1), yesNo(drives),
                          key + QStringLiteral("cmsiFunction%1").arg(f + 1), drives, true});
        }
    }
}

void addRelays(QList<ConfigItem> &items, const PanelConfig &config)
{
    for (int r = 0; r < kRelayCount; ++r)
        for (int j = 0; j < kLoopCount; ++j) {
            const bool set = config.RelayMatrix[r] & (1u << j);
            items.append({QStringLiteral("Relais %1 : Boucle %2").arg(r + 1).arg(j + 1), yesNo(set),
                          QStringLiteral("relay%1.loop%2").arg(r + 1).arg(j + 1), set});
        }
}

void addFunctions(QList<ConfigItem> &items, const PanelConfig &config)
{
    for (int k = 0; k < kFunctionCount; ++k) {
        const QString function = QStringLiteral("Fonction %1 : ").arg(k + 1);
        const QString key = QStringLiteral("function%1.").arg(k + 1);
        const std::uint8_t byte = config.FunctionTypes[k];
        items.append({function + QStringLiteral("type"), ItemWords::functionType(byte),
                      key + QStringLiteral("type"), functionTypeWord(byte), true});
        for (const FunctionOption &option : kFunctionOptions)
            if (k > 0 || option.onFirstFunction) {
                const bool set = byte & option.flag;
                items.append({function + QString::fromUtf8(option.name), yesNo(set),
                              key + QLatin1String(option.key), set, true});
            }
    }
}

} // namespace

QList<ConfigItem> configItems(const PanelConfig &config)
{
    const bool card = config.UpCardPresent == 1;
    QList<ConfigItem> items;
    addLoops(items, config, card);
    addRelays(items, config);
    items.append({QStringLiteral("Carte UP"), ItemWords::cardPresence(config.UpCardPresent),
                  QStringLiteral("upCard"), card});
    if (card) {
        addFunctions(items, config);
        items.append({QStringLiteral("Alimentation Diffuseurs"), ItemWords::aesChoice(config.AesChoice),
                      QStringLiteral("aes"),
                      config.AesChoice == 0 ? QStringLiteral("internal") : QStringLiteral("external"), true});
    }
    items.append({QStringLiteral("Sortie 12V"), ItemWords::output12v(config.Output12vMode),
                  QStringLiteral("output12v"),
                  config.Output12vMode == 0 ? QStringLiteral("permanent") : QStringLiteral("rearmable")});
    for (int level = 0; level < 2; ++level)
        items.append({QStringLiteral("Code niveau %1").arg(level + 2),
                      ItemWords::accessCode(config.AccessCodes[level]),
                      QStringLiteral("code.level%1").arg(level + 2), config.AccessCodes[level]});
    return items;
}
