#include "diag/DiagCommands.h"

#include "link/Link.h"

namespace DiagCommands {

namespace {

constexpr std::uint8_t kFrameOverhead = 5;   // start, length, command and two check bytes

bool exchange(Link &link, std::uint8_t command, std::initializer_list<std::uint8_t> data,
              int expected)
{
    std::size_t i = 0;
    for (std::uint8_t byte : data)
        link.TxData.at(i++) = byte;
    return link.transaction(command, std::uint8_t(kFrameOverhead + data.size()))
           && link.RxCount == expected && link.RxData.size() >= std::size_t(expected);
}

} // namespace

std::optional<Version> readVersion(Link &link, std::uint8_t command)
{
    if (!exchange(link, command, {}, 2))
        return std::nullopt;
    return Version{link.RxData[0], link.RxData[1]};
}

std::optional<SerialNumber> readSerial(Link &link, std::uint8_t command)
{
    if (!exchange(link, command, {}, 3))
        return std::nullopt;
    return SerialNumber{{link.RxData[0], link.RxData[1], link.RxData[2]}};
}

std::optional<std::int16_t> readRaw(Link &link, std::uint8_t command,
                                    std::initializer_list<std::uint8_t> data)
{
    if (!exchange(link, command, data, 2))
        return std::nullopt;
    return std::int16_t(std::uint16_t(link.RxData[1] << 8 | link.RxData[0]));
}

void writeSerial(Link &link, const SerialNumber &serial)
{
    exchange(link, kWriteSerial, {serial.bytes[0], serial.bytes[1], serial.bytes[2]}, 0);
}

} // namespace DiagCommands
