#pragma once

#include <QByteArray>

#include <cstdint>
#include <initializer_list>

// The panel's own framing and codes, shared by its command handlers (EmulatedPanel.cpp) and its
// faults (PanelFaults.cpp). Written apart from the configurator's: a wrong encoding on one side
// must not hide behind the same mistake on the other.
//
// Named, not anonymous: EmulatedPanel::Command holds a Code.
namespace emulated {

constexpr std::uint8_t kStartByte = 1;
constexpr int kMinFrame = 5;  // start, length, command, two check bytes
constexpr int kMaxFrame = 14; // nine data bytes at most

// The panel closes its frames with the plain 16-bit sum of every byte before the check bytes,
// low byte first.
inline QByteArray closeFrame(QByteArray frame)
{
    unsigned sum = 0;
    for (char c : frame)
        sum += std::uint8_t(c);
    frame.append(char(sum & 0xFF));
    frame.append(char((sum >> 8) & 0xFF));
    return frame;
}

inline QByteArray replyFrame(std::uint8_t command, const QByteArray &data, int lengthByte = -1)
{
    QByteArray frame;
    frame.append(char(kStartByte));
    frame.append(char(lengthByte >= 0 ? lengthByte : kMinFrame + int(data.size())));
    frame.append(char(command));
    frame.append(data);
    return closeFrame(frame);
}

inline QByteArray bytes(std::initializer_list<std::uint8_t> list)
{
    QByteArray out;
    for (std::uint8_t b : list)
        out.append(char(b));
    return out;
}

inline std::uint8_t at(const QByteArray &data, int i) { return std::uint8_t(data[i]); }

inline bool isLetterCode(std::uint8_t b)
{
    return b >= 3 && b <= 5; // 3 "A", 4 "B", 5 "C"
}

// The panel's commands and their codes: a read is named for what it answers, a write for what
// it stores. Code 19 serves two commands told apart by their number of data bytes.
enum class Code : std::uint8_t {
    Matrix = 2,
    FunctionType = 3,
    AccessCodes = 4,
    CardState = 5,
    UgaTempo = 6,
    WriteMatrix = 8,
    WriteFunctionType = 9,
    WriteAccessCodes = 10,
    Relay = 12,
    WriteRelay = 13,
    Output12v = 14,
    WriteOutput12v = 15,
    EcsSerial = 16,
    CardSerial = 17,
    CardMeasurement = 18,
    EcsMeasurement = 19,
    LoopLoad = 19,
    PanelMode = 20,
    AlarmMode = 21,
    WriteAlarmMode = 22,
    EcsVersion = 23,
    CardVersion = 24,
    WriteEcsSerial = 25,
    Aes = 27,
    WriteAes = 28,
    WriteCardPresence = 29,
    CardPresence = 30,
};

} // namespace emulated
