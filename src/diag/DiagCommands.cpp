#include "diag/DiagCommands.h"

#include "link/Link.h"

namespace DiagCommands {

namespace {

// The reply's data when the transaction succeeded with exactly `expected` bytes.
std::optional<std::vector<std::uint8_t>> exchange(Link &link, PanelCommand command,
                                                  std::initializer_list<std::uint8_t> data,
                                                  std::size_t expected)
{
    LinkReply reply = link.request(command, data);
    if (!reply.ok() || reply.data.size() != expected)
        return std::nullopt;
    return std::move(reply.data);
}

} // namespace

std::optional<Version> readVersion(Link &link, PanelCommand command)
{
    const auto data = exchange(link, command, {}, 2);
    if (!data)
        return std::nullopt;
    return Version{(*data)[0], (*data)[1]};
}

std::optional<SerialNumber> readSerial(Link &link, PanelCommand command)
{
    const auto data = exchange(link, command, {}, 3);
    if (!data)
        return std::nullopt;
    return SerialNumber{{(*data)[0], (*data)[1], (*data)[2]}};
}

std::optional<std::int16_t> readRaw(Link &link, PanelCommand command,
                                    std::initializer_list<std::uint8_t> data)
{
    const auto reply = exchange(link, command, data, 2);
    if (!reply)
        return std::nullopt;
    return std::int16_t(std::uint16_t((*reply)[1] << 8 | (*reply)[0]));
}

void writeSerial(Link &link, const SerialNumber &serial)
{
    link.request(PanelCommand::WritePanelSerial, {serial.bytes[0], serial.bytes[1], serial.bytes[2]});
}

} // namespace DiagCommands
