#pragma once

#include "config/PanelConfig.h"
#include "sim/EmulatedPanel.h"

// The emulated panel keeps its configuration items in its own terms (the codes as the bytes 3, 4,
// 5 it stores); these copy them, item by item, to and from the configurator's PanelConfig. A new
// item is added here once.

// The configuration the panel holds, as the configurator names it. The UGA tempo is left unread:
// it is not a configuration item the configurator writes.
PanelConfig configOf(const PanelState &state);

// Puts the configuration's items into the panel's state, as the panel holds them once they have
// been sent; the rest of the state (faults, versions, measurements) is left as it is.
void putConfig(const PanelConfig &config, PanelState &state);
