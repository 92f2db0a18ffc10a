#include "config/ConfigItems.h"

#include "config/ItemWords.h"

namespace {

QString yesNo(bool set) { return set ? QStringLiteral("oui") : QStringLiteral("non"); }

// The key of each option box of a function; grouping and the active button exist on functions 2
// and 3 only.
const char *flagKey(FunctionFlag flag)
{
    switch (flag) {
    case FunctionFlag::AuxContact:
        return "auxContact";
    case FunctionFlag::Delayed:
        return "delayed";
    case FunctionFlag::Grouped:
        return "grouped";
    case FunctionFlag::ActiveButton:
        return "activeButton";
    }
    return "";
}

bool onFirstFunction(FunctionFlag flag)
{
    return flag != FunctionFlag::Grouped && flag != FunctionFlag::ActiveButton;
}

// The values as data: one word for each of the editor's choices, read as the editor reads them.
QString alarmModeWord(AlarmMode mode)
{
    switch (mode) {
    case AlarmMode::Normal:
        return QStringLiteral("simple");
    case AlarmMode::Discrimination:
        return QStringLiteral("discrimination");
    case AlarmMode::Double:
        break;
    }
    return QStringLiteral("double");
}

QString ugaCommandWord(UgaCommand command)
{
    switch (command) {
    case UgaCommand::Immediate:
        return QStringLiteral("immediate");
    case UgaCommand::Temporised:
        return QStringLiteral("delayed");
    case UgaCommand::None:
        break;
    }
    return QStringLiteral("none");
}

QString functionTypeWord(FunctionType type)
{
    switch (type) {
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
    }
    return QStringLiteral("unknown");
}

void addLoops(QList<ConfigItem> &items, const PanelConfig &config, bool card)
{
    for (int i = 0; i < kLoopCount; ++i) {
        const QString loop = QStringLiteral("Boucle %1 : ").arg(i + 1);
        const QString key = QStringLiteral("loop%1.").arg(i + 1);
        const AlarmMode mode = config.alarmMode(i);
        items.append({loop + QStringLiteral("mode alarme"), ItemWords::alarmMode(mode, i),
                      key + QStringLiteral("alarmMode"), alarmModeWord(mode)});
        if (!card)
            continue;
        const UgaCommand command = config.ugaCommand(i);
        items.append({loop + QStringLiteral("commande UGA"), ItemWords::ugaCommand(command),
                      key + QStringLiteral("ugaCommand"), ugaCommandWord(command), true});
        for (int f = 0; f < kFunctionCount; ++f) {
            const bool drives = config.drivesFunction(i, f);
            items.append({loop + QStringLiteral("fonction CMSI %1").arg(f + 1), yesNo(drives),
                          key + QStringLiteral("cmsiFunction%1").arg(f + 1), drives, true});
        }
    }
}

void addRelays(QList<ConfigItem> &items, const PanelConfig &config)
{
    for (int r = 0; r < kRelayCount; ++r)
        for (int j = 0; j < kLoopCount; ++j) {
            const bool set = config.relayFollows(r, j);
            items.append({QStringLiteral("Relais %1 : Boucle %2").arg(r + 1).arg(j + 1), yesNo(set),
                          QStringLiteral("relay%1.loop%2").arg(r + 1).arg(j + 1), set});
        }
}

void addFunctions(QList<ConfigItem> &items, const PanelConfig &config)
{
    for (int k = 0; k < kFunctionCount; ++k) {
        const QString function = QStringLiteral("Fonction %1 : ").arg(k + 1);
        const QString key = QStringLiteral("function%1.").arg(k + 1);
        const FunctionType type = config.functionType(k);
        items.append({function + QStringLiteral("type"), ItemWords::functionType(type),
                      key + QStringLiteral("type"), functionTypeWord(type), true});
        for (FunctionFlag flag : kFunctionFlags)
            if (k > 0 || onFirstFunction(flag)) {
                const bool set = config.functionFlag(k, flag);
                items.append({function + ItemWords::functionFlag(flag), yesNo(set),
                              key + QLatin1String(flagKey(flag)), set, true});
            }
    }
}

} // namespace

QList<ConfigItem> configItems(const PanelConfig &config)
{
    const bool card = config.cardPresent();
    QList<ConfigItem> items;
    addLoops(items, config, card);
    addRelays(items, config);
    items.append({QStringLiteral("Carte UP"), ItemWords::cardPresence(card), QStringLiteral("upCard"), card});
    if (card) {
        addFunctions(items, config);
        items.append({QStringLiteral("Alimentation Diffuseurs"), ItemWords::aesChoice(config.aes()),
                      QStringLiteral("aes"),
                      config.aes() == Aes::Internal ? QStringLiteral("internal") : QStringLiteral("external"),
                      true});
    }
    items.append({QStringLiteral("Sortie 12V"), ItemWords::output12v(config.output12v()),
                  QStringLiteral("output12v"),
                  config.output12v() == Output12v::Permanent ? QStringLiteral("permanent")
                                                             : QStringLiteral("rearmable")});
    for (int level = 0; level < 2; ++level)
        items.append({QStringLiteral("Code niveau %1").arg(level + 2),
                      ItemWords::accessCode(config.AccessCodes[level]),
                      QStringLiteral("code.level%1").arg(level + 2), config.AccessCodes[level]});
    return items;
}
