#pragma once

#include "diag/SerialNumber.h"
#include "link/PanelCommand.h"

#include <cstdint>
#include <initializer_list>
#include <optional>

class Link;

// The panel's diagnostic commands, each one transaction whose reply must carry exactly the
// expected number of data bytes. None shows a message: the transaction has already told the
// installer when the panel did not answer.
namespace DiagCommands {

constexpr std::uint8_t kLoopLoadSubCode = 4;   // command 19 with 4 and a loop index: its load

struct Version
{
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
};

// Command 23 (panel) or 24 (UP card): two bytes, major and minor.
std::optional<Version> readVersion(Link &link, PanelCommand command);
// Command 16 (panel) or 17 (UP card): three bytes.
std::optional<SerialNumber> readSerial(Link &link, PanelCommand command);
// Command 18 or 19 with the request data given (one sub-code, or 4 and a loop index): the two
// reply bytes, low byte first, as the signed 16-bit raw value. The high byte is not judged here.
std::optional<std::int16_t> readRaw(Link &link, PanelCommand command,
                                    std::initializer_list<std::uint8_t> data);
// Command 25 with the three bytes of the serial number. The panel's reply is not examined.
void writeSerial(Link &link, const SerialNumber &serial);

} // namespace DiagCommands
