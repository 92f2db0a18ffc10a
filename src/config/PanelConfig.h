#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

constexpr int kLoopCount = 8;
constexpr int kFunctionCount = 3;
constexpr int kRelayCount = 2;

// The UGA command of a loop, as the panel numbers it.
enum class UgaCommand : std::uint8_t { None = 0, Immediate = 1, Temporised = 2 };

// The alarm mode of a loop, as the panel numbers it.
enum class AlarmMode : std::uint8_t { Normal = 0, Discrimination = 1, Double = 2 };

// The type of a CMSI function, as the panel numbers it. A function byte can hold a number above
// RSC_UGA (up to 15), which no option button names; functionType() gives it as it is.
enum class FunctionType : std::uint8_t { Nul = 0, RSC = 1, RAC = 2, ESC = 3, EAC = 4, RSC_UGA = 5 };

// The six types, in the order of the editor's columns.
constexpr std::array<FunctionType, 6> kFunctionTypes{FunctionType::Nul, FunctionType::RSC,
                                                     FunctionType::RAC, FunctionType::ESC,
                                                     FunctionType::EAC, FunctionType::RSC_UGA};

// The option boxes of a CMSI function.
enum class FunctionFlag : std::uint8_t {
    Grouped,      // "Commande regroupée sur Fonction 1" (functions 2, 3)
    ActiveButton, // the active button (only with Grouped)
    AuxContact,   // out of service by the auxiliary contact (RSC_UGA)
    Delayed,      // "Temporisé 20s"
};

// The four option boxes, in the order of the editor's columns.
constexpr std::array<FunctionFlag, 4> kFunctionFlags{FunctionFlag::AuxContact, FunctionFlag::Delayed,
                                                     FunctionFlag::Grouped, FunctionFlag::ActiveButton};

enum class Output12v : std::uint8_t { Permanent = 0, Rearmable = 1 };
enum class Aes : std::uint8_t { Internal = 0, External = 1 };

// The level-2 and level-3 access codes the panel is delivered with.
inline const std::array<QString, 2> kDeliveryCodes{QStringLiteral("BCAB"), QStringLiteral("CCBA")};

// Double detection pairs the loops (1, 2), (3, 4), (5, 6), (7, 8): the loop paired with `loop`.
constexpr int pairedLoop(int loop) { return loop ^ 1; }

// One configuration of a panel, as a value: every item, the two access codes, the card presence
// and the UGA tempo as read. Indexes start at 0 (loop 1 is element 0, function 1 element 0). A
// default-made one is the configuration the editor starts with, which its window shows at start-up:
// every loop in normal mode, commanding the UGA temporised and driving the three functions; the
// three functions RSC without options; no relay; the 12 V output permanent, the AES internal, the
// card present and the delivery codes.
//
// The items are kept as the bytes the panel and the data files hold them, which the panel's reads
// and writes and the data file's lines take whole. Everything else reads and changes them by
// item, with the accessors below, which alone know where each item sits in its byte.
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
    // Per function: low four bits the type, plus a bit per option box: 0x10 grouped, 0x20 active
    // button, 0x40 auxiliary contact, 0x80 delayed.
    std::array<std::uint8_t, kFunctionCount> FunctionTypes{1, 1, 1};
    // Per relay: bit j set when the alarm of loop j + 1 activates the relay.
    std::array<std::uint8_t, kRelayCount> RelayMatrix{};
    std::uint8_t Output12vMode = 0;       // 0 permanent, 1 rearmable
    std::uint8_t AesChoice = 0;           // 0 internal, 1 external
    std::uint8_t UpCardPresent = 1;       // 1 present, 0 absent
    std::optional<std::uint8_t> UgaTempo; // minutes, as the panel reports it; empty until read
    // Level 2, level 3: kCodeLength letters each, one of kCodeLetters.
    std::array<QString, 2> AccessCodes = kDeliveryCodes;

    // An access code is four letters "A", "B" or "C", which the panel holds as the bytes 3, 4
    // and 5, one byte a letter: the one place that says so.
    static constexpr int kCodeLength = 4;
    static constexpr std::array<char16_t, 3> kCodeLetters{u'A', u'B', u'C'};
    static bool isCodeLetter(QChar c);
    // The panel's byte for a code letter; nothing for any other character.
    static std::optional<std::uint8_t> codeByte(QChar letter);
    // The code letter of one of the panel's code bytes; nothing for a byte other than 3, 4, 5.
    static std::optional<QChar> codeLetter(std::uint8_t byte);

    bool operator==(const PanelConfig &) const = default;

    // The items, read as the editor shows them and set without touching their neighbours.

    // Bit 0 wins over bit 1: a byte with both reads as immediate.
    UgaCommand ugaCommand(int loop) const;
    void setUgaCommand(int loop, UgaCommand command);
    // Whether the alarm of `loop` drives CMSI function `function` (0 to 2).
    bool drivesFunction(int loop, int function) const;
    void setDrivesFunction(int loop, int function, bool drives);
    // Whether the command byte holds nothing the editor cannot show: one UGA command of the three
    // (both bits set has no option button) and nothing above the three functions.
    bool commandFitsEditor(int loop) const;

    // 0 normal, 1 discrimination, any other number double detection.
    AlarmMode alarmMode(int loop) const;
    void setAlarmMode(int loop, AlarmMode mode);

    // The type as the low four bits hold it, possibly a number no option button names.
    FunctionType functionType(int function) const;
    void setFunctionType(int function, FunctionType type);
    bool functionFlag(int function, FunctionFlag flag) const;
    void setFunctionFlag(int function, FunctionFlag flag, bool set);

    // Whether the alarm of `loop` activates `relay` (0 or 1).
    bool relayFollows(int relay, int loop) const;
    void setRelayFollows(int relay, int loop, bool follows);

    // 0 permanent, any other number rearmable.
    Output12v output12v() const;
    void setOutput12v(Output12v mode);
    // 0 internal, any other number external.
    Aes aes() const;
    void setAes(Aes choice);
    // Present only when the byte is 1.
    bool cardPresent() const;
    void setCardPresent(bool present);
};

// A code the panel can hold: exactly PanelConfig::kCodeLength code letters.
bool isCompleteCode(const QString &code);
