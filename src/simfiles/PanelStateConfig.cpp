#include "simfiles/PanelStateConfig.h"

namespace {

// The panel stores one byte per code letter: 3 for "A", 4 for "B", 5 for "C".
constexpr int kLetterA = 3;
constexpr int kCodeLength = 4;

} // namespace

PanelConfig configOf(const PanelState &state)
{
    PanelConfig config;
    config.CommandMatrix = state.commandMatrix;
    config.AlarmModes = state.alarmModes;
    config.FunctionTypes = state.functionTypes;
    config.RelayMatrix = state.relays;
    config.Output12vMode = state.output12v;
    config.AesChoice = state.aes;
    config.UpCardPresent = state.upCardPresent;
    for (std::size_t level = 0; level < config.AccessCodes.size(); ++level) {
        QString &code = config.AccessCodes[level];
        code.clear();
        for (std::size_t p = 0; p < kCodeLength; ++p)
            code += QChar(u'A' + (state.codes[kCodeLength * level + p] - kLetterA));
    }
    return config;
}

void putConfig(const PanelConfig &config, PanelState &state)
{
    state.commandMatrix = config.CommandMatrix;
    state.alarmModes = config.AlarmModes;
    state.functionTypes = config.FunctionTypes;
    state.relays = config.RelayMatrix;
    state.output12v = config.Output12vMode;
    state.aes = config.AesChoice;
    state.upCardPresent = config.UpCardPresent;
    for (std::size_t level = 0; level < config.AccessCodes.size(); ++level)
        for (std::size_t p = 0; p < kCodeLength; ++p)
            state.codes[kCodeLength * level + p] =
                std::uint8_t(kLetterA + (config.AccessCodes[level][qsizetype(p)].unicode() - u'A'));
}
