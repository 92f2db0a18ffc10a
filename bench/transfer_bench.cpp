// Times a full receive and a full send (UP card present) against the emulated panel paced at
// 9600 baud with a 5 ms turnaround: once through the in-process emulated port, once through the
// real QSerialPort over a pseudo-terminal; each without the exchange log, with the log recording
// every frame into its ring, and with the log window open as well (offscreen, following every
// frame). For each case it prints the wall time, the wire-time floor of the bytes
// actually exchanged (10 bits a byte at 9600 baud, plus a turnaround per reply and the 200 ms
// wake-up; counted on the port, so a send's reads before its first write, the panel's identity
// and its whole configuration, are in it), their ratio, and the process's CPU time as a share of
// the wall time: the medians of
// kRuns runs, the runs of the three kinds taking turns so that a busy machine weighs on all
// alike. The last column compares each ratio with the one without the log. On a shared machine
// the medians still move by about a percent from one run of the benchmark to the next, so it also
// prints what a record costs on its own, made and kept the way the link does. After each send it
// prints the two parts of its floor: up to its first write, and the writes with their checks.
#include "config/Session.h"
#include "editor/MainWindow.h"
#include "link/ExchangeLog.h"
#include "link/Frame.h"
#include "link/Link.h"
#include "link/PanelCommand.h"
#include "link/SystemPorts.h"
#include "linkwindows/LogFrm.h"
#include "linkwindows/WaitFrm.h"
#include "seams/Prompts.h"
#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"
#include "simtool/PtyPanel.h"
#include "transfer/Transfer.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr std::chrono::milliseconds kTurnaround{5};
constexpr double kByteSeconds = 10.0 / 9600.0;
constexpr int kRuns = 7;

// What had crossed the line when a transfer's first write began.
struct BeforeFirstWrite
{
    long sent = 0;
    long received = 0;
    long frames = 0;
};

// Counts the bytes that cross a port in each direction, and the request frames, noting where the
// first write began.
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
        noteFrameByte(byte);
        const bool ok = m_inner->writeByte(byte);
        sent += ok;
        return ok;
    }
    QString errorString() const override { return m_inner->errorString(); }
    QString deviceName() const override { return m_inner->deviceName(); }

    long sent = 0;
    long received = 0;
    long frames = 0;
    std::optional<BeforeFirstWrite> firstWrite;

private:
    // Follows the request frames byte by byte: the start byte, the length, then the command.
    void noteFrameByte(std::uint8_t byte)
    {
        if (m_frameAt == 0) {
            if (byte != Frame::kStartByte)
                return; // the wake-up
            m_frameStart = {sent, received, frames};
            ++frames;
        } else if (m_frameAt == 1) {
            m_frameLength = byte;
        } else if (m_frameAt == 2 && changesPanel(PanelCommand(byte)) && !firstWrite) {
            firstWrite = m_frameStart;
        }
        if (++m_frameAt == std::max<int>(m_frameLength, Frame::kMinLength)) {
            m_frameAt = 0;
            m_frameLength = 0;
        }
    }

    std::unique_ptr<SerialPort> m_inner;
    int m_frameAt = 0;
    int m_frameLength = 0;
    BeforeFirstWrite m_frameStart;
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
    bool askYesNo(const QString &, const QString &, Icon, Preferred) override { return false; }
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
enum class Recording { Off, Ring, Window };
constexpr std::array kRecordings{Recording::Off, Recording::Ring, Recording::Window};

// What one transfer took.
struct Run
{
    long sent = 0;
    long received = 0;
    long frames = 0;
    long records = 0; // kept by the exchange log
    double wall = 0;  // seconds
    double floor = 0; // seconds
    double cpu = 0;   // seconds
    double ratio() const { return wall / floor; }
    // A send's part before its first write: the mode, the identity, the whole configuration read.
    std::optional<BeforeFirstWrite> beforeWrite;
};

// The wire time of bytes and requests after the wake-up, in seconds.
double floorOf(long sent, long received, long frames)
{
    return (sent + received) * kByteSeconds + frames * std::chrono::duration<double>(kTurnaround).count() +
           std::chrono::duration<double>(Link::kWakeUpPause).count();
}

bool runOnce(Path path, Direction direction, Recording recording, Run &run)
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
    ExchangeLog log;
    if (recording != Recording::Off)
        link.setExchangeLog(&log);
    LogFrm logWindow(log, prompts);
    if (recording == Recording::Window)
        logWindow.show();
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
    run.sent = counter->sent;
    run.received = counter->received;
    run.frames = long(panel.requests().size());
    run.records = long(log.records().size());
    run.wall = wallSeconds;
    run.floor = floorOf(counter->sent, counter->received, run.frames);
    run.beforeWrite = counter->firstWrite;
    run.cpu = cpu;
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median of each figure over the runs, the bytes and frames being the same in every run.
Run medianOf(const std::vector<Run> &runs)
{
    Run m = runs.front();
    const auto of = [&](auto field) {
        std::vector<double> values;
        for (const Run &run : runs)
            values.push_back(field(run));
        return median(values);
    };
    m.wall = of([](const Run &r) { return r.wall; });
    m.cpu = of([](const Run &r) { return r.cpu / r.wall; }) * m.wall;
    m.floor = of([](const Run &r) { return r.floor; });
    return m;
}

bool runCase(Path path, Direction direction)
{
    std::array<std::vector<Run>, kRecordings.size()> runs;
    for (int i = 0; i < kRuns; ++i) {
        // Each kind goes first in turn, so that none always follows another.
        for (std::size_t k = 0; k < kRecordings.size(); ++k) {
            const std::size_t kind = (k + std::size_t(i)) % kRecordings.size();
            Run run;
            if (!runOnce(path, direction, kRecordings[kind], run))
                return false;
            runs[kind].push_back(run);
        }
    }
    double ratioWithout = 0;
    for (std::size_t kind = 0; kind < kRecordings.size(); ++kind) {
        std::vector<double> ratios;
        for (const Run &run : runs[kind])
            ratios.push_back(run.ratio());
        const double ratio = median(ratios);
        if (kind == 0)
            ratioWithout = ratio;
        const Run m = medianOf(runs[kind]);
        const QByteArray change =
            kind == 0 ? QByteArray()
                      : QByteArray::number(100.0 * (ratio / ratioWithout - 1.0), 'f', 2) + " %";
        std::printf("%-8s %-22s %-6s %6ld %6ld %6ld %7ld %8.3f %8.3f %7.3f %6.1f %% %8s\n",
                    direction == Direction::Receive ? "receive" : "send",
                    path == Path::Emulated ? "emulated port" : "QSerialPort over a pty",
                    std::array{"off", "ring", "window"}[kind], m.sent, m.received, m.frames, m.records,
                    m.wall, m.floor, ratio, 100.0 * m.cpu / m.wall, change.constData());
        std::fflush(stdout);
    }
    if (const std::optional<BeforeFirstWrite> before = runs[0].front().beforeWrite) {
        const Run &whole = runs[0].front();
        const double floorBefore = floorOf(before->sent, before->received, before->frames);
        std::printf(
            "%-8s %-22s of which up to the first write: %ld frames, floor %.3f s; the writes and their "
            "checks: %ld frames, floor %.3f s\n",
            "", "", before->frames, floorBefore, whole.frames - before->frames, whole.floor - floorBefore);
    }
    return true;
}

// The time to make and keep one record of a six-byte reply, averaged over many.
double microsecondsARecord()
{
    constexpr int kRecords = 200000;
    ExchangeLog log;
    const QDateTime opened = QDateTime::currentDateTime();
    const QString step = QStringLiteral("Lecture modes alarme");
    const std::array<std::uint8_t, 6> reply{1, 6, 0x15, 2, 0x1e, 0};
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kRecords; ++i) {
        ExchangeRecord record;
        record.kind = ExchangeRecord::Kind::Reply;
        for (std::uint8_t byte : reply)
            record.append(byte);
        record.portOpened = opened;
        record.msSincePort = i;
        record.attempt = 1;
        record.step = step;
        log.add(std::move(record));
    }
    return clock.nsecsElapsed() / 1e3 / kRecords;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf(
        "Full transfers, UP card present, 9600 baud, turnaround %lld ms; medians of %d runs, "
        "without the exchange log (off), recording into its ring (ring), with its window open as well "
        "(window)\n",
        static_cast<long long>(kTurnaround.count()), kRuns);
    std::printf("%-8s %-22s %-6s %6s %6s %6s %7s %8s %8s %7s %8s %8s\n", "transfer", "path", "log", "sent",
                "recvd", "frames", "records", "wall s", "floor s", "ratio", "CPU", "change");
    bool ok = true;
    for (Path path : {Path::Emulated, Path::Pty})
        for (Direction direction : {Direction::Receive, Direction::Send})
            ok = runCase(path, direction) && ok;
    const double record = microsecondsARecord();
    std::printf("One record made and kept in the ring: %.2f us; a hundred records: %.3f ms\n", record,
                100 * record / 1000.0);
    return ok ? 0 : 1;
}
