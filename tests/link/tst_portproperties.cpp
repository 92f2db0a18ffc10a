// What Windows says of a serial adapter, turned into the port list's line: the port's name, the
// adapter's name and maker, its serial number; ports only the registry lists come after, once.
#include "support/TestRegistry.h"

#include "link/PortProperties.h"

#include <QTest>

Q_DECLARE_METATYPE(DeviceProperties)
Q_DECLARE_METATYPE(std::optional<DetectedPort>)

namespace {

bool samePort(const DetectedPort &a, const DetectedPort &b)
{
    return a.location == b.location && a.description == b.description && a.manufacturer == b.manufacturer &&
           a.serialNumber == b.serialNumber;
}

QStringList locations(const QList<DetectedPort> &ports)
{
    QStringList list;
    for (const DetectedPort &port : ports)
        list << port.location + QLatin1Char('|') + port.description;
    return list;
}

} // namespace

class PortPropertiesTest : public QObject
{
    Q_OBJECT
private slots:
    void fromProperties_data()
    {
        QTest::addColumn<DeviceProperties>("device");
        QTest::addColumn<std::optional<DetectedPort>>("port");
        QTest::newRow("FTDI adapter, its serial number from the instance id")
            << DeviceProperties{"USB Serial Port (COM7)",
                                "COM7",
                                {"FTDIBUS\\COMPORT&VID_0403&PID_6001"},
                                "FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000",
                                "FTDI"}
            << std::optional(DetectedPort{"COM7", "USB Serial Port", "FTDI", "A50285BI"});
        QTest::newRow("Prolific adapter, COM12, no serial number")
            << DeviceProperties{"Prolific USB-to-Serial Comm Port (COM12)",
                                "COM12",
                                {"USB\\VID_067B&PID_2303&REV_0300"},
                                "USB\\VID_067B&PID_2303\\5&2A1B3C4D&0&2",
                                "Prolific"}
            << std::optional(DetectedPort{"COM12", "Prolific USB-to-Serial Comm Port", "Prolific", {}});
        QTest::newRow("port name missing: taken from the friendly name")
            << DeviceProperties{"USB-to-Serial Comm Port (COM3)", {}, {}, {}, {}}
            << std::optional(DetectedPort{"COM3", "USB-to-Serial Comm Port", {}, {}});
        QTest::newRow("the device key's port name wins over the friendly name")
            << DeviceProperties{"Communications Port (COM1)", "COM4", {}, {}, "(Standard port types)"}
            << std::optional(DetectedPort{"COM4", "Communications Port", "(Standard port types)", {}});
        QTest::newRow("a printer port is no serial port")
            << DeviceProperties{"Printer Port (LPT1)", "LPT1", {}, {}, {}} << std::optional<DetectedPort>();
    }
    void fromProperties()
    {
        QFETCH(DeviceProperties, device);
        QFETCH(std::optional<DetectedPort>, port);
        const std::optional<DetectedPort> made = portFromProperties(device);
        QCOMPARE(made.has_value(), port.has_value());
        if (port)
            QVERIFY2(samePort(*made, *port), qPrintable(made->location + " " + made->description + " " +
                                                        made->manufacturer + " " + made->serialNumber));
    }

    void registryFillsWhatSetupApiMissed()
    {
        const QList<DetectedPort> described{{"COM10", "USB Serial Port", "FTDI", {}},
                                            {"COM3", "Communications Port", {}, {}}};
        const QList<DetectedPort> listed{{"COM3", {}, {}, {}}, {"COM2", {}, {}, {}}, {"COM10", {}, {}, {}}};
        QCOMPARE(locations(mergedPorts(described, listed)),
                 QStringList({"COM2|", "COM3|Communications Port", "COM10|USB Serial Port"}));
        // Under Wine SetupAPI gives nothing: the registry's list alone.
        QCOMPARE(locations(mergedPorts({}, listed)), QStringList({"COM2|", "COM3|", "COM10|"}));
    }
};

TORVA_TEST(PortPropertiesTest)
#include "tst_portproperties.moc"
