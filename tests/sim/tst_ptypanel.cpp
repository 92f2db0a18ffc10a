#include "SimFrames.h"
#include "support/TestRegistry.h"

#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"
#include <QElapsedTimer>
#ifndef Q_OS_WIN
#include "simtool/PtyPanel.h"

#include <QSerialPort>
#endif
#include <QSignalSpy>
#include <QTest>

#include <ctime>

namespace {

constexpr qint64 kByteNs = 1'041'667; // ten bits at 9600 baud

} // namespace

// The panel's replies paced like the 9600-baud line, behind the emulated port and on a
// pseudo-terminal.
class TestPacedLine : public QObject
{
    Q_OBJECT

private slots:
    void replyPacedLikeTheLine_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("turnaroundMs");
        QTest::addColumn<int>("wireBytes"); // bytes that must cross the line before the last arrives

        QTest::newRow("mode read") << frame(20) << 5 << 5 + 6;
        QTest::newRow("relay write, 40 ms turnaround") << frame(13, {0, 0x81}) << 40 << 7 + 5;
        // The second reply waits for the end of the first.
        QTest::newRow("two requests back to back") << frame(20) + frame(4) << 5 << 5 + 6 + 13;
    }

    void replyPacedLikeTheLine()
    {
        QFETCH(QByteArray, sent);
        QFETCH(int, turnaroundMs);
        QFETCH(int, wireBytes);
        const QByteArray expected = EmulatedPanel().receive(sent);
        EmulatedPanel panel;
        EmulatedPort port(panel);
        port.setTurnaround(std::chrono::milliseconds(turnaroundMs));
        QVERIFY(port.open());
        QSignalSpy ready(&port, &SerialPort::readyRead);
        QElapsedTimer clock;
        clock.start();
        for (char c : sent)
            QVERIFY(port.writeByte(std::uint8_t(c)));
        QCOMPARE(port.bytesWaiting(), 0);
        while (port.bytesWaiting() < expected.size() && ready.wait(2000)) {
        }
        const qint64 elapsed = clock.nsecsElapsed();
        const qint64 wireNs = wireBytes * kByteNs + turnaroundMs * 1'000'000LL;
        QVERIFY2(elapsed >= wireNs, qPrintable(QStringLiteral("%1 ns < %2 ns").arg(elapsed).arg(wireNs)));
        QByteArray received;
        for (std::uint8_t b = 0; port.readByte(b);)
            received.append(char(b));
        QCOMPARE(received.toHex(' '), expected.toHex(' '));
    }

    void closeDropsPendingReply()
    {
        EmulatedPanel panel;
        EmulatedPort port(panel);
        QVERIFY(port.open());
        for (char c : frame(4))
            QVERIFY(port.writeByte(std::uint8_t(c)));
        port.close();
        QVERIFY(port.open());
        QSignalSpy ready(&port, &SerialPort::readyRead);
        QVERIFY(!ready.wait(60));
        QCOMPARE(port.bytesWaiting(), 0);
    }

    // An adapter pulled out in the middle of a request: the port closes at once, reports the
    // loss later from the event loop as a real port does, and stays gone until plugged back in.
    void vanishesAfterWrites()
    {
        EmulatedPanel panel;
        EmulatedPort port(panel);
        QVERIFY(port.open());
        QSignalSpy failed(&port, &SerialPort::failed);
        port.vanishAfterWrites(3);
        for (char c : frame(20).left(3))
            QVERIFY(port.writeByte(std::uint8_t(c)));
        QVERIFY(!port.isOpen());
        QVERIFY(!port.writeByte(std::uint8_t(frame(20)[3])));
        QCOMPARE(failed.count(), 0);
        QVERIFY(failed.wait(500));
        QVERIFY(!failed.wait(20));
        QVERIFY(!port.open());
        port.plugBackIn();
        QVERIFY(port.open());
    }

#ifndef Q_OS_WIN
    // The real serial-port code against the panel on a pseudo-terminal, closed and opened again:
    // the panel answers each time, paced, and sits idle while no port is open.
    void ptyAnswersAndSurvivesReopen()
    {
        EmulatedPanel panel;
        PtyPanel pty(panel);
        QVERIFY2(pty.start(), qPrintable(pty.errorString()));
        for (int round = 0; round < 2; ++round) {
            QSerialPort port(pty.devicePath());
            QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
            QSignalSpy ready(&port, &QSerialPort::readyRead);
            QElapsedTimer clock;
            clock.start();
            port.write(QByteArray(1, 0) + frame(13, {1, 0x42 + round}) + frame(12, {1}));
            QByteArray received;
            while (received.size() < 11 && ready.wait(2000))
                received += port.readAll();
            QCOMPARE(received.toHex(' '), (frame(13) + frame(12, {0x42 + round})).toHex(' '));
            // Wake-up byte and first request, the turnaround, then both replies.
            QVERIFY(clock.nsecsElapsed() >= (1 + 7 + 5 + 6) * kByteNs + 5'000'000LL);
            port.close();

            const std::clock_t cpuBefore = std::clock();
            QTest::qWait(200);
            const double cpuMs = 1000.0 * double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
            QVERIFY2(cpuMs < 40, qPrintable(QStringLiteral("%1 ms of CPU while closed").arg(cpuMs)));
        }
    }
#endif
};

TORVA_TEST(TestPacedLine)
#include "tst_pacedline.moc"
