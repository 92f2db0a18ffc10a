#pragma once

#include "link/SerialPort.h"

#include <QSerialPort>

// The real serial line on Linux: a QSerialPort at 9600 baud, 8 data bits, no parity, one stop bit, no
// flow control, raw bytes. Bytes the driver holds but Qt has not fetched yet count as waiting,
// so that a flush empties the line and not only Qt's buffer. When the adapter disappears
// (QSerialPort::ResourceError) or the line fails to read or write, the port closes itself and
// emits failed().
//
// When an opening is refused, errorString() gives the system's reason followed by what the
// installer can do about it (join the group that owns the device, plug the adapter in), in French,
// for the details of the opening failure message.
class QtSerialPort : public SerialPort
{
    Q_OBJECT
public:
    explicit QtSerialPort(const QString &device, QObject *parent = nullptr);
    ~QtSerialPort() override;

    bool open() override;
    void close() override;
    bool isOpen() const override;
    qint64 bytesWaiting() const override;
    bool readByte(std::uint8_t &byte) override;
    bool writeByte(std::uint8_t byte) override;
    QString errorString() const override;
    QString deviceName() const override;

    // Why the device could not be opened and what to do about it. `group` names the group whose
    // members may open the device (refusingGroup()), empty when the refusal was not about rights.
    static QString failureDetails(QSerialPort::SerialPortError error, const QString &device,
                                  const QString &systemReason, const QString &group);
    // When this account may not read and write the device, the name of the group that owns it
    // (joining it grants the access); empty otherwise, when only root owns it, and on systems
    // without device files.
    static QString refusingGroup(const QString &device);

private:
    // Fetches what the driver already received, without waiting and without re-announcing it.
    void fetchPending() const;
    void onError(QSerialPort::SerialPortError error);
    void setLowLatency();

    QString m_device;
    mutable QSerialPort m_port;
    mutable bool m_fetching = false;
    QString m_openFailure; // the details of the last refused opening, empty once opened
};
