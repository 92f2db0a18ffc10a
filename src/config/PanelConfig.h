#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

constexpr int kLoopCount = 8;
constexpr int kFunctionCount = 3;
constexpr int kRelayCount = 2;

// One configuration of a panel, as a value: every item, the two access codes, the card presence
// and the UGA tempo as read. Indexes start at 0 (loop 1 is element 0). A default-made one is the
// configuration the editor starts with.
//
// Receive, Open and Import produce one; Save, Send and the sheet take one; the editor shows one
// and gives back the one it shows.
struct PanelConfig
{
    // Per loop: bits 0-1 the UGA command (0 none, 1 immediate, 2 temporised); bit 2 drives CMSI
    // function 1, bit 3 function 2, bit 4 function 3.
    std::array<std::uint8_t, kLoopCount> CommandMatrix{30, 30, 30, 30, 30, 30, 30, 30};
    // Per loop: 0 normal, 1 discrimination, 2 double detection.
    std::array<std::uint8_t, kLoopCount> AlarmModes{};
    // Per function: low four bits the type (0 Nul, 1 RSC, 2 RAC, 3 ESC, 4 EAC, 5 RSC_UGA), plus the
    // option flags below.
    std::array<std::uint8_t, kFunctionCount> FunctionTypes{1, 1, 1};
    // Per relay: bit j set when the alarm of loop j + 1 activates the relay.
    std::array<std::uint8_t, kRelayCount> RelayMatrix{};
    std::uint8_t Output12vMode = 0;       // 0 permanent, 1 rearmable
    std::uint8_t AesChoice = 0;           // 0 internal, 1 external
    std::uint8_t UpCardPresent = 1;       // 1 present, 0 absent
    std::optional<std::uint8_t> UgaTempo; // minutes, as the panel reports it; empty until read
    // Level 2, level 3: four letters "A", "B" or "C" each, as the panel is delivered by default.
    std::array<QString, 2> AccessCodes{QStringLiteral("BCAB"), QStringLiteral("CCBA")};

    bool operator==(const PanelConfig &) const = default;
};

namespace FunctionFlag {
constexpr std::uint8_t TypeMask = 0x0F;
constexpr std::uint8_t Grouped = 0x10;      // "Commande regroupée sur Fonction 1" (functions 2, 3)
constexpr std::uint8_t ActiveButton = 0x20; // "Bouton Actif" (only with Grouped)
constexpr std::uint8_t AuxContact = 0x40;   // "Mise Hors Service avec le Contact Auxiliaire" (RSC_UGA)
constexpr std::uint8_t Delayed = 0x80;      // "Temporisé 20s"
} // namespace FunctionFlag

namespace FunctionType {
constexpr std::uint8_t Nul = 0, RSC = 1, RAC = 2, ESC = 3, EAC = 4, RSC_UGA = 5;
}

// The level-2 and level-3 access codes the panel is delivered with.
inline const std::array<QString, 2> kDeliveryCodes{QStringLiteral("BCAB"), QStringLiteral("CCBA")};

// A code the panel can hold: exactly four letters, each "A", "B" or "C".
bool isCompleteCode(const QString &code);
