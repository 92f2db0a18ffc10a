#include "link/SystemPorts.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

QList<DetectedPort> detectedPorts()
{
    // Every serial port driver lists its ports here, "\Device\Serial0" -> "COM1". The value
    // names hold backslashes, which QSettings takes for key separators: read with the registry's
    // own calls.
    QList<DetectedPort> ports;
    HKEY map = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &map) !=
        ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[256];
        DWORD nameLength = DWORD(std::size(valueName));
        wchar_t data[64] = {};
        DWORD dataBytes = sizeof(data) - sizeof(wchar_t); // room for a terminating zero
        DWORD type = 0;
        const LONG result = RegEnumValueW(map, index, valueName, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE *>(data), &dataBytes);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        const QString name = QString::fromWCharArray(data).trimmed();
        if (!name.isEmpty())
            ports.append({name, {}, {}, {}});
    }
    RegCloseKey(map);
    // COM2 before COM10.
    std::sort(ports.begin(), ports.end(), [](const DetectedPort &a, const DetectedPort &b) {
        return a.location.size() != b.location.size() ? a.location.size() < b.location.size()
                                                      : a.location < b.location;
    });
    return ports;
}

PortChoice PortChoice::comPort(int number) { return {Kind::Device, QStringLiteral("COM%1").arg(number)}; }
