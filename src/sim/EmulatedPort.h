#pragma once

#include "link/SerialPort.h"
#include "sim/PacedLine.h"

#include <QByteArray>
#include <QList>
#include <QPair>

#include <chrono>

class EmulatedPanel;

// The PC's end of a serial line whose other end is an emulated panel: what the link writes
// reaches the panel, and the panel's replies come back paced like the real 9600-baud line
// (PacedLine). Also the test bench's view of the line: it records every byte written and can
// misbehave on request (vanish like an adapter pulled out, hold stray bytes).
class EmulatedPort : public SerialPort
{
    Q_OBJECT
public:
    explicit EmulatedPort(EmulatedPanel &panel, QObject *parent = nullptr);

    bool open() override;
    // Drops every received byte not yet read and every reply byte still on its way.
    void close() override;
    bool isOpen() const override { return m_open; }
    qint64 bytesWaiting() const override { return m_incoming.size(); }
    bool readByte(std::uint8_t &byte) override;
    bool writeByte(std::uint8_t byte) override;
    QString errorString() const override { return m_error; }
    QString deviceName() const override { return m_deviceName; }

    void setTurnaround(std::chrono::milliseconds t) { m_line.setTurnaround(t); }
    // Bytes already waiting to be read, as if the line had picked up noise; readyRead follows.
    void injectIncoming(const QByteArray &bytes);
    // The adapter is pulled out once n more bytes have been written (n = 0: now): the port
    // closes, drops what it held, refuses to reopen until plugBackIn(), and emits failed()
    // from the event loop, as a real port reports a lost device.
    void vanishAfterWrites(int n);
    void plugBackIn() { m_gone = false; }

    // Every byte the PC wrote while open, wake-up 0 included.
    QByteArray written() const { return m_written; }
    // Each request frame written, cut by its own length byte, with the time of its first byte
    // in milliseconds since the port was made. Bytes outside frames (the wake-up 0) are skipped.
    QList<QPair<qint64, QByteArray>> framesWritten() const { return m_frames; }

private:
    void vanish();
    void noteFrameByte(std::uint8_t byte);

    EmulatedPanel &m_panel;
    PacedLine m_line;
    bool m_open = false;
    bool m_gone = false;
    int m_writesBeforeVanish = -1;
    QByteArray m_incoming;
    QString m_error;
    const QString m_deviceName = QStringLiteral("ECS simulée");
    QByteArray m_written;
    QList<QPair<qint64, QByteArray>> m_frames;
    QByteArray m_partialFrame;
    qint64 m_partialFrameStart = 0;
};
