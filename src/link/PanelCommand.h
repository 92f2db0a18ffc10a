#pragma once

#include <cstdint>

// Every command of the panel's protocol, by name. The values are the command bytes on the line.
enum class PanelCommand : std::uint8_t {
    // Configuration reads
    CommandMatrix = 2, // per loop; the panel answers with the complement of the byte it holds
    FunctionType = 3,  // per CMSI function
    AccessCodes = 4,   // eight letter bytes, level 2 then level 3
    CardState = 5,     // the UP card's operating state
    UgaTempo = 6,
    Relay = 12, // per relay
    Output12v = 14,
    PanelMode = 20, // 1 while the panel's manual configuration mode refuses the PC
    AlarmMode = 21, // per loop
    AesChoice = 27,
    CardPresence = 30,
    // Configuration writes
    WriteCommandMatrix = 8,
    WriteFunctionType = 9,
    WriteAccessCodes = 10,
    WriteRelay = 13,
    WriteOutput12v = 15,
    WriteAlarmMode = 22,
    WriteAesChoice = 28,
    WriteCardPresence = 29,
    // Diagnostics
    PanelSerial = 16,
    CardSerial = 17,
    CardMeasurement = 18,
    PanelMeasurement = 19,
    PanelVersion = 23,
    CardVersion = 24,
    WritePanelSerial = 25,
};

// Whether a command changes what the panel holds: a configuration or serial-number write.
constexpr bool changesPanel(PanelCommand command)
{
    switch (command) {
    case PanelCommand::WriteCommandMatrix:
    case PanelCommand::WriteFunctionType:
    case PanelCommand::WriteAccessCodes:
    case PanelCommand::WriteRelay:
    case PanelCommand::WriteOutput12v:
    case PanelCommand::WriteAlarmMode:
    case PanelCommand::WriteAesChoice:
    case PanelCommand::WriteCardPresence:
    case PanelCommand::WritePanelSerial:
        return true;
    default:
        return false;
    }
}
