#pragma once

#include "link/SerialPort.h"

#include <QByteArray>

#include <memory>

class QWinEventNotifier;

// The real serial line on Windows: a COM port opened with Win32 at 9600 baud, 8 data bits, no
// parity, one stop bit, no flow control, raw bytes.
//
// Reading keeps one overlapped ReadFile of a single byte pending, with no read time-outs: it
// completes when a byte arrives and stays silent otherwise, so an idle line costs nothing. Its
// completion is waited on by a QWinEventNotifier in the event loop; what else the driver holds is
// then taken at once. (A pending WaitCommEvent is not used: some drivers, Wine's among them, end
// it without cause many times a second.) Writing queues the bytes behind one overlapped WriteFile.
// No modem line is read or set: some drivers refuse them.
//
// A read or a write that fails (the USB adapter pulled out) closes the port and emits failed().
// Closing cancels what is pending and waits for it to end before the handle is closed, as an
// operation still running would otherwise write into freed memory or keep the port held.
class WinSerialPort : public SerialPort
{
    Q_OBJECT
public:
    explicit WinSerialPort(const QString &device, QObject *parent = nullptr);
    ~WinSerialPort() override;

    bool open() override;
    void close() override;
    bool isOpen() const override;
    qint64 bytesWaiting() const override;
    bool readByte(std::uint8_t &byte) override;
    bool writeByte(std::uint8_t byte) override;
    QString errorString() const override;
    QString deviceName() const override;

    // "COM5" -> "\\.\COM5", the name CreateFileW opens for every port number; a name already in
    // that form is kept.
    static QString win32Path(const QString &device);

private:
    struct Io; // the Win32 handle and the two overlapped operations

    bool configure();
    bool startRead();
    // Takes the completed read's byte and whatever the driver holds besides, and starts the next
    // read; false when the line failed. A read still pending is no failure.
    bool collectRead();
    void onReadCompleted();
    bool startWrite();
    void onWriteCompleted();
    void fail();
    QString systemError(unsigned long code) const;

    QString m_device;
    std::unique_ptr<Io> m_io;
    mutable QByteArray m_received;
    QByteArray m_toWrite;
    QString m_error;
    std::unique_ptr<QWinEventNotifier> m_readDone;
    std::unique_ptr<QWinEventNotifier> m_writeDone;
};
