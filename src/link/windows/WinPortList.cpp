#include "link/PortProperties.h"
#include "link/SystemPorts.h"

#include <windows.h>

#include <devguid.h>
#include <setupapi.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

// A text property of a device (REG_SZ), or its list (REG_MULTI_SZ) joined by zeros.
std::vector<wchar_t> deviceProperty(HDEVINFO devices, SP_DEVINFO_DATA &device, DWORD property)
{
    DWORD bytes = 0;
    SetupDiGetDeviceRegistryPropertyW(devices, &device, property, nullptr, nullptr, 0, &bytes);
    if (bytes == 0)
        return {};
    // Two zeros more than asked for: a list always ends, even one the driver wrote without them.
    std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 2, L'\0');
    if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, property, nullptr,
                                           reinterpret_cast<BYTE *>(text.data()), bytes, nullptr))
        return {};
    return text;
}

QString textProperty(HDEVINFO devices, SP_DEVINFO_DATA &device, DWORD property)
{
    const std::vector<wchar_t> text = deviceProperty(devices, device, property);
    return text.empty() ? QString() : QString::fromWCharArray(text.data());
}

QStringList listProperty(HDEVINFO devices, SP_DEVINFO_DATA &device, DWORD property)
{
    QStringList list;
    const std::vector<wchar_t> text = deviceProperty(devices, device, property);
    for (const wchar_t *item = text.data(); !text.empty() && *item; item += wcslen(item) + 1)
        list << QString::fromWCharArray(item);
    return list;
}

// "PortName" in the device's own key: "COM7".
QString portName(HDEVINFO devices, SP_DEVINFO_DATA &device)
{
    HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE)
        return {};
    wchar_t name[64] = {};
    DWORD bytes = sizeof(name) - sizeof(wchar_t);
    DWORD type = 0;
    const bool read = RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE *>(name),
                                       &bytes) == ERROR_SUCCESS &&
                      type == REG_SZ;
    RegCloseKey(key);
    return read ? QString::fromWCharArray(name) : QString();
}

QString instanceId(HDEVINFO devices, SP_DEVINFO_DATA &device)
{
    wchar_t id[512] = {};
    return SetupDiGetDeviceInstanceIdW(devices, &device, id, DWORD(std::size(id) - 1), nullptr)
               ? QString::fromWCharArray(id)
               : QString();
}

// The present devices of the Ports class, with the names Windows gives them.
QList<DetectedPort> describedPorts()
{
    QList<DetectedPort> ports;
    HDEVINFO devices = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        return ports;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        const DeviceProperties properties{
            textProperty(devices, device, SPDRP_FRIENDLYNAME), portName(devices, device),
            listProperty(devices, device, SPDRP_HARDWAREID), instanceId(devices, device),
            textProperty(devices, device, SPDRP_MFG)};
        if (const std::optional<DetectedPort> port = portFromProperties(properties))
            ports.append(*port);
    }
    SetupDiDestroyDeviceInfoList(devices);
    return ports;
}

// Every serial port driver lists its ports here, "\Device\Serial0" -> "COM1", without a name.
QList<DetectedPort> listedPorts()
{
    // The value names hold backslashes, which QSettings takes for key separators: read with the
    // registry's own calls.
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
    return ports;
}

} // namespace

QList<DetectedPort> detectedPorts() { return mergedPorts(describedPorts(), listedPorts()); }

PortChoice PortChoice::comPort(int number) { return {Kind::Device, QStringLiteral("COM%1").arg(number)}; }
