#include "sim/EmulatedPanel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr std::uint8_t kStartByte = 1;
constexpr int kMinFrame = 5;    // start, length, command, two check bytes
constexpr int kMaxFrame = 14;   // nine data bytes at most

// The panel closes its frames with the plain 16-bit sum of every byte before the check bytes,
// low byte first.
QByteArray closeFrame(QByteArray frame)
{
    unsigned sum = 0;
    for (char c : frame)
        sum += std::uint8_t(c);
    frame.append(char(sum & 0xFF));
    frame.append(char((sum >> 8) & 0xFF));
    return frame;
}

QByteArray replyFrame(std::uint8_t command, const QByteArray &data, int lengthByte = -1)
{
    QByteArray frame;
    frame.append(char(kStartByte));
    frame.append(char(lengthByte >= 0 ? lengthByte : kMinFrame + int(data.size())));
    frame.append(char(command));
    frame.append(data);
    return closeFrame(frame);
}

bool frameCheckHolds(const QByteArray &frame)
{
    unsigned sum = 0;
    for (qsizetype i = 0; i + 2 < frame.size(); ++i)
        sum += std::uint8_t(frame[i]);
    return std::uint8_t(frame[frame.size() - 2]) == (sum & 0xFF)
        && std::uint8_t(frame[frame.size() - 1]) == ((sum >> 8) & 0xFF);
}

QByteArray bytes(std::initializer_list<std::uint8_t> list)
{
    QByteArray out;
    for (std::uint8_t b : list)
        out.append(char(b));
    return out;
}

QByteArray word(std::uint16_t value)
{
    return bytes({std::uint8_t(value & 0xFF), std::uint8_t(value >> 8)});
}

std::uint8_t at(const QByteArray &data, int i)
{
    return std::uint8_t(data[i]);
}

bool isLetterCode(std::uint8_t b)
{
    return b >= 3 && b <= 5;   // 3 "A", 4 "B", 5 "C"
}

// Commands that only the UP card can answer.
bool isCardCommand(std::uint8_t command)
{
    switch (command) {
    case 2: case 3: case 6: case 27: case 8: case 9: case 28: case 24: case 17: case 18:
        return true;
    default:
        return false;
    }
}

} // namespace

EmulatedPanel::EmulatedPanel()
{
    m_lastByte.start();
    m_liveClock.start();
}

void EmulatedPanel::addFault(FaultRule rule)
{
    m_faults.append(rule);
}

void EmulatedPanel::clearFaults()
{
    m_faults.clear();
}

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

    const std::optional<QByteArray> replyData = answer(command, data);
    if (!replyData)
        return {};
    if (const FaultRule *rule = takeMatchingFault(command, data, !replyData->isEmpty()))
        return spoil(*rule, command, *replyData);
    return replyFrame(command, *replyData);
}

const FaultRule *EmulatedPanel::takeMatchingFault(std::uint8_t command, const QByteArray &request,
                                                  bool replyHasData)
{
    for (FaultRule &rule : m_faults) {
        if (rule.times == 0)
            continue;
        if (rule.command >= 0 && rule.command != command)
            continue;
        if (rule.index >= 0 && (request.isEmpty() || at(request, 0) != rule.index))
            continue;
        if ((rule.fault == Fault::ReadBackDiffers || rule.fault == Fault::MissingDataByte) && !replyHasData)
            continue;   // an acknowledgement carries no value to falsify
        if (rule.times > 0)
            --rule.times;
        return &rule;
    }
    return nullptr;
}

QByteArray EmulatedPanel::spoil(const FaultRule &rule, std::uint8_t command, QByteArray data) const
{
    switch (rule.fault) {
    case Fault::Silence:
        return {};
    case Fault::WrongStartByte:
        return QByteArray(1, char(0x55)) + replyFrame(command, data);
    case Fault::LengthTooLong:
        return replyFrame(command, data, 14);
    case Fault::LengthTooShort:
        return replyFrame(command, data, 4);
    case Fault::WrongEcho:
        return replyFrame(std::uint8_t(command + 1), data);
    case Fault::BadSum: {
        QByteArray frame = replyFrame(command, data);
        frame[frame.size() - 2] = char(std::uint8_t(frame[frame.size() - 2]) + 1);
        return frame;
    }
    case Fault::ShortReply:
        return replyFrame(command, data).chopped(1);
    case Fault::StrayBytesBefore:
        return bytes({0xFF, 0x00, 0x7E}) + replyFrame(command, data);
    case Fault::WrongDataCount:
        return replyFrame(command, data + QByteArray(1, char(0)));
    case Fault::MissingDataByte:
        return replyFrame(command, data.chopped(1));
    case Fault::ReadBackDiffers:
        if (command == 2)
            data[0] = char(255 - at(data, 0));   // the stored byte instead of its complement
        else if (command == 4 && isLetterCode(at(data, 0)))
            data[0] = char(at(data, 0) == 5 ? 3 : at(data, 0) + 1);   // another valid letter
        else
            data[0] = char(at(data, 0) ^ 1);
        return replyFrame(command, data);
    }
    return {};
}

std::optional<QByteArray> EmulatedPanel::answer(std::uint8_t command, const QByteArray &data)
{
    const qsizetype n = data.size();
    if (isCardCommand(command))
        return state.cardFitted ? answerCardCommand(command, data) : std::nullopt;

    switch (command) {
    case 20:   // mode: 1 while the manual configuration mode refuses the PC
        if (n != 0)
            return std::nullopt;
        return bytes({state.modeByte ? *state.modeByte : std::uint8_t(state.manualMode ? 1 : 0)});
    case 4:    // access codes, level 2 then level 3
        if (n != 0)
            return std::nullopt;
        return QByteArray(reinterpret_cast<const char *>(state.codes.data()), 8);
    case 12:
        if (n != 1 || at(data, 0) >= state.relays.size())
            return std::nullopt;
        return bytes({state.relays[at(data, 0)]});
    case 14:
        if (n != 0)
            return std::nullopt;
        return bytes({state.output12v});
    case 21:
        if (n != 1 || at(data, 0) >= state.alarmModes.size())
            return std::nullopt;
        return bytes({state.alarmModes[at(data, 0)]});
    case 30:   // presence as configured, and only true when the card is really there
        if (n != 0)
            return std::nullopt;
        return bytes({std::uint8_t(state.cardFitted && state.upCardPresent == 1 ? 1 : 0)});
    case 5:
        if (n != 0)
            return std::nullopt;
        return bytes({state.cardState});
    case 13:
        if (n != 2 || at(data, 0) >= state.relays.size())
            return std::nullopt;
        state.relays[at(data, 0)] = at(data, 1);
        return QByteArray();
    case 15:
        if (n != 1)
            return std::nullopt;
        if (at(data, 0) <= 1)
            state.output12v = at(data, 0);
        return QByteArray();
    case 22:
        if (n != 2 || at(data, 0) >= state.alarmModes.size())
            return std::nullopt;
        if (at(data, 1) <= 2)
            state.alarmModes[at(data, 0)] = at(data, 1);
        return QByteArray();
    case 10:
        if (n != 8)
            return std::nullopt;
        if (std::all_of(data.begin(), data.end(), [](char c) { return isLetterCode(std::uint8_t(c)); }))
            for (int i = 0; i < 8; ++i)
                state.codes[i] = at(data, i);
        return QByteArray();
    case 29:
        if (n != 1)
            return std::nullopt;
        if (at(data, 0) <= 1)
            state.upCardPresent = at(data, 0);
        return QByteArray();
    case 23:
        if (n != 0)
            return std::nullopt;
        return bytes({state.ecsVersion[0], state.ecsVersion[1]});
    case 16:
        if (n != 0)
            return std::nullopt;
        return bytes({state.ecsSerial[0], state.ecsSerial[1], state.ecsSerial[2]});
    case 25:
        if (n != 3)
            return std::nullopt;
        state.ecsSerial = {at(data, 0), at(data, 1), at(data, 2)};
        return QByteArray();
    case 19:
        if (n == 1) {
            const std::uint8_t sub = at(data, 0);
            if (sub != 0 && sub != 2 && sub != 3)
                return std::nullopt;
            return word(measured(state.ecsRaw[sub], 8 + sub));
        }
        if (n == 2 && at(data, 0) == 4 && at(data, 1) < state.loopRaw.size())
            return word(measured(state.loopRaw[at(data, 1)], at(data, 1)));
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<QByteArray> EmulatedPanel::answerCardCommand(std::uint8_t command,
                                                           const QByteArray &data)
{
    const qsizetype n = data.size();
    switch (command) {
    case 2:    // the card keeps the matrix byte as written and answers its complement
        if (n != 1 || at(data, 0) >= state.commandMatrix.size())
            return std::nullopt;
        return bytes({std::uint8_t(255 - state.commandMatrix[at(data, 0)])});
    case 3:
        if (n != 1 || at(data, 0) >= state.functionTypes.size())
            return std::nullopt;
        return bytes({state.functionTypes[at(data, 0)]});
    case 6:
        if (n != 0)
            return std::nullopt;
        return bytes({state.ugaTempo});
    case 27:
        if (n != 0)
            return std::nullopt;
        return bytes({state.aes});
    case 8:
        if (n != 2 || at(data, 0) >= state.commandMatrix.size())
            return std::nullopt;
        state.commandMatrix[at(data, 0)] = at(data, 1);
        return QByteArray();
    case 9:
        if (n != 2 || at(data, 0) >= state.functionTypes.size())
            return std::nullopt;
        state.functionTypes[at(data, 0)] = at(data, 1);
        return QByteArray();
    case 28:
        if (n != 1)
            return std::nullopt;
        if (at(data, 0) <= 1)
            state.aes = at(data, 0);
        return QByteArray();
    case 24:
        if (n != 0)
            return std::nullopt;
        return bytes({state.cardVersion[0], state.cardVersion[1]});
    case 17:
        if (n != 0)
            return std::nullopt;
        return bytes({state.cardSerial[0], state.cardSerial[1], state.cardSerial[2]});
    case 18: {
        if (n != 1)
            return std::nullopt;
        const std::uint8_t sub = at(data, 0);
        if (sub >= state.cardRaw.size() || sub == 3)
            return std::nullopt;
        return word(measured(state.cardRaw[sub], 16 + sub));
    }
    default:
        return std::nullopt;
    }
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
