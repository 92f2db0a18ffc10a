#pragma once

#include "link/SystemPorts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What Windows says of a device of its Ports class (SetupAPI), turned into a port of the list:
// the friendly name ("USB Serial Port (COM7)"), the port name its device key holds ("COM7"), its
// hardware ids ("FTDIBUS\COMPORT&VID_0403&PID_6001") and its instance id
// ("FTDIBUS\VID_0403+PID_6001+A50285BIA\0000"), and the manufacturer. Portable, so that the parsing
// is tested on every system; only the reading of the properties is Windows' own.
struct DeviceProperties
{
    QString friendlyName;
    QString portName;
    QStringList hardwareIds;
    QString instanceId;
    QString manufacturer;
};

// The port these properties describe, its description the friendly name without the "(COMn)"
// that the list shows anyway; none for a device that is no COM port (a printer port "LPT1", or
// nothing that names a port).
std::optional<DetectedPort> portFromProperties(const DeviceProperties &device);

// The ports SetupAPI gave, then those only the registry's list knows (where SetupAPI gives
// nothing, as under Wine), each once, COM2 before COM10.
QList<DetectedPort> mergedPorts(const QList<DetectedPort> &described, const QList<DetectedPort> &listed);
