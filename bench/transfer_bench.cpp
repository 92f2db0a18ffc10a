// Times a full receive and a full send (UP card present) against the emulated panel paced at
// 9600 baud with a 5 ms turnaround: once through the in-process emulated port, once through the
// real QSerialPort over a pseudo-terminal. For each run it prints the wall time, the wire-time
// floor of the bytes actually exchanged (10 bits a byte at 9600 baud, plus a turnaround per reply
// and the 200 ms wake-up), their ratio, and the process's CPU time as a share of the wall time.
#include "config/Session.h"
#include "config/Transfer.h"
#include "editor/MainWindow.h"
#include "link/Link.h"
#include "link/QtSerialPort.h"
#include "link/WaitFrm.h"
#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"
#include "sim/PtyPanel.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QElapsedTimer>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>

namespace {

constexpr std::chrono::milliseconds kTurnaround{5};
constexpr double kByteSeconds = 10.0 / 9600.0;

// Counts the bytes that cross a port in each direction.
class CountingPort : public SerialPort
{
public:
    explicit CountingPort(std::unique_ptr<SerialPort> inner) : m_inner(std::move(inner))
    {
        connect(m_inner.get(), &SerialPort::readyRead, this, &SerialPort::readyRead);
        connect(m_inner.get(), &SerialPort::failed, this, &SerialPort::failed);
    }
    bool open() override { return m_inner->open(); }
    void close() override { m_inner->close(); }
    bool isOpen() const override { return m_inner->isOpen(); }
    qint64 bytesWaiting() const override { return m_inner->bytesWaiting(); }
    bool readByte(std::uint8_t &byte) override
    {
        const bool ok = m_inner->readByte(byte);
        received += ok;
        return ok;
    }
    bool writeByte(std::uint8_t byte) override
    {
        const bool ok = m_inner->writeByte(byte);
        sent += ok;
        return ok;
    }
    QString errorString() const override { return m_inner->errorString(); }
    QString deviceName() const override { return m_inner->deviceName(); }

    long sent = 0;
    long received = 0;

private:
    std::unique_ptr<SerialPort> m_inner;
};

// Prompts that must never be needed: any message means the transfer failed.
class SilentPrompts : public Prompts
{
public:
    void message(const QString &text, const QString &title, Icon, const QString &) override
    {
        std::fprintf(stderr, "unexpected message: %s / %s\n", qPrintable(title), qPrintable(text));
        failed = true;
    }
    bool askYesNo(const QString &, const QString &, Icon) override { return false; }
    QString openFileName(const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &) override { return {}; }
    void setBusy(bool) override {}
    bool failed = false;
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto s = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return s(usage.ru_utime) + s(usage.ru_stime);
}

enum class Path { Emulated, Pty };
enum class Direction { Receive, Send };

bool runOnce(Path path, Direction direction)
{
    EmulatedPanel panel;
    PtyPanel pty(panel);
    pty.setTurnaround(kTurnaround);
    if (path == Path::Pty && !pty.start()) {
        std::fprintf(stderr, "no pseudo-terminal: %s\n", qPrintable(pty.errorString()));
        return false;
    }
    CountingPort *counter = nullptr;
    SilentPrompts prompts;
    const PortFactory real = makeRealPortFactory();
    Link link(prompts, [&](const PortChoice &choice) -> std::unique_ptr<SerialPort> {
        std::unique_ptr<SerialPort> inner;
        if (path == Path::Emulated) {
            auto port = std::make_unique<EmulatedPort>(panel);
            port->setTurnaround(kTurnaround);
            inner = std::move(port);
        } else {
            inner = real(choice);
        }
        auto made = std::make_unique<CountingPort>(std::move(inner));
        counter = made.get();
        return made;
    });
    Session session;
    MainWindow window(session, link, prompts);
    WaitFrm progress(link);
    const PortChoice choice = path == Path::Emulated ? PortChoice::simulated()
                                                     : PortChoice{PortChoice::Kind::Device, pty.devicePath()};
    TransferContext context{
        link,    session,  window,
        prompts, progress, [&] {
                                return link.openPort(choice) ? PortOutcome::Opened : PortOutcome::Failed; }};

    QElapsedTimer wall;
    const double cpuBefore = cpuSeconds();
    wall.start();
    const bool ok = (direction == Direction::Receive ? receiveConfiguration(context)
                                                     : sendConfiguration(context)) == TransferResult::Done;
    const double wallSeconds = wall.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpuBefore;
    if (!ok || prompts.failed || !counter) {
        std::fprintf(stderr, "the transfer failed\n");
        return false;
    }
    const long replies = long(panel.requests().size());
    const double floor = (counter->sent + counter->received) * kByteSeconds +
                         replies * std::chrono::duration<double>(kTurnaround).count() +
                         std::chrono::duration<double>(Link::kWakeUpPause).count();
    std::printf("%-8s %-22s %6ld %6ld %5ld %9.3f %9.3f %7.3f %7.1f %%\n",
                direction == Direction::Receive ? "receive" : "send",
                path == Path::Emulated ? "emulated port" : "QSerialPort over a pty", counter->sent,
                counter->received, replies, wallSeconds, floor, wallSeconds / floor,
                100.0 * cpu / wallSeconds);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf("Full transfers, UP card present, 9600 baud, turnaround %lld ms\n",
                static_cast<long long>(kTurnaround.count()));
    std::printf("%-8s %-22s %6s %6s %5s %9s %9s %7s %9s\n", "transfer", "path", "sent", "recvd", "frames",
                "wall s", "floor s", "ratio", "CPU");
    bool ok = true;
    for (Path path : {Path::Emulated, Path::Pty})
        for (Direction direction : {Direction::Receive, Direction::Send})
            ok = runOnce(path, direction) && ok;
    return ok ? 0 : 1;
}
