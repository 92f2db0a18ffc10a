#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>

class EmulatedPanel;

// The wire between the PC and the emulated panel, at 9600 baud 8N1: ten bits, about 1.04 ms, a
// byte in each direction. A byte from the PC reaches the panel once its own wire time has passed
// behind the bytes still on the wire; the panel starts its reply a turnaround after the last
// byte of the request has arrived, and each reply byte is handed to the PC's side as its stop
// bit ends. One precise single-shot timer hands the bytes over; nothing polls.
class PacedLine : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::nanoseconds kByteTime{1'041'667}; // 10 bits at 9600 baud
    static constexpr std::chrono::milliseconds kDefaultTurnaround{5};

    using Sink = std::function<void(const QByteArray &)>;

    // `deliver` receives the reply bytes that have arrived, in order, from the event loop.
    PacedLine(EmulatedPanel &panel, Sink deliver, QObject *parent = nullptr);

    void setTurnaround(std::chrono::milliseconds turnaround) { m_turnaround = turnaround; }

    // A byte from the PC goes onto the wire now.
    void sendToPanel(std::uint8_t byte);
    // Forgets the reply bytes not yet delivered (the PC's end was closed).
    void dropPending();

    // Milliseconds since the line was made.
    qint64 elapsedMs() const { return m_clock.elapsed(); }

private:
    struct Timed
    {
        std::chrono::nanoseconds due;
        char byte;
    };

    std::chrono::nanoseconds now() const { return std::chrono::nanoseconds(m_clock.nsecsElapsed()); }
    void deliverDue();
    void arm();

    EmulatedPanel &m_panel;
    Sink m_deliver;
    QTimer m_timer;
    QElapsedTimer m_clock;
    std::chrono::milliseconds m_turnaround{kDefaultTurnaround};
    std::chrono::nanoseconds m_toPanelFree{0}; // when the PC-to-panel wire is idle again
    std::chrono::nanoseconds m_toPcFree{0};    // when the panel-to-PC wire is idle again
    std::deque<Timed> m_pending;
};
