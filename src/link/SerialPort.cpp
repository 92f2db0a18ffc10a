#include "link/SerialPort.h"

PortChoice PortChoice::comPort(int number)
{
#ifdef Q_OS_WIN
    return {Kind::Device, QStringLiteral("COM%1").arg(number)};
#else
    return {Kind::Device, QStringLiteral("/dev/ttyS%1").arg(number - 1)};
#endif
}
