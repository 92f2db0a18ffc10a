#pragma once

#include "config/PanelConfig.h"

#include <cstdint>

// The editing session: the one configuration record and the flags that go with it.
struct Session
{
    PanelConfig config;
    // True when the configuration shown has been saved, or not changed since start-up.
    bool ConfigSaved = true;
    // The UP card's state as last reported by the panel: 0 absent, 1 operational, 2 other.
    std::uint8_t UpCardStatus = 0;
};
