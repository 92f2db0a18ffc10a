#pragma once

#include <array>
#include <cstdint>
#include <optional>

// The configuration of one panel as the configurator holds it. Indexes start at 0 (loop 1 is
// element 0); every array is one element longer than the panel needs, as the panel's own
// tables are. The access codes are not here: they live in the editor's two code boxes.
struct PanelConfig
{
    // Per loop: bits 0-1 the UGA command (0 none, 1 immediate, 2 temporised); bit 2 drives CMSI
    // function 1, bit 3 function 2, bit 4 function 3.
    std::array<std::uint8_t, 9> CommandMatrix{30, 30, 30, 30, 30, 30, 30, 30, 0};
    // Per loop: 0 normal, 1 discrimination, 2 double detection.
    std::array<std::uint8_t, 9> AlarmModes{};
    // Per function: low four bits the type (0 Nul, 1 RSC, 2 RAC, 3 ESC, 4 EAC, 5 RSC_UGA), plus the
    // option flags below.
    std::array<std::uint8_t, 4> FunctionTypes{1, 1, 1, 0};
    // Per relay: bit j set when the alarm of loop j + 1 activates the relay.
    std::array<std::uint8_t, 3> RelayMatrix{};
    std::uint8_t Output12vMode = 0;   // 0 permanent, 1 rearmable
    std::uint8_t AesChoice = 0;       // 0 internal, 1 external
    std::uint8_t UpCardPresent = 1;   // 1 present, 0 absent
    std::optional<std::uint8_t> UgaTempo;   // minutes, as the panel reports it; empty until read

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

constexpr int kLoopCount = 8;
constexpr int kFunctionCount = 3;
constexpr int kRelayCount = 2;

// The level-2 and level-3 access codes the panel is delivered with.
inline constexpr const char *kDefaultCodes[2] = {"BCAB", "CCBA"};
