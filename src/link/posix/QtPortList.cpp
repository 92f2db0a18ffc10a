#include "link/SystemPorts.h"

#include <QSerialPortInfo>

QList<DetectedPort> detectedPorts()
{
    QList<DetectedPort> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        ports.append({info.systemLocation(), info.description(), info.manufacturer(), info.serialNumber()});
    return ports;
}

// COM1 is the first serial device the kernel names, ttyS0.
PortChoice PortChoice::comPort(int number)
{
    return {Kind::Device, QStringLiteral("/dev/ttyS%1").arg(number - 1)};
}
