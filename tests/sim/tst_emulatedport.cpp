#include "SimFrames.h"
#include "SimWait.h"
#include "support/TestRegistry.h"

#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using SimFrames::bytes;
using SimFrames::frame;

namespace {

constexpr qint64 kByteNs = 1'041'667;   // ten bits at 9600 baud

void writeAll(EmulatedPort &port, const QByteArray &data)
{
    for (char c : data)
        QVERIFY(port.writeByte(std::uint8_t(c)));
}

QByteArray readAll(EmulatedPort &port)
{
    QByteArray out;
    std::uint8_t b = 0;
    while (port.readByte(b))
        out.append(char(b));
    return out;
}

} // namespace

class TestEmulatedPort : public QObject
{
    Q_OBJECT

private slots:
    void replyPacedLikeTheLine_data();
    void replyPacedLikeTheLine();
    void repliesNeverOverlap();
    void closeDropsPendingReply();
    void openCanBeMadeToFail();
    void vanishesAfterWrites();
    void injectedBytesWaitInOrder();
    void recordsWhatWasWritten();
};

void TestEmulatedPort::replyPacedLikeTheLine_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("replyLength");
    QTest::addColumn<int>("turnaroundMs");

    QTest::newRow("mode read, 5 ms") << frame(20) << 6 << 5;
    QTest::newRow("access codes, 5 ms") << frame(4) << 13 << 5;
    QTest::newRow("relay write, 40 ms") << frame(13, bytes({0, 0x81})) << 5 << 40;
}

void TestEmulatedPort::replyPacedLikeTheLine()
{
    QFETCH(QByteArray, request);
    QFETCH(int, replyLength);
    QFETCH(int, turnaroundMs);
    EmulatedPanel panel;
    EmulatedPort port(panel);
    port.setTurnaround(std::chrono::milliseconds(turnaroundMs));
    QVERIFY(port.open());

    QElapsedTimer clock;
    clock.start();
    writeAll(port, request);
    QCOMPARE(port.bytesWaiting(), 0);
    QVERIFY(waitUntil(&port, &SerialPort::readyRead,
                      [&] { return port.bytesWaiting() >= replyLength; }, 2000));
    const qint64 elapsed = clock.nsecsElapsed();
    const qint64 wireTime = (request.size() + replyLength) * kByteNs + turnaroundMs * 1'000'000LL;
    QVERIFY2(elapsed >= wireTime, qPrintable(QStringLiteral("%1 ns < %2 ns").arg(elapsed).arg(wireTime)));
    QCOMPARE(port.bytesWaiting(), replyLength);
    QCOMPARE(readAll(port), EmulatedPanel().receive(request));
}

void TestEmulatedPort::repliesNeverOverlap()
{
    EmulatedPanel panel;
    EmulatedPort port(panel);
    QVERIFY(port.open());
    QElapsedTimer clock;
    clock.start();
    writeAll(port, frame(20) + frame(4));
    QVERIFY(waitUntil(&port, &SerialPort::readyRead, [&] { return port.bytesWaiting() >= 19; }, 2000));
    // The second reply waits for the end of the first: 5 + 6 bytes, then 13, plus one turnaround.
    QVERIFY(clock.nsecsElapsed() >= 24 * kByteNs + 5'000'000LL);
    QCOMPARE(readAll(port).toHex(' '),
             (frame(20, bytes({0})) + frame(4, bytes({3, 4, 5, 3, 5, 3, 4, 4}))).toHex(' '));
}

void TestEmulatedPort::closeDropsPendingReply()
{
    EmulatedPanel panel;
    EmulatedPort port(panel);
    QVERIFY(port.open());
    writeAll(port, frame(4));
    port.close();
    QVERIFY(!port.writeByte(0));
    QVERIFY(port.open());
    QSignalSpy ready(&port, &SerialPort::readyRead);
    QTest::qWait(60);
    QCOMPARE(ready.count(), 0);
    QCOMPARE(port.bytesWaiting(), 0);
}

void TestEmulatedPort::openCanBeMadeToFail()
{
    EmulatedPanel panel;
    EmulatedPort port(panel);
    port.setOpenFails(true);
    QVERIFY(!port.open());
    QVERIFY(!port.isOpen());
    QVERIFY(!port.errorString().isEmpty());
    QVERIFY(!port.writeByte(1));
    port.setOpenFails(false);
    QVERIFY(port.open());
    QCOMPARE(port.deviceName(), QStringLiteral("ECS simulée"));
}

void TestEmulatedPort::vanishesAfterWrites()
{
    EmulatedPanel panel;
    EmulatedPort port(panel);
    QVERIFY(port.open());
    QSignalSpy failed(&port, &SerialPort::failed);
    port.vanishAfterWrites(3);
    const QByteArray request = frame(20);
    QVERIFY(port.writeByte(std::uint8_t(request[0])));
    QVERIFY(port.writeByte(std::uint8_t(request[1])));
    QVERIFY(port.writeByte(std::uint8_t(request[2])));
    QVERIFY(!port.isOpen());
    QVERIFY(!port.writeByte(std::uint8_t(request[3])));
    QCOMPARE(failed.count(), 0);   // reported from the event loop, like a real port
    QVERIFY(failed.wait(500));
    QTest::qWait(20);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(port.written(), request.left(3));
    QVERIFY(panel.requests().isEmpty());
    QVERIFY(!port.open());
    port.plugBackIn();
    QVERIFY(port.open());
}

void TestEmulatedPort::injectedBytesWaitInOrder()
{
    EmulatedPanel panel;
    EmulatedPort port(panel);
    QVERIFY(port.open());
    QSignalSpy ready(&port, &SerialPort::readyRead);
    port.injectIncoming(bytes({0xAA, 0x01, 0x55}));
    QCOMPARE(ready.count(), 1);
    QCOMPARE(port.bytesWaiting(), 3);
    QCOMPARE(readAll(port), bytes({0xAA, 0x01, 0x55}));
    QVERIFY(panel.requests().isEmpty());   // they came from the line, not from the PC
}

void TestEmulatedPort::recordsWhatWasWritten()
{
    EmulatedPanel panel;
    EmulatedPort port(panel);
    QVERIFY(!port.writeByte(0));   // closed: refused and not recorded
    QVERIFY(port.open());
    writeAll(port, bytes({0}));
    QTest::qWait(30);
    writeAll(port, frame(20) + frame(21, bytes({3})));
    QCOMPARE(port.written(), bytes({0}) + frame(20) + frame(21, bytes({3})));
    const auto frames = port.framesWritten();
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames[0].second, frame(20));
    QCOMPARE(frames[1].second, frame(21, bytes({3})));
    QVERIFY(frames[0].first >= 30);
    QVERIFY(frames[1].first >= frames[0].first);
    QCOMPARE(panel.requests(), (QList<QByteArray>{frame(20), frame(21, bytes({3}))}));
}

TORVA_TEST(TestEmulatedPort)
#include "tst_emulatedport.moc"
