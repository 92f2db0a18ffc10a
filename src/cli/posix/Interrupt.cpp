#include "cli/Interrupt.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_signal = 0;

extern "C" void noteSignal(int signal)
{
    g_signal = signal;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_pipe[1], &byte, 1);
}

} // namespace

Interrupt::Interrupt(std::function<void()> onInterrupt, QObject *parent)
    : QObject(parent), m_onInterrupt(std::move(onInterrupt))
{
    if (::pipe(g_pipe) != 0)
        return; // without a pipe Ctrl-C keeps its default: the program ends at once
    for (int fd : g_pipe)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
    auto notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, [this, watch = notifier.get()] {
        char bytes[16];
        [[maybe_unused]] const ssize_t ignored = ::read(g_pipe[0], bytes, sizeof bytes);
        watch->setEnabled(false);
        deliver();
    });
    m_watch = std::move(notifier);
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

Interrupt::~Interrupt()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    m_watch.reset();
    for (int &fd : g_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

bool Interrupt::requested() { return g_signal != 0; }

int Interrupt::exitCode() { return 128 + int(g_signal); }
