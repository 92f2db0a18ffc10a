#include "link/posix/QtSerialPort.h"

#include "link/OpenFailure.h"
#include "link/SystemPorts.h"

#include <QFile>

#ifdef Q_OS_LINUX
#include <grp.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

QtSerialPort::QtSerialPort(const QString &device, QObject *parent) : SerialPort(parent), m_device(device)
{
    connect(&m_port, &QSerialPort::readyRead, this, [this] {
        if (!m_fetching)
            emit readyRead();
    });
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort()
{
    disconnect(&m_port, nullptr, this, nullptr);
    m_port.close();
}

bool QtSerialPort::open()
{
    if (m_port.isOpen())
        m_port.close();
    m_openFailure.clear();
    if (m_device.isEmpty()) {
        m_openFailure = QStringLiteral("Aucun port n'a été indiqué.");
        return false;
    }
    m_port.setPortName(m_device);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_openFailure =
            failureDetails(m_port.error(), m_device, m_port.errorString(), refusingGroup(m_device));
        return false;
    }
    const bool set = m_port.setBaudRate(QSerialPort::Baud9600) && m_port.setDataBits(QSerialPort::Data8) &&
                     m_port.setParity(QSerialPort::NoParity) && m_port.setStopBits(QSerialPort::OneStop) &&
                     m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!set) {
        m_openFailure = failureDetails(m_port.error(), m_device, m_port.errorString(), {});
        m_port.close();
        return false;
    }
    setLowLatency();
    return true;
}

void QtSerialPort::setLowLatency()
{
#ifdef Q_OS_LINUX
    // USB adapters otherwise hold received bytes for up to 16 ms before passing them on. Not
    // every driver knows the request (a pseudo-terminal does not); the port works without it.
    const int fd = int(m_port.handle());
    serial_struct serial{};
    if (fd >= 0 && ::ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        (void)::ioctl(fd, TIOCSSERIAL, &serial);
    }
#endif
}

void QtSerialPort::close() { m_port.close(); }

bool QtSerialPort::isOpen() const { return m_port.isOpen(); }

void QtSerialPort::fetchPending() const
{
    if (!m_port.isOpen() || m_port.bytesAvailable() > 0 || m_fetching)
        return;
    // waitForReadyRead(0) only polls; the readyRead it raises is not passed on, since the caller
    // is reading right now.
    m_fetching = true;
    if (!m_port.waitForReadyRead(0) && m_port.error() == QSerialPort::TimeoutError)
        m_port.clearError(); // nothing had come in: not a fault of the line
    m_fetching = false;
}

qint64 QtSerialPort::bytesWaiting() const
{
    fetchPending();
    return m_port.isOpen() ? m_port.bytesAvailable() : 0;
}

bool QtSerialPort::readByte(std::uint8_t &byte)
{
    fetchPending();
    char c = 0;
    if (!m_port.isOpen() || !m_port.getChar(&c))
        return false;
    byte = std::uint8_t(c);
    return true;
}

bool QtSerialPort::writeByte(std::uint8_t byte)
{
    const char c = char(byte);
    if (!m_port.isOpen() || m_port.write(&c, 1) != 1)
        return false;
    m_port.flush(); // out now, not at the next turn of the event loop
    return true;
}

QString QtSerialPort::errorString() const
{
    return m_openFailure.isEmpty() ? m_port.errorString() : m_openFailure;
}

QString QtSerialPort::failureDetails(QSerialPort::SerialPortError error, const QString &device,
                                     const QString &systemReason, const QString &group)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return openFailureDetails(OpenFailure::NotFound, device, systemReason);
    case QSerialPort::PermissionError:
        // The same error stands for a device held by another program (its lock) and for one the
        // account may not open; only the second comes with the group to join.
        return group.isEmpty() ? openFailureDetails(OpenFailure::Busy, device, systemReason)
                               : openFailureDetails(OpenFailure::RightsGroup, device, systemReason, group);
    case QSerialPort::OpenError:
        return openFailureDetails(OpenFailure::AlreadyOpen, device, systemReason);
    default:
        return openFailureDetails(OpenFailure::Other, device, systemReason);
    }
}

QString QtSerialPort::refusingGroup(const QString &device)
{
#ifdef Q_OS_LINUX
    const QByteArray path = QFile::encodeName(device);
    struct stat status
    {};
    if (::access(path.constData(), R_OK | W_OK) == 0 || errno != EACCES ||
        ::stat(path.constData(), &status) != 0 || status.st_gid == 0 ||
        (status.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP))
        return {}; // not a refusal of rights, or the group could not grant them
    // getgrgid_r: the port may be opened while another thread looks up a group.
    group entry{};
    group *found = nullptr;
    char buffer[4096];
    if (::getgrgid_r(status.st_gid, &entry, buffer, sizeof buffer, &found) != 0 || !found)
        return {};
    return QString::fromLocal8Bit(found->gr_name);
#else
    Q_UNUSED(device);
    return {};
#endif
}

QString QtSerialPort::deviceName() const { return m_device; }

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    // A failing read or write is as final as a vanished device: left open, the port would be
    // signalled again and again (a hung-up line reports a read error on every turn of the loop).
    const bool lost = error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
                      error == QSerialPort::WriteError;
    if (!lost || !m_port.isOpen())
        return;
    m_port.close();
    emit failed();
}

std::unique_ptr<SerialPort> makeSystemPort(const QString &device)
{
    return std::make_unique<QtSerialPort>(device);
}
