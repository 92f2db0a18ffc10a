#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// The frame both sides of the line use: start byte 1, the total length L, the command, L - 5 data
// bytes, then the 16-bit sum of every byte before it, low byte first.
namespace Frame {

inline constexpr std::uint8_t kStartByte = 1;
inline constexpr std::uint8_t kMinLength = 5;         // start, length, command, two check bytes
inline constexpr std::uint8_t kMaxRequestLength = 14; // nine data bytes
inline constexpr std::uint8_t kMaxReplyLength = 13;   // the panel never sends more than 8 data

// Writes the sum of frame[0 .. size-3] into the last two bytes, low byte first. Frames shorter
// than the check bytes themselves are left alone.
void CRC16(std::span<std::uint8_t> frame);

// The request for `command` in a frame of `length` bytes, carrying txData[0 .. length-6], closed
// by its check. Empty when `length` is outside 5..14.
std::vector<std::uint8_t> buildRequest(std::uint8_t command, std::uint8_t length,
                                       const std::array<std::uint8_t, 9> &txData);

} // namespace Frame
