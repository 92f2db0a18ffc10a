#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// What goes with the configuration shown in the editor during one run of the program.
struct Session
{
    // True when the configuration shown has been saved, or not changed since start-up.
    bool ConfigSaved = true;
    // The UP card's state as last reported by the panel: 0 absent, 1 operational, 2 other.
    std::uint8_t UpCardStatus = 0;

    // The data file the configuration shown last came from or went to in this run (open, import
    // or save); empty before any, and again once a receive has replaced it with the panel's.
    std::optional<QString> DataFileName;
    // The panel's program version and serial number as the diagnostic window showed them in this
    // run ("Version du programme = 3.0", "N° de Série =020712345"); empty until it read them.
    std::optional<QString> PanelVersion;
    std::optional<QString> PanelSerial;
    // The serial number of the panel the configuration shown was read on (a receive, or a
    // configuration opened from that panel's journal); a send to another panel asks first. Empty
    // for a configuration from a file or made in the editor.
    std::optional<QString> SourcePanelSerial;
};
