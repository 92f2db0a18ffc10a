#include "sim/EmulatedPanel.h"

#include "sim/PanelEncoding.h"

#include <algorithm>
#include <cmath>
#include <numbers>

// Named, not anonymous: EmulatedPanel::Command holds a Board.
namespace emulated {

bool frameCheckHolds(const QByteArray &frame)
{
    unsigned sum = 0;
    for (qsizetype i = 0; i + 2 < frame.size(); ++i)
        sum += std::uint8_t(frame[i]);
    return std::uint8_t(frame[frame.size() - 2]) == (sum & 0xFF) &&
           std::uint8_t(frame[frame.size() - 1]) == ((sum >> 8) & 0xFF);
}

QByteArray word(std::uint16_t value) { return bytes({std::uint8_t(value & 0xFF), std::uint8_t(value >> 8)}); }

// Who answers a command: the panel itself, or its UP card (silent while none is fitted).
enum class Board { Ecs, UpCard };

} // namespace emulated

using namespace emulated;

EmulatedPanel::EmulatedPanel()
{
    m_lastByte.start();
    m_liveClock.start();
}

void EmulatedPanel::addFault(FaultRule rule) { m_faults.add(rule); }

void EmulatedPanel::clearFaults() { m_faults.clear(); }

void EmulatedPanel::setLive(bool live)
{
    m_live = live;
    m_liveClock.restart();
}

void EmulatedPanel::resetReceiver()
{
    m_stage = RxStage::Idle;
    m_frame.clear();
    m_expected = 0;
}

QByteArray EmulatedPanel::receive(const QByteArray &bytes)
{
    QByteArray replies;
    for (char c : bytes)
        replies += receiveByte(std::uint8_t(c));
    return replies;
}

QByteArray EmulatedPanel::receiveByte(std::uint8_t byte)
{
    const bool stale = m_lastByte.hasExpired(kFrameGap.count());
    m_lastByte.restart();
    if (stale && m_stage != RxStage::Idle)
        resetReceiver();

    switch (m_stage) {
    case RxStage::Idle:
        // The wake-up byte 0 and any noise between frames fall here and are ignored.
        if (byte == kStartByte) {
            m_frame = QByteArray(1, char(byte));
            m_stage = RxStage::Length;
        }
        return {};
    case RxStage::Length:
        if (byte < kMinFrame || byte > kMaxFrame) {
            resetReceiver();
            return {};
        }
        m_expected = byte;
        m_frame.append(char(byte));
        m_stage = RxStage::Body;
        return {};
    case RxStage::Body:
        m_frame.append(char(byte));
        if (m_frame.size() < m_expected)
            return {};
        const QByteArray frame = m_frame;
        resetReceiver();
        if (!frameCheckHolds(frame))
            return {};
        m_requests.append(frame);
        return handleFrame(frame);
    }
    return {};
}

QByteArray EmulatedPanel::handleFrame(const QByteArray &frame)
{
    const std::uint8_t command = std::uint8_t(frame[2]);
    const QByteArray data = frame.mid(3, frame.size() - kMinFrame);

    const Reply replyData = answer(command, data);
    if (!replyData)
        return {};
    if (const std::optional<QByteArray> spoilt = m_faults.spoil(command, data, *replyData))
        return *spoilt;
    return replyFrame(command, *replyData);
}

struct EmulatedPanel::Command
{
    Code code;
    int dataBytes;
    Board board;
    Reply (EmulatedPanel::*handle)(const QByteArray &data);
};

const EmulatedPanel::Command *EmulatedPanel::findCommand(std::uint8_t code, qsizetype dataBytes)
{
    using P = EmulatedPanel;
    static constexpr Command kCommands[] = {
        {Code::PanelMode, 0, Board::Ecs, &P::readPanelMode},
        {Code::AccessCodes, 0, Board::Ecs, &P::readAccessCodes},
        {Code::Relay, 1, Board::Ecs, &P::readRelay},
        {Code::Output12v, 0, Board::Ecs, &P::readOutput12v},
        {Code::AlarmMode, 1, Board::Ecs, &P::readAlarmMode},
        {Code::CardPresence, 0, Board::Ecs, &P::readCardPresence},
        {Code::CardState, 0, Board::Ecs, &P::readCardState},
        {Code::WriteRelay, 2, Board::Ecs, &P::writeRelay},
        {Code::WriteOutput12v, 1, Board::Ecs, &P::writeOutput12v},
        {Code::WriteAlarmMode, 2, Board::Ecs, &P::writeAlarmMode},
        {Code::WriteAccessCodes, 8, Board::Ecs, &P::writeAccessCodes},
        {Code::WriteCardPresence, 1, Board::Ecs, &P::writeCardPresence},
        {Code::EcsVersion, 0, Board::Ecs, &P::readEcsVersion},
        {Code::EcsSerial, 0, Board::Ecs, &P::readEcsSerial},
        {Code::WriteEcsSerial, 3, Board::Ecs, &P::writeEcsSerial},
        {Code::EcsMeasurement, 1, Board::Ecs, &P::readEcsMeasurement},
        {Code::LoopLoad, 2, Board::Ecs, &P::readLoopLoad},
        {Code::Matrix, 1, Board::UpCard, &P::readMatrix},
        {Code::FunctionType, 1, Board::UpCard, &P::readFunctionType},
        {Code::UgaTempo, 0, Board::UpCard, &P::readUgaTempo},
        {Code::Aes, 0, Board::UpCard, &P::readAes},
        {Code::WriteMatrix, 2, Board::UpCard, &P::writeMatrix},
        {Code::WriteFunctionType, 2, Board::UpCard, &P::writeFunctionType},
        {Code::WriteAes, 1, Board::UpCard, &P::writeAes},
        {Code::CardVersion, 0, Board::UpCard, &P::readCardVersion},
        {Code::CardSerial, 0, Board::UpCard, &P::readCardSerial},
        {Code::CardMeasurement, 1, Board::UpCard, &P::readCardMeasurement},
    };
    for (const Command &command : kCommands)
        if (std::uint8_t(command.code) == code && command.dataBytes == dataBytes)
            return &command;
    return nullptr;
}

EmulatedPanel::Reply EmulatedPanel::answer(std::uint8_t code, const QByteArray &data)
{
    const Command *command = findCommand(code, data.size());
    if (!command)
        return std::nullopt; // unknown, or not with this many data bytes
    if (command->board == Board::UpCard && !state.cardFitted)
        return std::nullopt;
    return (this->*command->handle)(data);
}

// Mode: 1 while the manual configuration mode refuses the PC.
EmulatedPanel::Reply EmulatedPanel::readPanelMode(const QByteArray &)
{
    return bytes({state.modeByte ? *state.modeByte : std::uint8_t(state.manualMode ? 1 : 0)});
}

// The level 2 code, then the level 3 code.
EmulatedPanel::Reply EmulatedPanel::readAccessCodes(const QByteArray &)
{
    return QByteArray(reinterpret_cast<const char *>(state.codes.data()), 8);
}

EmulatedPanel::Reply EmulatedPanel::readRelay(const QByteArray &data)
{
    if (at(data, 0) >= state.relays.size())
        return std::nullopt;
    return bytes({state.relays[at(data, 0)]});
}

EmulatedPanel::Reply EmulatedPanel::readOutput12v(const QByteArray &) { return bytes({state.output12v}); }

EmulatedPanel::Reply EmulatedPanel::readAlarmMode(const QByteArray &data)
{
    if (at(data, 0) >= state.alarmModes.size())
        return std::nullopt;
    return bytes({state.alarmModes[at(data, 0)]});
}

// The presence as configured, and only while the card is really there.
EmulatedPanel::Reply EmulatedPanel::readCardPresence(const QByteArray &)
{
    return bytes({std::uint8_t(state.cardFitted && state.upCardPresent == 1 ? 1 : 0)});
}

EmulatedPanel::Reply EmulatedPanel::readCardState(const QByteArray &) { return bytes({state.cardState}); }

EmulatedPanel::Reply EmulatedPanel::writeRelay(const QByteArray &data)
{
    if (at(data, 0) >= state.relays.size())
        return std::nullopt;
    state.relays[at(data, 0)] = at(data, 1);
    return QByteArray();
}

EmulatedPanel::Reply EmulatedPanel::writeOutput12v(const QByteArray &data)
{
    if (at(data, 0) <= 1)
        state.output12v = at(data, 0);
    return QByteArray();
}

EmulatedPanel::Reply EmulatedPanel::writeAlarmMode(const QByteArray &data)
{
    if (at(data, 0) >= state.alarmModes.size())
        return std::nullopt;
    if (at(data, 1) <= 2)
        state.alarmModes[at(data, 0)] = at(data, 1);
    return QByteArray();
}

// All eight letters or none.
EmulatedPanel::Reply EmulatedPanel::writeAccessCodes(const QByteArray &data)
{
    if (std::all_of(data.begin(), data.end(), [](char c) { return isLetterCode(std::uint8_t(c)); }))
        for (int i = 0; i < 8; ++i)
            state.codes[i] = at(data, i);
    return QByteArray();
}

EmulatedPanel::Reply EmulatedPanel::writeCardPresence(const QByteArray &data)
{
    if (at(data, 0) <= 1)
        state.upCardPresent = at(data, 0);
    return QByteArray();
}

EmulatedPanel::Reply EmulatedPanel::readEcsVersion(const QByteArray &)
{
    return bytes({state.ecsVersion[0], state.ecsVersion[1]});
}

EmulatedPanel::Reply EmulatedPanel::readEcsSerial(const QByteArray &)
{
    return bytes({state.ecsSerial[0], state.ecsSerial[1], state.ecsSerial[2]});
}

EmulatedPanel::Reply EmulatedPanel::writeEcsSerial(const QByteArray &data)
{
    state.ecsSerial = {at(data, 0), at(data, 1), at(data, 2)};
    return QByteArray();
}

// Sub-codes 0 (service), 2 (battery) and 3 (charger).
EmulatedPanel::Reply EmulatedPanel::readEcsMeasurement(const QByteArray &data)
{
    const std::uint8_t sub = at(data, 0);
    if (sub != 0 && sub != 2 && sub != 3)
        return std::nullopt;
    return word(measured(state.ecsRaw[sub], 8 + sub));
}

// Sub-code 4, then the loop.
EmulatedPanel::Reply EmulatedPanel::readLoopLoad(const QByteArray &data)
{
    const std::uint8_t loop = at(data, 1);
    if (at(data, 0) != 4 || loop >= state.loopRaw.size())
        return std::nullopt;
    return word(measured(state.loopRaw[loop], loop));
}

// The card keeps the matrix byte as written and answers its complement.
EmulatedPanel::Reply EmulatedPanel::readMatrix(const QByteArray &data)
{
    if (at(data, 0) >= state.commandMatrix.size())
        return std::nullopt;
    return bytes({std::uint8_t(255 - state.commandMatrix[at(data, 0)])});
}

EmulatedPanel::Reply EmulatedPanel::readFunctionType(const QByteArray &data)
{
    if (at(data, 0) >= state.functionTypes.size())
        return std::nullopt;
    return bytes({state.functionTypes[at(data, 0)]});
}

EmulatedPanel::Reply EmulatedPanel::readUgaTempo(const QByteArray &) { return bytes({state.ugaTempo}); }

EmulatedPanel::Reply EmulatedPanel::readAes(const QByteArray &) { return bytes({state.aes}); }

EmulatedPanel::Reply EmulatedPanel::writeMatrix(const QByteArray &data)
{
    if (at(data, 0) >= state.commandMatrix.size())
        return std::nullopt;
    state.commandMatrix[at(data, 0)] = at(data, 1);
    return QByteArray();
}

EmulatedPanel::Reply EmulatedPanel::writeFunctionType(const QByteArray &data)
{
    if (at(data, 0) >= state.functionTypes.size())
        return std::nullopt;
    state.functionTypes[at(data, 0)] = at(data, 1);
    return QByteArray();
}

EmulatedPanel::Reply EmulatedPanel::writeAes(const QByteArray &data)
{
    if (at(data, 0) <= 1)
        state.aes = at(data, 0);
    return QByteArray();
}

EmulatedPanel::Reply EmulatedPanel::readCardVersion(const QByteArray &)
{
    return bytes({state.cardVersion[0], state.cardVersion[1]});
}

EmulatedPanel::Reply EmulatedPanel::readCardSerial(const QByteArray &)
{
    return bytes({state.cardSerial[0], state.cardSerial[1], state.cardSerial[2]});
}

// Sub-codes 0 and 1 (sounder lines), 2 (battery), 4 (AES) and 5 (charger).
EmulatedPanel::Reply EmulatedPanel::readCardMeasurement(const QByteArray &data)
{
    const std::uint8_t sub = at(data, 0);
    if (sub >= state.cardRaw.size() || sub == 3)
        return std::nullopt;
    return word(measured(state.cardRaw[sub], 16 + sub));
}

std::uint16_t EmulatedPanel::measured(std::uint16_t raw, int channel) const
{
    if (!m_live)
        return raw;
    // A slow swing of a few percent, each channel with its own phase and period, so that
    // bars and voltages move visibly but stay near their stored values.
    constexpr double kPeriodSeconds = 12.0;
    constexpr double kSwing = 0.06;
    const double t = double(m_liveClock.elapsed()) / 1000.0;
    const double phase = 0.7 * channel;
    const double period = kPeriodSeconds + channel % 5;
    const double swing = std::max(6.0, kSwing * raw);
    const double value = raw + swing * std::sin(2 * std::numbers::pi * t / period + phase);
    return std::uint16_t(std::clamp(std::lround(value), 0L, long(std::max<std::uint16_t>(raw, 1023))));
}
