#include "SimFrames.h"
#include "SimWait.h"
#include "support/TestRegistry.h"

#include "sim/EmulatedPanel.h"
#include "sim/PtyPanel.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTest>

#include <ctime>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using SimFrames::bytes;
using SimFrames::frame;

namespace {

// Opens the slave as a serial program would, raw, and reads what comes back.
class SlaveEnd
{
public:
    explicit SlaveEnd(const QString &path)
    {
        m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd >= 0) {
            termios tio{};
            tcgetattr(m_fd, &tio);
            cfmakeraw(&tio);
            tcsetattr(m_fd, TCSANOW, &tio);
            m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
            QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
                char buffer[64];
                const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
                if (n > 0)
                    m_received.append(buffer, n);
            });
        }
    }
    ~SlaveEnd()
    {
        m_notifier.reset();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    bool write(const QByteArray &data) { return ::write(m_fd, data.constData(), data.size()) == data.size(); }
    // Waits until `count` bytes have come back.
    QByteArray receive(int count)
    {
        waitUntil(m_notifier.get(), &QSocketNotifier::activated,
                  [&] { return m_received.size() >= count; }, 2000);
        return m_received;
    }

private:
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_received;
};

} // namespace

class TestPtyPanel : public QObject
{
    Q_OBJECT

private slots:
    void answersFrameOnSlave();
    void survivesSlaveClosedAndReopened();
    void answersThroughQSerialPort();
};

void TestPtyPanel::answersFrameOnSlave()
{
    EmulatedPanel panel;
    PtyPanel pty(panel);
    QVERIFY2(pty.start(), qPrintable(pty.errorString()));
    QVERIFY(pty.devicePath().startsWith(QStringLiteral("/dev/")));
    SlaveEnd slave(pty.devicePath());
    QVERIFY(slave.isOpen());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(slave.write(bytes({0}) + QByteArray::fromHex("010615031f00")));
    QCOMPARE(slave.receive(6).toHex(' '), QByteArray::fromHex("010615021e00").toHex(' '));
    QVERIFY(clock.nsecsElapsed() >= (7 + 6) * 1'041'667LL + 5'000'000LL);
}

void TestPtyPanel::survivesSlaveClosedAndReopened()
{
    EmulatedPanel panel;
    PtyPanel pty(panel);
    QVERIFY(pty.start());
    {
        SlaveEnd first(pty.devicePath());
        QVERIFY(first.write(frame(20)));
        QCOMPARE(first.receive(6), frame(20, bytes({0})));
    }
    // The master sees no slave of the serial program for a while: the panel must sit idle,
    // not wake up again and again on the closed line.
    const std::clock_t cpuBefore = std::clock();
    QTest::qWait(200);
    const double cpuMs = 1000.0 * double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    QVERIFY2(cpuMs < 100, qPrintable(QStringLiteral("%1 ms of CPU while idle").arg(cpuMs)));
    SlaveEnd second(pty.devicePath());
    QVERIFY(second.isOpen());
    QVERIFY(second.write(frame(23)));
    QCOMPARE(second.receive(7), frame(23, bytes({3, 0})));
}

void TestPtyPanel::answersThroughQSerialPort()
{
    EmulatedPanel panel;
    PtyPanel pty(panel);
    QVERIFY(pty.start());
    for (int round = 0; round < 2; ++round) {
        QSerialPort port(pty.devicePath());
        port.setBaudRate(QSerialPort::Baud9600);
        port.setDataBits(QSerialPort::Data8);
        port.setParity(QSerialPort::NoParity);
        port.setStopBits(QSerialPort::OneStop);
        port.setFlowControl(QSerialPort::NoFlowControl);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        port.write(frame(13, bytes({1, 0x42 + round})));
        port.write(frame(12, bytes({1})));
        QByteArray received;
        waitUntil(&port, &QSerialPort::readyRead, [&] {
            received += port.readAll();
            return received.size() >= 11;
        }, 2000);
        QCOMPARE(received.toHex(' '), (frame(13) + frame(12, bytes({0x42 + round}))).toHex(' '));
        port.close();
    }
}

TORVA_TEST(TestPtyPanel)
#include "tst_ptypanel.moc"
