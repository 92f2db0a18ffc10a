#include "simtool/SerialPanel.h"

#include "sim/EmulatedPanel.h"

SerialPanel::SerialPanel(EmulatedPanel &panel, QObject *parent)
    : QObject(parent), m_line(panel, [this](const QByteArray &bytes) {
          if (m_port.isOpen())
              m_port.write(bytes);
      })
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialPanel::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialPanel::onError);
}

bool SerialPanel::start(const QString &device)
{
    m_port.setPortName(device);
    if (!m_port.open(QIODevice::ReadWrite))
        return false;
    const bool set = m_port.setBaudRate(QSerialPort::Baud9600) && m_port.setDataBits(QSerialPort::Data8) &&
                     m_port.setParity(QSerialPort::NoParity) && m_port.setStopBits(QSerialPort::OneStop) &&
                     m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!set) {
        m_port.close();
        return false;
    }
    m_port.clear(); // whatever the line picked up before the panel was there
    return true;
}

void SerialPanel::onReadyRead()
{
    const QByteArray bytes = m_port.readAll();
    for (char byte : bytes)
        m_line.sendToPanel(std::uint8_t(byte));
}

void SerialPanel::onError(QSerialPort::SerialPortError error)
{
    const bool lostDevice = error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
                            error == QSerialPort::WriteError;
    if (!lostDevice || !m_port.isOpen())
        return;
    const QString reason = m_port.errorString();
    m_port.close();
    m_line.dropPending();
    emit lost(reason);
}
