#pragma once

#include "config/PanelConfig.h"
#include "link/PanelCommand.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

class Link;
struct LinkReply;

// The read commands of the panel. Each sends its command through the link (one request per
// element for the indexed items), accepts a reply only with the expected number of data bytes,
// and stores what it read as soon as it is accepted: an indexed read that stops part-way leaves
// the elements read so far with their new values. None shows a message of its own.
namespace Reads {

// How a read ended.
enum class Outcome {
    Read,
    NoReply, // the transaction failed; it has already told the installer
    Aborted, // the wait was abandoned: nobody is there to be told
    Refused, // a whole reply that cannot be used: the wrong number of data bytes, or letters
             // that are no code
};

// How a transaction's reply ends a read that expects `expected` data bytes.
Outcome outcomeOf(const LinkReply &reply, std::size_t expected);

Outcome panelMode(Link &link, bool &manualMode);                // command 20
Outcome accessCodes(Link &link, std::array<QString, 2> &codes); // command 4: level 2, level 3
Outcome relays(Link &link, PanelConfig &config);                // command 12, relays 0 and 1
Outcome output12v(Link &link, PanelConfig &config);             // command 14
Outcome alarmModes(Link &link, PanelConfig &config);            // command 21, loops 0 to 7
Outcome upCardPresence(Link &link, std::uint8_t &presence);     // command 30: present when 1
Outcome upCardState(Link &link, std::uint8_t &status);          // command 5: 0, 1, or 2 for any other
Outcome commandMatrix(Link &link, PanelConfig &config);         // command 2, stored as 255 - byte
Outcome functionTypes(Link &link, PanelConfig &config);         // command 3, functions 0 to 2
Outcome ugaTempo(Link &link, PanelConfig &config);              // command 6
Outcome aesChoice(Link &link, PanelConfig &config);             // command 27

// The identity reads the diagnostic and every receive and send make: a program version (command
// 23 for the panel, 24 for its card: major, minor) and a serial number (16, 17: three bytes).
Outcome version(Link &link, PanelCommand command, std::array<std::uint8_t, 2> &version);
Outcome serialNumber(Link &link, PanelCommand command, std::array<std::uint8_t, 3> &serial);

// The version ("3.0") and serial number (the digits the diagnostic shows, none when the board
// stores none) of the panel (commands 23, 16) or of its card (24, 17), as the journal names them.
enum class Board { Panel, Card };
Outcome identity(Link &link, Board board, QString &version, std::optional<QString> &serial);

} // namespace Reads
