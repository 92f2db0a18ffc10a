#pragma once

#include "link/SerialPort.h"

#include <QList>
#include <QString>

#include <memory>

// The serial ports of the system the program runs on. One implementation per system, chosen by
// the build: QSerialPort on Linux (posix/QtSerialPort.cpp, the list and the names of the ports in
// posix/QtPortList.cpp), Win32 on Windows (windows/WinSerialPort.cpp, windows/WinPortList.cpp).

// A port the system knows of, as its adapter describes itself (any part may be empty).
struct DetectedPort
{
    QString location; // "/dev/ttyUSB0", "COM5"
    QString description;
    QString manufacturer;
    QString serialNumber;
};

// The serial ports present now, for the "Autre :" list of the port selection.
QList<DetectedPort> detectedPorts();

// The system's serial port for a device name, not yet open.
std::unique_ptr<SerialPort> makeSystemPort(const QString &device);

// Makes the system's serial port for a device choice and hands the simulated choice to
// `simulated` (which may be empty: the simulated panel is then not offered).
PortFactory makeRealPortFactory(PortFactory simulated = {});
