#pragma once

#include "sim/PanelFaults.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

// What the emulated panel holds: its configuration items as the panel itself stores them, the
// answers of its state commands, and what its diagnostic commands report. Tests set it directly.
struct PanelState
{
    // Configuration items. The initial values differ from the configurator's start-up
    // configuration in every item except the card presence, which can only differ by being
    // absent and so stays 1: a receive that silently kept a default shows up at once.
    std::array<std::uint8_t, 8> commandMatrix{1, 6, 13, 28, 0, 18, 9, 22};
    std::array<std::uint8_t, 8> alarmModes{1, 0, 2, 2, 0, 1, 1, 0}; // loops 3 and 4 double
    std::array<std::uint8_t, 3> functionTypes{0x02, 0x93, 0x45};    // RAC; ESC grouped 20 s; RSC_UGA aux
    std::array<std::uint8_t, 2> relays{0x81, 0x3C};
    std::uint8_t output12v = 1;
    std::uint8_t aes = 1;
    std::uint8_t upCardPresent = 1; // the configuration's presence item (commands 29 / 30)
    std::uint8_t ugaTempo = 5;      // minutes
    std::array<std::uint8_t, 8> codes{3, 4, 5, 3, 5, 3, 4, 4}; // "ABCA", "CABB" as 3/4/5

    bool manualMode = false;              // command 20 answers 1: the panel refuses PC access
    std::optional<std::uint8_t> modeByte; // when set, what command 20 answers instead
    bool cardFitted = true;               // false: no UP card on the bus: command 30 answers 0 and the
                                          // card's commands go unanswered
    std::uint8_t cardState = 1;           // command 5 answers it (0 absent, 1 operational, 2 other)

    std::array<std::uint8_t, 2> ecsVersion{3, 0};
    std::array<std::uint8_t, 2> cardVersion{2, 1};
    std::array<std::uint8_t, 3> ecsSerial{0x47, 0x39, 0x30};  // 02 07 12345
    std::array<std::uint8_t, 3> cardSerial{0x23, 0xE1, 0x10}; // 01 03 04321

    // Raw 10-bit readings (full scale 1023 = 5 V at the converter).
    // Loop loads: 136 and above is 20 mA or more (red bar), 680 and above is 100 mA.
    std::array<std::uint16_t, 8> loopRaw{0, 60, 135, 300, 680, 95, 20, 450};
    // Panel sub-codes 0 service, 2 battery, 3 charger (divider 4.9: 1023 = 24.5 V).
    std::array<std::uint16_t, 4> ecsRaw{900, 0, 880, 920};
    // Card sub-codes 0 and 1 sounder lines (1023 = 5 A), 2 battery, 4 AES (1023 = 65 V), 5 charger.
    std::array<std::uint16_t, 6> cardRaw{82, 41, 875, 0, 378, 915};
};

// The panel's side of the protocol, one byte at a time, without any timing of its own (the port
// classes pace the bytes). It frames, checks and encodes independently of the configurator, so
// that a mistake on one side cannot hide behind the same mistake on the other.
//
// How the panel refuses requests (it never answers with an error frame):
// - a malformed frame (length byte outside 5..14, wrong check bytes) is dropped without reply;
//   the receiver then waits for the next start byte 1. A frame left unfinished for more than
//   kFrameGap is dropped too, so a frame cut short cannot swallow the next one;
// - an unknown command, or a known one with the wrong number of data bytes, gets no reply;
// - an index out of range (relay > 1, loop > 7, function > 2, measurement sub-code not
//   listed below) gets no reply and changes nothing;
// - a value the panel cannot hold is acknowledged but not stored, so the verification read
//   shows the difference: 12 V mode, AES choice and card presence other than 0/1, alarm mode
//   above 2, a letter code other than 3, 4 or 5 (then none of the eight is stored). Matrix,
//   type and relay bytes are stored as sent;
// - while no UP card is fitted, the card's commands (2, 3, 6, 27, 8, 9, 28, 24, 17, 18) go
//   unanswered.
//
// Commands answered (data bytes of the request -> data bytes of the reply; writes answer with
// no data after storing):
//   20 -> manual mode 1/0      4 -> 8 letter codes       12 r -> relay r    14 -> 12 V mode
//   21 i -> alarm mode i       30 -> 1 when a card is fitted and declared present, else 0
//   5 -> card state            2 i -> 255 minus matrix byte i      3 k -> type byte k
//   6 -> UGA tempo             27 -> AES choice
//   13 r b, 15 m, 22 i m, 10 c0..c7, 29 p, 8 i b, 9 k b, 28 a            (writes)
//   23 -> ECS version (major, minor)     24 -> card version     16 -> ECS serial (3 bytes)
//   17 -> card serial          25 b0 b1 b2 -> stores the ECS serial
//   19 s (s = 0, 2, 3) -> raw, low byte first        19 4 k -> raw load of loop k
//   18 s (s = 0, 1, 2, 4, 5) -> card raw
class EmulatedPanel
{
public:
    // An unfinished request older than this is abandoned when the next byte arrives.
    static constexpr std::chrono::milliseconds kFrameGap{100};

    EmulatedPanel();

    PanelState state;

    void addFault(FaultRule rule);
    void clearFaults();

    // The reply to send when a request frame completed with this byte, empty otherwise (also
    // when the frame was bad or is not answered).
    QByteArray receiveByte(std::uint8_t byte);
    // Feeds several bytes; the replies of every frame completed, one after the other.
    QByteArray receive(const QByteArray &bytes);
    // Drops a partly received request (the line was reopened).
    void resetReceiver();

    // Well-formed request frames received, in order (answered or not).
    QList<QByteArray> requests() const { return m_requests; }

    // When live, every measurement drifts slowly around its stored value as time passes, so the
    // built-in simulated panel looks alive in the diagnostic window. Off by default: tests read
    // exactly what they stored.
    void setLive(bool live);

private:
    enum class RxStage { Idle, Length, Body };

    // The reply's data bytes; nullopt when the request goes unanswered.
    using Reply = std::optional<QByteArray>;
    // One entry of the table of commands the panel knows (EmulatedPanel.cpp).
    struct Command;

    static const Command *findCommand(std::uint8_t code, qsizetype dataBytes);
    QByteArray handleFrame(const QByteArray &frame);
    Reply answer(std::uint8_t code, const QByteArray &data);

    // The commands, each handed the request's data bytes, as many as its entry in the table
    // says. A read answers what the panel holds; a write stores and answers with no data.
    Reply readPanelMode(const QByteArray &data);
    Reply readAccessCodes(const QByteArray &data);
    Reply readRelay(const QByteArray &data);
    Reply readOutput12v(const QByteArray &data);
    Reply readAlarmMode(const QByteArray &data);
    Reply readCardPresence(const QByteArray &data);
    Reply readCardState(const QByteArray &data);
    Reply writeRelay(const QByteArray &data);
    Reply writeOutput12v(const QByteArray &data);
    Reply writeAlarmMode(const QByteArray &data);
    Reply writeAccessCodes(const QByteArray &data);
    Reply writeCardPresence(const QByteArray &data);
    Reply readEcsVersion(const QByteArray &data);
    Reply readEcsSerial(const QByteArray &data);
    Reply writeEcsSerial(const QByteArray &data);
    Reply readEcsMeasurement(const QByteArray &data);
    Reply readLoopLoad(const QByteArray &data);
    Reply readMatrix(const QByteArray &data);
    Reply readFunctionType(const QByteArray &data);
    Reply readUgaTempo(const QByteArray &data);
    Reply readAes(const QByteArray &data);
    Reply writeMatrix(const QByteArray &data);
    Reply writeFunctionType(const QByteArray &data);
    Reply writeAes(const QByteArray &data);
    Reply readCardVersion(const QByteArray &data);
    Reply readCardSerial(const QByteArray &data);
    Reply readCardMeasurement(const QByteArray &data);

    std::uint16_t measured(std::uint16_t raw, int channel) const;

    RxStage m_stage = RxStage::Idle;
    QByteArray m_frame;
    int m_expected = 0;
    QElapsedTimer m_lastByte;
    QList<QByteArray> m_requests;
    PanelFaults m_faults;
    bool m_live = false;
    QElapsedTimer m_liveClock;
};
