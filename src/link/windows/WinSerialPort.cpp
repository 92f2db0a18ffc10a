#include "link/windows/WinSerialPort.h"

#include "link/OpenFailure.h"
#include "link/SystemPorts.h"

#include <QWinEventNotifier>

#include <windows.h>

#include <algorithm>

struct WinSerialPort::Io
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    OVERLAPPED read{};
    OVERLAPPED write{};
    HANDLE drained = nullptr; // the event of the reads that take what the driver already holds
    char readByte = 0;        // the single byte the pending read fills
    bool reading = false;     // a ReadFile is pending on `read`
    bool writing = false;     // a WriteFile is pending on `write`
    QByteArray writeBuffer;   // the bytes of the pending WriteFile, alive until it completes

    Io()
    {
        // Manual-reset events, as overlapped I/O requires; ReadFile and WriteFile reset them when
        // they start.
        read.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        write.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        drained = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~Io()
    {
        ::CloseHandle(read.hEvent);
        ::CloseHandle(write.hEvent);
        ::CloseHandle(drained);
    }
};

namespace {

constexpr DWORD kReadChunk = 256;

OpenFailure openFailureOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_NAME:
        return OpenFailure::NotFound;
    case ERROR_ACCESS_DENIED: // Windows answers so for a port another program holds
    case ERROR_SHARING_VIOLATION:
        return OpenFailure::Busy;
    default:
        return OpenFailure::Other;
    }
}

} // namespace

WinSerialPort::WinSerialPort(const QString &device, QObject *parent) : SerialPort(parent), m_device(device) {}

WinSerialPort::~WinSerialPort() { close(); }

QString WinSerialPort::win32Path(const QString &device)
{
    if (device.startsWith(QStringLiteral("\\\\.\\")))
        return device;
    return QStringLiteral("\\\\.\\") + device;
}

QString WinSerialPort::systemError(unsigned long code) const
{
    wchar_t *buffer = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    QString text = length ? QString::fromWCharArray(buffer, int(length)).trimmed()
                          : QStringLiteral("erreur %1").arg(code);
    ::LocalFree(buffer);
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

bool WinSerialPort::open()
{
    close();
    m_error.clear();
    if (m_device.isEmpty()) {
        m_error = QStringLiteral("Aucun port n'a été indiqué.");
        return false;
    }
    m_io = std::make_unique<Io>();
    m_io->handle =
        ::CreateFileW(reinterpret_cast<const wchar_t *>(win32Path(m_device).utf16()),
                      GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (m_io->handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        m_error = openFailureDetails(openFailureOf(error), m_device, systemError(error));
        m_io.reset();
        return false;
    }
    if (!configure()) {
        const DWORD error = ::GetLastError();
        m_error = openFailureDetails(OpenFailure::Other, m_device, systemError(error));
        ::CloseHandle(m_io->handle);
        m_io.reset();
        return false;
    }
    m_readDone = std::make_unique<QWinEventNotifier>(m_io->read.hEvent);
    connect(m_readDone.get(), &QWinEventNotifier::activated, this, &WinSerialPort::onReadCompleted);
    m_writeDone = std::make_unique<QWinEventNotifier>(m_io->write.hEvent);
    connect(m_writeDone.get(), &QWinEventNotifier::activated, this, &WinSerialPort::onWriteCompleted);
    if (!startRead()) {
        const DWORD error = ::GetLastError();
        close();
        m_error = openFailureDetails(OpenFailure::Other, m_device, systemError(error));
        return false;
    }
    return true;
}

bool WinSerialPort::configure()
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(m_io->handle, &dcb))
        return false;
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE; // an error must not stop every later read until it is cleared
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!::SetCommState(m_io->handle, &dcb))
        return false;
    // No time-outs: a read completes when its byte has come, a write when its bytes are sent.
    COMMTIMEOUTS timeouts{};
    if (!::SetCommTimeouts(m_io->handle, &timeouts))
        return false;
    ::PurgeComm(m_io->handle, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
    return true;
}

bool WinSerialPort::startRead()
{
    m_io->reading = true;
    if (::ReadFile(m_io->handle, &m_io->readByte, 1, nullptr, &m_io->read))
        return true; // done already; its event is set and the notifier will call back
    if (::GetLastError() == ERROR_IO_PENDING)
        return true;
    m_io->reading = false;
    return false;
}

bool WinSerialPort::collectRead()
{
    DWORD got = 0;
    if (!::GetOverlappedResult(m_io->handle, &m_io->read, &got, FALSE))
        return ::GetLastError() == ERROR_IO_INCOMPLETE; // still pending is no failure
    m_io->reading = false;
    // With no time-outs the read ends only with its byte: ending without one means the line is
    // gone (some drivers end reads so when the device disappears).
    if (got != 1)
        return false;
    m_received.append(m_io->readByte);
    // The rest of the burst is in the driver already: take it now rather than a byte per turn.
    COMSTAT status{};
    DWORD errors = 0;
    if (::ClearCommError(m_io->handle, &errors, &status) && status.cbInQue > 0) {
        char chunk[kReadChunk];
        DWORD more = 0;
        OVERLAPPED now{};
        now.hEvent = m_io->drained;
        const DWORD wanted = std::min<DWORD>(status.cbInQue, kReadChunk);
        if (::ReadFile(m_io->handle, chunk, wanted, nullptr, &now) || (::GetLastError() == ERROR_IO_PENDING))
            if (::GetOverlappedResult(m_io->handle, &now, &more, TRUE))
                m_received.append(chunk, int(more));
    }
    return startRead();
}

void WinSerialPort::onReadCompleted()
{
    if (!m_io)
        return;
    // The event stays set until someone resets it, and the notifier fires again for as long as
    // it is: reset it first (an operation that ends after this sets it again).
    ::ResetEvent(m_io->read.hEvent);
    if (!m_io->reading)
        return;
    const int before = int(m_received.size());
    if (!collectRead()) {
        fail();
        return;
    }
    if (m_received.size() > before)
        emit readyRead();
}

bool WinSerialPort::startWrite()
{
    m_io->writeBuffer = std::exchange(m_toWrite, {});
    m_io->writing = true;
    if (::WriteFile(m_io->handle, m_io->writeBuffer.constData(), DWORD(m_io->writeBuffer.size()), nullptr,
                    &m_io->write))
        return true;
    if (::GetLastError() == ERROR_IO_PENDING)
        return true;
    m_io->writing = false;
    return false;
}

void WinSerialPort::onWriteCompleted()
{
    if (!m_io)
        return;
    ::ResetEvent(m_io->write.hEvent); // as for a read: else the notifier fires without end
    if (!m_io->writing)
        return;
    DWORD sent = 0;
    if (!::GetOverlappedResult(m_io->handle, &m_io->write, &sent, FALSE)) {
        if (::GetLastError() == ERROR_IO_INCOMPLETE)
            return;
        fail();
        return;
    }
    m_io->writing = false;
    if (sent != DWORD(m_io->writeBuffer.size())) {
        fail();
        return;
    }
    if (!m_toWrite.isEmpty() && !startWrite())
        fail();
}

void WinSerialPort::fail()
{
    close();
    emit failed();
}

void WinSerialPort::close()
{
    if (!m_io)
        return;
    m_readDone.reset();
    m_writeDone.reset();
    // Cancel first, then wait for each pending operation to end, then close: the kernel writes
    // into the OVERLAPPED and the buffers until the operation has ended.
    ::SetCommMask(m_io->handle, 0);
    ::CancelIoEx(m_io->handle, nullptr);
    DWORD ignored = 0;
    if (m_io->reading)
        ::GetOverlappedResult(m_io->handle, &m_io->read, &ignored, TRUE);
    if (m_io->writing)
        ::GetOverlappedResult(m_io->handle, &m_io->write, &ignored, TRUE);
    ::CloseHandle(m_io->handle);
    m_io.reset();
    m_received.clear();
    m_toWrite.clear();
}

bool WinSerialPort::isOpen() const { return bool(m_io); }

qint64 WinSerialPort::bytesWaiting() const
{
    // A read that has completed but whose notification is still on its way counts already, so
    // that a flush empties the line and not only what was announced.
    if (m_io && m_io->reading && m_received.isEmpty() && HasOverlappedIoCompleted(&m_io->read)) {
        auto *self = const_cast<WinSerialPort *>(this);
        if (!self->collectRead())
            self->fail();
    }
    return m_received.size();
}

bool WinSerialPort::readByte(std::uint8_t &byte)
{
    if (m_received.isEmpty() && bytesWaiting() == 0)
        return false;
    byte = std::uint8_t(m_received.front());
    m_received.remove(0, 1);
    return true;
}

bool WinSerialPort::writeByte(std::uint8_t byte)
{
    if (!m_io)
        return false;
    m_toWrite.append(char(byte));
    if (!m_io->writing && !startWrite()) {
        m_toWrite.clear();
        return false;
    }
    return true;
}

QString WinSerialPort::errorString() const { return m_error; }

QString WinSerialPort::deviceName() const { return m_device; }

std::unique_ptr<SerialPort> makeSystemPort(const QString &device)
{
    return std::make_unique<WinSerialPort>(device);
}
