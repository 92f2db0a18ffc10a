#include "config/PanelConfig.h"

namespace {

// The command byte of a loop.
constexpr std::uint8_t kImmediateBit = 0x01;
constexpr std::uint8_t kTemporisedBit = 0x02;
constexpr std::uint8_t kUgaBits = kImmediateBit | kTemporisedBit;
constexpr std::uint8_t kCommandBits = 0x1F; // the UGA command and the three functions

constexpr std::uint8_t functionBit(int function) { return std::uint8_t(0x04 << function); }

// The byte of a function.
constexpr std::uint8_t kTypeBits = 0x0F;

constexpr std::uint8_t flagBit(FunctionFlag flag)
{
    switch (flag) {
    case FunctionFlag::Grouped:
        return 0x10;
    case FunctionFlag::ActiveButton:
        return 0x20;
    case FunctionFlag::AuxContact:
        return 0x40;
    case FunctionFlag::Delayed:
        return 0x80;
    }
    return 0;
}

// The byte of a relay.
constexpr std::uint8_t loopBit(int loop) { return std::uint8_t(1u << loop); }

// `byte` with the bits of `mask` set or cleared.
void setBits(std::uint8_t &byte, std::uint8_t mask, bool set)
{
    byte = set ? std::uint8_t(byte | mask) : std::uint8_t(byte & ~mask);
}

std::size_t at(int index) { return std::size_t(index); }

// The panel's byte for the first code letter, "A"; the others follow in order.
constexpr std::uint8_t kFirstCodeByte = 3;

} // namespace

UgaCommand PanelConfig::ugaCommand(int loop) const
{
    const std::uint8_t command = CommandMatrix[at(loop)];
    if (command & kImmediateBit)
        return UgaCommand::Immediate;
    if (command & kTemporisedBit)
        return UgaCommand::Temporised;
    return UgaCommand::None;
}

void PanelConfig::setUgaCommand(int loop, UgaCommand command)
{
    std::uint8_t &byte = CommandMatrix[at(loop)];
    byte = std::uint8_t((byte & ~kUgaBits) | (std::uint8_t(command) & kUgaBits));
}

bool PanelConfig::drivesFunction(int loop, int function) const
{
    return CommandMatrix[at(loop)] & functionBit(function);
}

void PanelConfig::setDrivesFunction(int loop, int function, bool drives)
{
    setBits(CommandMatrix[at(loop)], functionBit(function), drives);
}

bool PanelConfig::commandFitsEditor(int loop) const
{
    const std::uint8_t command = CommandMatrix[at(loop)];
    return (command & kUgaBits) != kUgaBits && (command & ~kCommandBits) == 0;
}

AlarmMode PanelConfig::alarmMode(int loop) const
{
    switch (AlarmModes[at(loop)]) {
    case 0:
        return AlarmMode::Normal;
    case 1:
        return AlarmMode::Discrimination;
    default:
        return AlarmMode::Double;
    }
}

void PanelConfig::setAlarmMode(int loop, AlarmMode mode) { AlarmModes[at(loop)] = std::uint8_t(mode); }

FunctionType PanelConfig::functionType(int function) const
{
    return FunctionType(FunctionTypes[at(function)] & kTypeBits);
}

void PanelConfig::setFunctionType(int function, FunctionType type)
{
    std::uint8_t &byte = FunctionTypes[at(function)];
    byte = std::uint8_t((byte & ~kTypeBits) | (std::uint8_t(type) & kTypeBits));
}

bool PanelConfig::functionFlag(int function, FunctionFlag flag) const
{
    return FunctionTypes[at(function)] & flagBit(flag);
}

void PanelConfig::setFunctionFlag(int function, FunctionFlag flag, bool set)
{
    setBits(FunctionTypes[at(function)], flagBit(flag), set);
}

bool PanelConfig::relayFollows(int relay, int loop) const { return RelayMatrix[at(relay)] & loopBit(loop); }

void PanelConfig::setRelayFollows(int relay, int loop, bool follows)
{
    setBits(RelayMatrix[at(relay)], loopBit(loop), follows);
}

Output12v PanelConfig::output12v() const
{
    return Output12vMode == 0 ? Output12v::Permanent : Output12v::Rearmable;
}

void PanelConfig::setOutput12v(Output12v mode) { Output12vMode = std::uint8_t(mode); }

Aes PanelConfig::aes() const { return AesChoice == 0 ? Aes::Internal : Aes::External; }

void PanelConfig::setAes(Aes choice) { AesChoice = std::uint8_t(choice); }

bool PanelConfig::cardPresent() const { return UpCardPresent == 1; }

void PanelConfig::setCardPresent(bool present) { UpCardPresent = present ? 1 : 0; }

bool PanelConfig::isCodeLetter(QChar c) { return codeByte(c).has_value(); }

std::optional<std::uint8_t> PanelConfig::codeByte(QChar letter)
{
    for (std::size_t i = 0; i < kCodeLetters.size(); ++i)
        if (letter == kCodeLetters[i])
            return std::uint8_t(kFirstCodeByte + i);
    return std::nullopt;
}

std::optional<QChar> PanelConfig::codeLetter(std::uint8_t byte)
{
    if (byte < kFirstCodeByte || byte - kFirstCodeByte >= int(kCodeLetters.size()))
        return std::nullopt;
    return QChar(kCodeLetters[std::size_t(byte - kFirstCodeByte)]);
}

bool isCompleteCode(const QString &code)
{
    if (code.size() != PanelConfig::kCodeLength)
        return false;
    for (QChar c : code)
        if (!PanelConfig::isCodeLetter(c))
            return false;
    return true;
}
