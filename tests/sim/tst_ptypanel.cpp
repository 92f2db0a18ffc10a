// torva-ecs-sim's pseudo-terminal, through the real serial-port code.
#include "SimFrames.h"
#include "support/TestRegistry.h"

#include "sim/EmulatedPanel.h"
#ifndef Q_OS_WIN
#include "simtool/PtyPanel.h"

#include <QSerialPort>
#endif
#include <QSignalSpy>
#include <QTest>

#include <ctime>

class TestPtyPanel : public QObject
{
    Q_OBJECT

private slots:
#ifndef Q_OS_WIN
    // Closed and opened again, the panel answers each time, and sits idle while no port is open.
    void answersAndIdlesBetweenOpenings()
    {
        EmulatedPanel panel;
        PtyPanel pty(panel);
        QVERIFY2(pty.start(), qPrintable(pty.errorString()));
        for (int round = 0; round < 2; ++round) {
            QSerialPort port(pty.devicePath());
            QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
            QSignalSpy ready(&port, &QSerialPort::readyRead);
            port.write(QByteArray(1, 0) + frame(13, {1, 0x42 + round}) + frame(12, {1}));
            QByteArray received;
            while (received.size() < 11 && ready.wait(2000))
                received += port.readAll();
            QCOMPARE(received.toHex(' '), (frame(13) + frame(12, {0x42 + round})).toHex(' '));
            port.close();

            // A panel that spins on the closed line shows as a whole core.
            const std::clock_t cpuBefore = std::clock();
            QTest::qWait(200);
            const double cpuMs = 1000.0 * double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
            QVERIFY2(cpuMs < 60, qPrintable(QStringLiteral("%1 ms of CPU while closed").arg(cpuMs)));
        }
    }
#endif
};

TORVA_TEST(TestPtyPanel)
#include "tst_ptypanel.moc"
