#pragma once

#include "config/PanelConfig.h"

#include <array>

// What the receive, send and file procedures need of the editor, so that nothing below the
// editor includes one of its widgets. The main window implements it; tests use a fake.
class EditorView
{
public:
    virtual ~EditorView() = default;

    // The configuration the controls show: the one computation used by save, send and the sheet.
    virtual PanelConfig configuration() const = 0;
    // Brings the controls into line with a configuration. With the card absent the card's
    // controls keep what they show; an absent tempo leaves the tempo label as it is.
    virtual void show(const PanelConfig &config) = 0;
    // The two access-code boxes alone: the panel's codes read during a receive or a send go
    // straight into them, before (or without) the rest being shown.
    virtual void setCodes(const std::array<QString, 2> &codes) = 0;
    // Shows or hides the UP card's frames ("COMMANDES UGA/CMSI", "FONCTIONS CMSI") and the tempo label.
    virtual void setCardFramesVisible(bool visible) = 0;
};
