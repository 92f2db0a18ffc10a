#include "cli/Interrupt.h"

#include <QMetaObject>

#include <windows.h>

#include <atomic>

namespace {

constexpr int kCtrlC = 2; // reported as the signal number Ctrl-C has on Linux: exit code 130
constexpr int kCtrlBreak = 21;
constexpr int kClosed = 15;           // the console closed or the session ending: as SIGTERM
constexpr DWORD kClosingHold = 20000; // ms; Windows itself ends the program after 5 s (20 s at shut-down)

std::atomic<Interrupt *> g_interrupt{nullptr};
std::atomic<int> g_signal{0};

// Runs in a thread the system starts for the event. The first event is noted and handed to the
// event loop; any later one is left to the system's default, which ends the program.
BOOL WINAPI noteConsoleEvent(DWORD event)
{
    int signal = 0;
    switch (event) {
    case CTRL_C_EVENT:
        signal = kCtrlC;
        break;
    case CTRL_BREAK_EVENT:
        signal = kCtrlBreak;
        break;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        signal = kClosed;
        break;
    default:
        return FALSE;
    }
    int none = 0;
    if (!g_signal.compare_exchange_strong(none, signal))
        return FALSE;
    if (Interrupt *interrupt = g_interrupt.load())
        QMetaObject::invokeMethod(
            interrupt, [interrupt] { interrupt->deliver(); }, Qt::QueuedConnection);
    // A closed console, a log-off or a shut-down ends the program as soon as this returns (and
    // after a few seconds anyway): held here, the program has those seconds to stop the transfer,
    // journal it and exit with its status, which ends this thread with it.
    if (signal == kClosed)
        ::Sleep(kClosingHold);
    return TRUE;
}

} // namespace

Interrupt::Interrupt(std::function<void()> onInterrupt, QObject *parent)
    : QObject(parent), m_onInterrupt(std::move(onInterrupt))
{
    g_interrupt = this;
    ::SetConsoleCtrlHandler(noteConsoleEvent, TRUE);
}

Interrupt::~Interrupt()
{
    ::SetConsoleCtrlHandler(noteConsoleEvent, FALSE);
    g_interrupt = nullptr;
}

bool Interrupt::requested() { return g_signal != 0; }

int Interrupt::exitCode() { return 128 + g_signal.load(); }
