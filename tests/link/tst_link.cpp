// The panel link's transaction and wake-up, on the emulated line and through QSerialPort.
#include "support/TestRegistry.h"

#include "support/PanelBench.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <ctime>

using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(LinkFailure)

namespace {

constexpr int kStaleReply = -2; // instead of a fault: a whole reply waits before the request goes out
constexpr int kAbort = -1, kHangUp = -2; // how a wait is cut short, besides a vanishing port

// An emulated line that holds the process past the reply time-out while the mode read's last byte
// goes out: when the event loop runs again, the reply (due long before) and the time-out are both
// overdue and fire in the same pass, the reply's first.
class LatePort : public EmulatedPort
{
public:
    using EmulatedPort::EmulatedPort;
    bool writeByte(std::uint8_t byte) override
    {
        const bool written = EmulatedPort::writeByte(byte);
        if (++m_written == 6) // the wake-up byte, then the five bytes of the mode read
            QThread::msleep(std::chrono::milliseconds(Link::kReplyTimeout).count() + 100);
        return written;
    }

private:
    int m_written = 0;
};

} // namespace

class LinkTest : public QObject
{
    Q_OBJECT

private slots:
    void replies_data()
    {
        QTest::addColumn<bool>("realPort");
        QTest::addColumn<int>("fault");          // spoils every reply if the call fails, else the first
        QTest::addColumn<QByteArray>("request"); // the frame the panel must receive
        QTest::addColumn<LinkFailure>("failure");
        QTest::addColumn<int>("frames");    // requests sent, all the same
        QTest::addColumn<bool>("timedOut"); // the spoilt attempts waited the time-out
        QTest::addColumn<Bytes>("data");    // the reply's data bytes
        const auto f = [](Fault fault) { return int(fault); };
        const QByteArray mode = QByteArray::fromHex("01 05 14 1A 00"),
                         loop4 = QByteArray::fromHex("01 06 15 03 1F 00");
        QTest::newRow("stale reply flushed")
            << false << kStaleReply << mode << LinkFailure::None << 1 << false << Bytes{0};
        QTest::newRow("silent first attempt")
            << false << f(Fault::Silence) << mode << LinkFailure::None << 2 << true << Bytes{0};
        QTest::newRow("bad first byte, good reply behind")
            << false << f(Fault::WrongStartByte) << mode << LinkFailure::None << 2 << false << Bytes{0};
        QTest::newRow("wrong echo") << false << f(Fault::WrongEcho) << loop4 << LinkFailure::None << 2
                                    << false << Bytes{2};
        QTest::newRow("short reply waits the time-out")
            << false << f(Fault::ShortReply) << mode << LinkFailure::None << 2 << true << Bytes{0};
        QTest::newRow("bad first byte every time")
            << false << f(Fault::WrongStartByte) << mode << LinkFailure::BadByte << 3 << false << Bytes{};
        QTest::newRow("QSerialPort: silent panel")
            << true << f(Fault::Silence) << mode << LinkFailure::NoReply << 3 << true << Bytes{};
    }

    // After the wake-up (byte 0 alone, then about 200 ms), the request and its retries: silence
    // ends an attempt after the time-out; a failure says so once, and the process stays idle while
    // it waits.
    void replies()
    {
        QFETCH(bool, realPort);
        QFETCH(int, fault);
        QFETCH(QByteArray, request);
        QFETCH(LinkFailure, failure);
        QFETCH(int, frames);
        QFETCH(bool, timedOut);
        QFETCH(Bytes, data);
#ifdef Q_OS_WIN
        if (realPort)
            QSKIP("no pseudo-terminal on Windows: the Wine COM port test runs this path");
#endif
        const bool result = failure == LinkFailure::None;
        PanelBench bench;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(bench.start(realPort));
        QVERIFY2(clock.elapsed() >= 195, qPrintable(QString::number(clock.elapsed())));
        if (fault == kStaleReply)
            bench.port->injectIncoming(QByteArray::fromHex("01 06 14 07 22 00"));
        else
            bench.panel.addFault({Fault(fault), request[2], -1, result ? 1 : -1});
        const Bytes requestData(request.begin() + 3, request.end() - 2);

        const std::clock_t cpuBefore = std::clock(); // the process's CPU time where the real port runs
        clock.restart();
        const LinkReply reply = bench.link.request(PanelCommand(request[2]), requestData);
        QCOMPARE(reply.failure, failure);
        const qint64 took = clock.elapsed(), waits = timedOut ? frames - result : 0;
        const double cpuMs = 1000.0 * double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
        QVERIFY2(took >= 990 * waits, qPrintable(QString::number(took)));
        // A wait that spins shows as a whole core.
        QVERIFY2(!realPort || cpuMs < 0.3 * double(took), qPrintable(QStringLiteral("%1 ms CPU").arg(cpuMs)));
        QCOMPARE(bench.prompts.messages(), result ? QList<Message>{} : QList<Message>{Msg::timeOut()});
        const QList<QByteArray> sent = bench.panel.requests();
        QCOMPARE(sent, QList<QByteArray>(frames, request));
        QVERIFY(!bench.port || bench.port->written() == QByteArray(1, '\0') + sent.join());
        QCOMPARE(reply.data, data);

        // Nothing left of a rejected reply spoils the next transaction.
        bench.panel.clearFaults();
        QVERIFY(bench.link.request(PanelCommand::AccessCodes).ok());
        QCOMPARE(bench.panel.requests().size(), frames + 1);
    }

    // Until its first wake-up the link waits 2000 ms for each reply, not the 1000 ms it waits
    // from the wake-up on: two silent attempts take at least twice that, then the third is
    // answered.
    void replyTimeoutBeforeWakeUp()
    {
        constexpr qint64 kBeforeWakeUpMs = 2000;
        constexpr int kSilentAttempts = 2;
        PanelBench bench;
        QVERIFY(bench.link.openPort(PortChoice::simulated()));
        bench.panel.addFault({Fault::Silence, int(PanelCommand::PanelMode), -1, kSilentAttempts});
        QElapsedTimer clock;
        clock.start();
        const LinkReply reply = bench.link.request(PanelCommand::PanelMode);
        const qint64 took = clock.elapsed();
        QCOMPARE(reply.failure, LinkFailure::None);
        QCOMPARE(bench.panel.requests().size(), kSilentAttempts + 1);
        QVERIFY2(took >= kSilentAttempts * (kBeforeWakeUpMs - 10), qPrintable(QString::number(took)));
        QVERIFY2(took < 3 * kSilentAttempts * kBeforeWakeUpMs, qPrintable(QString::number(took)));
        QVERIFY(bench.prompts.messages().isEmpty());
    }

    // A transaction or wake-up asked for while one waits is refused and leaves the waiting one alone.
    void reentryRefused()
    {
        PanelBench bench;
        QVERIFY(bench.start());
        bench.port->setTurnaround(std::chrono::milliseconds(300));
        LinkFailure nested = LinkFailure::None;
        bool woke = true;
        QTimer::singleShot(100, &bench.link, [&] {
            nested = bench.link.request(PanelCommand::Relay, {5}).failure;
            woke = bench.link.wakeUp();
        });
        const LinkReply reply = bench.link.request(PanelCommand::AlarmMode, {3});
        QCOMPARE(nested, LinkFailure::Busy);
        QVERIFY(!woke);
        QCOMPARE(bench.panel.requests(), QList<QByteArray>{QByteArray::fromHex("01 06 15 03 1F 00")});
        QCOMPARE(bench.link.lastRequest(), (LinkRequest{PanelCommand::AlarmMode, {3}}));
        QCOMPARE(reply.data, Bytes{2});
        QVERIFY(bench.prompts.messages().isEmpty());
    }

    // A reply accepted in the same pass of the event loop as the time-out: the transaction
    // succeeded at its first attempt, with the reply's data and no message.
    void replyAtTheTimeOut()
    {
        EmulatedPanel panel;
        FakePrompts prompts;
        Link link(prompts, [&](const PortChoice &) { return std::make_unique<LatePort>(panel); });
        QVERIFY(link.openPort(PortChoice::simulated()) && link.wakeUp());
        const LinkReply reply = link.request(PanelCommand::PanelMode);
        QCOMPARE(reply.failure, LinkFailure::None);
        QCOMPARE(reply.data, Bytes{0});
        QCOMPARE(panel.requests().size(), 1);
        QVERIFY(prompts.shown.isEmpty());
    }

    void interrupted_data()
    {
        QTest::addColumn<int>("cut"); // bytes written before the adapter goes, or kAbort, kHangUp
        QTest::newRow("abort") << kAbort;
        QTest::newRow("adapter gone mid-request") << 3;
        QTest::newRow("adapter gone while waiting") << 5;
        QTest::newRow("QSerialPort line hung up") << kHangUp;
    }

    // A wait cut short ends then, not at the time-out. An abort says nothing and refuses every
    // later call; a lost port is let go, with the message for each call that fails on it, the
    // wake-up included. The next opening talks again.
    void interrupted()
    {
        QFETCH(int, cut);
#ifdef Q_OS_WIN
        if (cut == kHangUp)
            QSKIP("no pseudo-terminal on Windows: the Wine COM port test loses its line");
#endif
        constexpr int kCutMs = 300; // the abort or the hang-up, well before the time-out
        PanelBench bench;
        QVERIFY(bench.start(cut == kHangUp));
        bench.panel.addFault({Fault::Silence});
        if (cut >= 0)
            bench.port->vanishAfterWrites(cut);
        QTimer::singleShot(kCutMs, &bench.link, [&] {
#ifndef Q_OS_WIN
            if (cut == kHangUp)
                bench.far.reset();
#endif
            if (cut == kAbort)
                bench.link.abort();
        });
        QElapsedTimer clock;
        clock.start();
        const LinkFailure failure = cut == kAbort ? LinkFailure::Aborted : LinkFailure::PortLost;
        QCOMPARE(bench.link.request(PanelCommand::PanelMode).failure, failure);
        QVERIFY2(clock.elapsed() < 3 * kCutMs, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!bench.link.wakeUp());
        QCOMPARE(bench.link.request(PanelCommand::PanelMode).failure, failure);
        QCOMPARE(bench.prompts.messages(),
                 cut == kAbort ? QList<Message>{} : QList<Message>(3, Msg::timeOut()));
        QVERIFY(bench.panel.requests().size() <= 1);
        QTRY_VERIFY(cut == kAbort || (!bench.link.isPortOpen() && bench.port.isNull()));
        bench.panel.clearFaults();
        QVERIFY(bench.start() && bench.link.request(PanelCommand::PanelMode).ok());
    }
};

TORVA_TEST(LinkTest)
#include "tst_link.moc"
