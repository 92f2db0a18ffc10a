#pragma once

#include "sim/PacedLine.h"

#include <QObject>
#include <QSerialPort>
#include <QString>

#include <chrono>

class EmulatedPanel;

// Serves an emulated panel on a real serial device at 9600 baud 8N1 without flow control, for
// a null-modem cable to the configurator's PC (or to a second port of the same PC). The replies
// leave paced like the panel's own line, a turnaround after each request.
class SerialPanel : public QObject
{
    Q_OBJECT
public:
    explicit SerialPanel(EmulatedPanel &panel, QObject *parent = nullptr);

    // False, with errorString(), when the device cannot be opened at those settings.
    bool start(const QString &device);
    QString errorString() const { return m_port.errorString(); }
    void setTurnaround(std::chrono::milliseconds t) { m_line.setTurnaround(t); }

signals:
    // The device failed while open (adapter pulled out); the port is closed.
    void lost(const QString &reason);

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    PacedLine m_line;
};
