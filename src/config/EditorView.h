#pragma once

#include <QString>

#include <array>
#include <cstdint>

// The items of the configuration as the editor's controls show them right now.
struct ControlItems
{
    std::array<std::uint8_t, 8> CommandMatrix{};
    std::array<std::uint8_t, 8> AlarmModes{};
    std::array<std::uint8_t, 3> FunctionTypes{};
    std::array<std::uint8_t, 2> RelayMatrix{};
    std::uint8_t Output12vMode = 0;
    std::uint8_t AesChoice = 0;
    bool operator==(const ControlItems &) const = default;
};

// What the receive, send and file procedures need of the main window, so that nothing below the
// editor includes one of its widgets. The main window implements it.
class EditorView
{
public:
    virtual ~EditorView() = default;

    // The items computed from the controls; the one computation used by both save and send.
    virtual ControlItems itemsFromControls() const = 0;
    // Brings the controls into line with the session's configuration record.
    virtual void showConfiguration() = 0;
    // The two access-code boxes: 0 level 2, 1 level 3.
    virtual QString code(int box) const = 0;
    virtual void setCode(int box, const QString &text) = 0;
    // Shows or hides the UP card's frames ("COMMANDES UGA/CMSI", "FONCTIONS CMSI") and the tempo label.
    virtual void setCardFramesVisible(bool visible) = 0;
};
