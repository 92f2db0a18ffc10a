#include "link/Frame.h"

namespace Frame {

void CRC16(std::span<std::uint8_t> frame)
{
    if (frame.size() < 2)
        return;
    unsigned sum = 0;
    for (std::size_t i = 0; i + 2 < frame.size(); ++i)
        sum += frame[i];
    frame[frame.size() - 2] = std::uint8_t(sum % 256);
    frame[frame.size() - 1] = std::uint8_t((sum / 256) % 256);
}

std::vector<std::uint8_t> buildRequest(std::uint8_t command, std::uint8_t length,
                                       const std::array<std::uint8_t, 9> &txData)
{
    if (length < kMinLength || length > kMaxRequestLength)
        return {};
    std::vector<std::uint8_t> frame(length);
    frame[0] = kStartByte;
    frame[1] = length;
    frame[2] = command;
    for (std::size_t i = 0; i + kMinLength < length; ++i)
        frame[3 + i] = txData[i];
    CRC16(frame);
    return frame;
}

} // namespace Frame
