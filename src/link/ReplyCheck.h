#pragma once

#include <cstdint>
#include <vector>

// Checks a reply byte by byte as it arrives. Each byte moves the machine through
// start -> length -> echo -> data... -> check low -> check high, and feed() gives the verdict:
// pending while the frame is incomplete, accepted on a correct last check byte, failed at the
// first byte that cannot belong to a valid reply (not a start byte, a length outside 5..13, a
// wrong echo, a wrong sum). After a verdict the machine ignores further bytes until reset().
//
// Data bytes go into the caller's rxData, which is resized (contents discarded) to L + 1
// elements when the echo arrives, so that every data byte lands inside it; rxCount counts them.
class ReplyCheck
{
public:
    enum class State { Start, Length, Echo, Data, CheckLow, CheckHigh, Done };
    enum class Verdict { Pending, Accepted, Failed };
    // What made a reply fail, at the byte where it failed.
    enum class Fault { None, StartByte, Length, Echo, Check };

    struct Step
    {
        Verdict verdict = Verdict::Pending;
        bool dataStored = false; // this byte was a data byte, now in rxData
    };

    ReplyCheck(std::vector<std::uint8_t> &rxData, std::uint8_t &rxCount)
        : m_rxData(rxData), m_rxCount(rxCount)
    {}

    // Waits for the start of a reply to `command`; rxCount goes back to 0, rxData is kept until
    // the next echo.
    void reset(std::uint8_t command);
    Step feed(std::uint8_t byte);

    Verdict verdict() const { return m_verdict; }
    Fault fault() const { return m_fault; }
    // The index in the reply of the byte that failed it (0 the start byte, 1 the length...).
    int faultPosition() const { return m_position; }

private:
    Step finish(Verdict verdict, bool dataStored = false);
    Step fail(Fault fault);

    std::vector<std::uint8_t> &m_rxData;
    std::uint8_t &m_rxCount;
    std::uint8_t m_command = 0;
    State m_state = State::Start;
    Verdict m_verdict = Verdict::Pending;
    Fault m_fault = Fault::None;
    int m_position = 0; // index in the frame of the byte fed last
    int m_length = 0;   // the reply's length byte
    int m_sum = 0;      // start, length, echo and data bytes so far
    std::uint8_t m_checkLow = 0;
};
