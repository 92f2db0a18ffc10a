#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>

// Ctrl-C (SIGINT) and SIGTERM while a command runs. The signal handler only notes the signal and
// writes one byte to a pipe, which is all it may safely do; the event loop, which runs inside
// every wait of the link, then calls `onInterrupt` (which aborts the running wait). The handler
// is reset by its first signal, so that a second Ctrl-C ends the program at once.
class Interrupt : public QObject
{
    Q_OBJECT
public:
    explicit Interrupt(std::function<void()> onInterrupt, QObject *parent = nullptr);
    ~Interrupt() override;

    // A signal has arrived, whether or not the event loop has noticed it yet.
    static bool requested();
    // 128 + the signal that arrived.
    static int exitCode();

private:
    std::function<void()> m_onInterrupt;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
