#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <utility>

// Ctrl-C while a command runs (and SIGTERM on Linux, the console being closed on Windows). The
// system's handler only notes it and wakes the event loop, which is all it may safely do (on
// Linux a signal handler writes one byte to a pipe; on Windows the handler runs in a thread of
// its own and posts to the event loop); the event loop, which runs inside every wait of the link,
// then calls `onInterrupt` (which aborts the running wait). The first Ctrl-C resets the handler,
// so that a second one ends the program at once. One system's way per source file, chosen by the
// build (InterruptPosix.cpp, InterruptWindows.cpp).
class Interrupt : public QObject
{
    Q_OBJECT
public:
    explicit Interrupt(std::function<void()> onInterrupt, QObject *parent = nullptr);
    ~Interrupt() override;

    // A signal has arrived, whether or not the event loop has noticed it yet.
    static bool requested();
    // 128 + the signal that arrived (130 for Ctrl-C, on every system).
    static int exitCode();

    // In the event loop, once, when the system's handler has noted the interrupt: calls
    // `onInterrupt`.
    void deliver()
    {
        if (!std::exchange(m_delivered, true) && m_onInterrupt)
            m_onInterrupt();
    }

private:
    std::function<void()> m_onInterrupt;
    std::unique_ptr<QObject> m_watch; // what wakes the event loop, where the system needs one
    bool m_delivered = false;
};
