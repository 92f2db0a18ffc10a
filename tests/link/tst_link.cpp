// The panel link's transaction and wake-up, on the emulated line and through QSerialPort.
#include "support/TestRegistry.h"

#include "CpuTime.h"
#include "linkwindows/WaitFrm.h"
#include "support/PanelBench.h"

#include <QElapsedTimer>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(std::optional<Fault>)
Q_DECLARE_METATYPE(LinkFailure)
Q_DECLARE_METATYPE(ReplyCheck::Fault)

namespace {

constexpr int kNoFault = -1, kStaleReply = -2; // kStaleReply: a whole reply waits before the request goes out
constexpr int kAbort = -1, kHangUp = -2;       // how a wait is cut short, besides a vanishing port

// A line whose reply to the first request becomes readable from a timer that falls due at once,
// while the process is held up past the reply time-out by the write: when the event loop runs
// again, both timers are overdue and fire in the same pass, the reply's first.
class LateLine : public SerialPort
{
public:
    bool open() override { return m_open = true; }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    qint64 bytesWaiting() const override { return m_incoming.size(); }
    bool readByte(std::uint8_t &byte) override
    {
        if (m_incoming.isEmpty())
            return false;
        byte = std::uint8_t(m_incoming.front());
        m_incoming.remove(0, 1);
        return true;
    }
    bool writeByte(std::uint8_t byte) override
    {
        m_written.append(char(byte));
        if (m_written.size() == 6) { // the wake-up byte, then the five bytes of the mode read
            QTimer::singleShot(1, Qt::PreciseTimer, this, [this] {
                m_incoming = QByteArray::fromHex("01 06 14 00 1B 00");
                emit readyRead();
            });
            QThread::msleep(std::chrono::milliseconds(Link::kReplyTimeout).count() + 100);
        }
        return true;
    }
    QString errorString() const override { return {}; }
    QString deviceName() const override { return QStringLiteral("late line"); }

private:
    bool m_open = false;
    QByteArray m_written, m_incoming;
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
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("frames");    // requests sent, all the same
        QTest::addColumn<bool>("timedOut"); // the spoilt attempts waited the time-out, not ended at once
        QTest::addColumn<Bytes>("data");    // the reply's data bytes
        const auto f = [](Fault fault) { return int(fault); };
        const QByteArray mode = QByteArray::fromHex("01 05 14 1A 00"),
                         loop4 = QByteArray::fromHex("01 06 15 03 1F 00");
        QTest::newRow("stale reply flushed")
            << false << kStaleReply << mode << true << 1 << false << Bytes{0};
        QTest::newRow("silent first attempt")
            << false << f(Fault::Silence) << mode << true << 2 << true << Bytes{0};
        QTest::newRow("bad first byte, good reply behind")
            << false << f(Fault::WrongStartByte) << mode << true << 2 << false << Bytes{0};
        QTest::newRow("wrong echo") << false << f(Fault::WrongEcho) << loop4 << true << 2 << false
                                    << Bytes{2};
        QTest::newRow("short reply waits the time-out")
            << false << f(Fault::ShortReply) << mode << true << 2 << true << Bytes{0};
        QTest::newRow("bad first byte every time")
            << false << f(Fault::WrongStartByte) << mode << false << 3 << false << Bytes{};
        QTest::newRow("QSerialPort: eight data bytes")
            << true << kNoFault << QByteArray::fromHex("01 05 04 0A 00") << true << 1 << false
            << Bytes{3, 4, 5, 3, 5, 3, 4, 4};
        QTest::newRow("QSerialPort: wrong echo")
            << true << f(Fault::WrongEcho) << loop4 << true << 2 << false << Bytes{2};
        QTest::newRow("QSerialPort: silent panel")
            << true << f(Fault::Silence) << mode << false << 3 << true << Bytes{};
    }

    // After the wake-up (byte 0 alone, then about 200 ms), the request and its retries: a spoilt
    // reply ends its attempt at once, silence after a time-out; a failure says so once, and the
    // process stays idle while it waits.
    void replies()
    {
        QFETCH(bool, realPort);
        QFETCH(int, fault);
        QFETCH(QByteArray, request);
        QFETCH(bool, result);
        QFETCH(int, frames);
        QFETCH(bool, timedOut);
        QFETCH(Bytes, data);
#ifdef Q_OS_WIN
        if (realPort)
            QSKIP("no pseudo-terminal on Windows: the Wine COM port test runs this path");
#endif
        PanelBench bench;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(bench.start(realPort));
        QVERIFY2(clock.elapsed() >= 195 && clock.elapsed() < 320,
                 qPrintable(QString::number(clock.elapsed())));
        if (fault == kStaleReply)
            bench.port->injectIncoming(QByteArray::fromHex("01 06 14 07 22 00"));
        else if (fault != kNoFault)
            bench.panel.addFault({Fault(fault), request[2], -1, result ? 1 : -1});
        const auto command = PanelCommand(request[2]);
        const Bytes requestData(request.begin() + 3, request.end() - 2);

        const double cpuBefore = cpuMs();
        clock.restart();
        const LinkReply reply = bench.link.request(command, requestData);
        QCOMPARE(reply.ok(), result);
        const qint64 took = clock.elapsed(), waits = timedOut ? frames - result : 0;
        const double cpu = cpuMs() - cpuBefore;
        QVERIFY2(took >= 990 * waits && took < 1000 * waits + 400, qPrintable(QString::number(took)));
        QVERIFY2(!waits || cpu < 0.05 * double(took), qPrintable(QStringLiteral("%1 ms CPU").arg(cpu)));
        QCOMPARE(bench.prompts.messages(), result ? QList<Message>{} : QList<Message>{Msg::timeOut()});
        const QList<QByteArray> sent = bench.panel.requests();
        QCOMPARE(sent, QList<QByteArray>(frames, request));
        for (int i = 1; bench.port && i < frames; ++i) { // not timed on QSerialPort
            const qint64 gap =
                bench.port->framesWritten()[i].first - bench.port->framesWritten()[i - 1].first;
            QVERIFY2(timedOut ? gap >= 990 && gap <= 1150 : gap < 400,
                     qPrintable(QStringLiteral("gap %1 ms").arg(gap)));
        }
        QVERIFY(!bench.port || bench.port->written() == QByteArray(1, '\0') + sent.join());
        QCOMPARE(reply.data, data);

        // Nothing left of a rejected reply spoils the next transaction.
        bench.panel.clearFaults();
        QVERIFY(bench.link.request(PanelCommand::AccessCodes).ok());
        QCOMPARE(bench.panel.requests().size(), frames + 1);
    }

    // The progress window's bar takes one step per data byte of a reply.
    void progressBar()
    {
        PanelBench bench;
        WaitFrm window(bench.link);
        window.ProgressBar1->setMaximum(20);
        QVERIFY(bench.start());
        QVERIFY(bench.link.request(PanelCommand::AccessCodes).ok()); // eight data bytes
        QCOMPARE(window.ProgressBar1->value(), 8);
    }

    void diagnosticMode_data()
    {
        QTest::addColumn<int>("held");  // guards made, each inside the one before
        QTest::addColumn<int>("ended"); // of those, ended from the innermost
        QTest::addColumn<int>("steps"); // dataByteReceived for a reply of eight data bytes
        QTest::newRow("no guard") << 0 << 0 << 8;
        QTest::newRow("one guard") << 1 << 0 << 0;
        QTest::newRow("guard ended") << 1 << 1 << 8;
        QTest::newRow("inner of two ended") << 2 << 1 << 0;
        QTest::newRow("both ended") << 2 << 2 << 8;
    }

    // While the diagnostic holds the link, the data bytes of its replies step no progress bar;
    // the mode ends with the last guard, and the bar moves again.
    void diagnosticMode()
    {
        QFETCH(int, held);
        QFETCH(int, ended);
        QFETCH(int, steps);
        PanelBench bench;
        QVERIFY(bench.start());
        std::vector<std::unique_ptr<Link::DiagnosticMode>> guards;
        for (int i = 0; i < held; ++i)
            guards.push_back(std::make_unique<Link::DiagnosticMode>(bench.link));
        for (int i = 0; i < ended; ++i)
            guards.pop_back();
        QSignalSpy progress(&bench.link, &Link::dataByteReceived);
        QCOMPARE(bench.link.request(PanelCommand::AccessCodes).data.size(), 8u);
        QCOMPARE(progress.count(), steps);
        QCOMPARE(bench.link.inDiagnosticMode(), steps == 0);
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
        QVERIFY(reply.ok());
        QCOMPARE(nested, LinkFailure::Busy);
        QVERIFY(!woke);
        QCOMPARE(bench.panel.requests(), QList<QByteArray>{QByteArray::fromHex("01 06 15 03 1F 00")});
        QCOMPARE(bench.link.lastRequest(), (LinkRequest{PanelCommand::AlarmMode, {3}}));
        QCOMPARE(reply.data, Bytes{2});
        QVERIFY(bench.prompts.messages().isEmpty());
    }

    // request() gives back the reply's data, or why the last attempt failed: the byte that
    // spoiled the reply and where, a lost line, an abandoned wait.
    void failureReasons_data()
    {
        QTest::addColumn<std::optional<Fault>>("fault"); // on every reply; none: the line is cut at once
        QTest::addColumn<LinkFailure>("failure");
        QTest::addColumn<ReplyCheck::Fault>("badByte");
        QTest::addColumn<int>("position");
        using F = ReplyCheck::Fault;
        QTest::newRow("accepted") << std::optional<Fault>() << LinkFailure::None << F::None << -1;
        QTest::newRow("wrong start byte")
            << std::optional(Fault::WrongStartByte) << LinkFailure::BadByte << F::StartByte << 0;
        QTest::newRow("length 14") << std::optional(Fault::LengthTooLong) << LinkFailure::BadByte << F::Length
                                   << 1;
        QTest::newRow("wrong echo") << std::optional(Fault::WrongEcho) << LinkFailure::BadByte << F::Echo
                                    << 2;
        QTest::newRow("wrong sum") << std::optional(Fault::BadSum) << LinkFailure::BadByte << F::Check << 5;
    }
    void failureReasons()
    {
        QFETCH(std::optional<Fault>, fault);
        QFETCH(LinkFailure, failure);
        QFETCH(ReplyCheck::Fault, badByte);
        QFETCH(int, position);
        PanelBench bench;
        QVERIFY(bench.start());
        if (fault)
            bench.panel.addFault({*fault, 21});
        const LinkReply reply = bench.link.request(PanelCommand::AlarmMode, {3});
        QCOMPARE(reply.failure, failure);
        QCOMPARE(reply.badByte, badByte);
        QCOMPARE(reply.badBytePosition, position);
        QCOMPARE(reply.data, failure == LinkFailure::None ? Bytes{2} : Bytes{});
    }

    void lostAndAbandonedWaits()
    {
        PanelBench bench;
        QVERIFY(bench.start());
        bench.port->vanishAfterWrites(2);
        QCOMPARE(bench.link.request(PanelCommand::PanelMode).failure, LinkFailure::PortLost);
        QVERIFY(bench.start());
        bench.panel.addFault({Fault::Silence});
        QTimer::singleShot(100, &bench.link, [&] { bench.link.abort(); });
        QCOMPARE(bench.link.request(PanelCommand::PanelMode).failure, LinkFailure::Aborted);
    }

    // A reply accepted in the same pass of the event loop as the time-out: the transaction
    // succeeded, with the reply's data and no message.
    void replyAtTheTimeOut()
    {
        FakePrompts prompts;
        Link link(prompts, [](const PortChoice &) { return std::make_unique<LateLine>(); });
        QVERIFY(link.openPort(PortChoice::simulated()) && link.wakeUp());
        const LinkReply reply = link.request(PanelCommand::PanelMode);
        QCOMPARE(reply.failure, LinkFailure::None);
        QCOMPARE(reply.data, Bytes{0});
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

    // A wait cut short ends at once. An abort says nothing and refuses every later call; a lost port
    // is let go, with the message for each call that fails on it, the wake-up included. The next
    // opening talks again.
    void interrupted()
    {
        QFETCH(int, cut);
#ifdef Q_OS_WIN
        if (cut == kHangUp)
            QSKIP("no pseudo-terminal on Windows: the Wine COM port test loses its line");
#endif
        PanelBench bench;
        QVERIFY(bench.start(cut == kHangUp));
        bench.panel.addFault({Fault::Silence});
        if (cut >= 0)
            bench.port->vanishAfterWrites(cut);
        QTimer::singleShot(100, &bench.link, [&] {
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
        QVERIFY2(clock.elapsed() < 900, qPrintable(QString::number(clock.elapsed())));
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
