#include "link/ReplyCheck.h"

#include "link/Frame.h"

void ReplyCheck::reset(std::uint8_t command)
{
    m_command = command;
    m_state = State::Start;
    m_verdict = Verdict::Pending;
    m_fault = Fault::None;
    m_position = 0;
    m_length = 0;
    m_sum = 0;
    m_checkLow = 0;
    m_rxCount = 0;
}

ReplyCheck::Step ReplyCheck::finish(Verdict verdict, bool dataStored)
{
    m_verdict = verdict;
    if (verdict != Verdict::Pending)
        m_state = State::Done;
    return {verdict, dataStored};
}

ReplyCheck::Step ReplyCheck::fail(Fault fault)
{
    m_fault = fault;
    return finish(Verdict::Failed);
}

ReplyCheck::Step ReplyCheck::feed(std::uint8_t byte)
{
    switch (m_state) {
    case State::Start:
        if (byte != Frame::kStartByte)
            return fail(Fault::StartByte);
        m_sum = byte;
        m_position = 0;
        m_state = State::Length;
        return finish(Verdict::Pending);

    case State::Length:
        m_position = 1;
        m_length = byte;
        m_sum += byte;
        // A length below 5 leaves no room for the echo and the check bytes: such a reply can
        // only be noise, and waiting for its time-out would gain nothing.
        if (byte > Frame::kMaxReplyLength || byte < Frame::kMinLength)
            return fail(Fault::Length);
        m_state = State::Echo;
        return finish(Verdict::Pending);

    case State::Echo:
        m_position = 2;
        // Resized even for a wrong echo, so the caller always finds room for the announced data.
        m_rxData.assign(std::size_t(m_length) + 1, 0);
        m_sum += byte;
        if (byte != m_command)
            return fail(Fault::Echo);
        m_state = m_length == Frame::kMinLength ? State::CheckLow : State::Data;
        return finish(Verdict::Pending);

    case State::Data: {
        m_position += 1;
        const std::size_t index = std::size_t(m_position - 3);
        if (index >= m_rxData.size()) // cannot happen with L + 1 elements; never write outside
            return fail(Fault::Length);
        m_rxData[index] = byte;
        ++m_rxCount;
        m_sum += byte;
        if (m_position + 1 == m_length - 2)
            m_state = State::CheckLow;
        return finish(Verdict::Pending, true);
    }

    case State::CheckLow:
        m_position += 1;
        m_checkLow = byte;
        m_state = State::CheckHigh;
        return finish(Verdict::Pending);

    case State::CheckHigh: {
        m_position += 1;
        // The one place that decides: both check bytes, low first, against the running sum.
        const bool valid = m_checkLow == (m_sum & 0xFF) && byte == ((m_sum >> 8) & 0xFF);
        return valid ? finish(Verdict::Accepted) : fail(Fault::Check);
    }

    case State::Done:
        break;
    }
    return {m_verdict, false};
}
