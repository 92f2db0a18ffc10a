#pragma once

#include "sim/PacedLine.h"

#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <chrono>
#include <memory>

class EmulatedPanel;

// Serves an emulated panel on a new pseudo-terminal, so that the real serial-port code
// (QSerialPort) can talk to it through the slave device. Both ends are put in raw mode; the
// master is watched by a socket notifier and the replies are written back paced like the
// 9600-baud line.
//
// The panel keeps its own descriptor of the slave open for its whole life: on Linux a read on
// the master fails with EIO while no slave is open, which would otherwise fire the notifier
// without end once the serial port closes; with the slave held, the port can be closed and
// reopened on the same path as often as needed.
class PtyPanel : public QObject
{
    Q_OBJECT
public:
    explicit PtyPanel(EmulatedPanel &panel, QObject *parent = nullptr);
    ~PtyPanel() override;

    // Opens the pseudo-terminal. False, with errorString(), when the system refuses one.
    bool start();
    // The slave's path ("/dev/pts/N"), for QSerialPort; empty before start().
    QString devicePath() const { return m_path; }
    QString errorString() const { return m_error; }
    void setTurnaround(std::chrono::milliseconds t) { m_line.setTurnaround(t); }

private:
    void readMaster();
    void writeMaster(const QByteArray &bytes);
    void stop();

    EmulatedPanel &m_panel;
    PacedLine m_line;
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QString m_error;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
