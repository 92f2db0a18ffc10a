// The items of a configuration against the bytes the panel and the data files hold: each item read
// from its bits, and each set without touching a neighbour.
#include "support/TestRegistry.h"

#include "config/PanelConfig.h"

#include <QTest>

#include <functional>

using Change = std::function<void(PanelConfig &)>;
using Byte = std::function<std::uint8_t &(PanelConfig &)>;
Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(Byte)
Q_DECLARE_METATYPE(UgaCommand)
Q_DECLARE_METATYPE(AlarmMode)

namespace {

// The loop, function and relay the rows change; their neighbours must keep their bytes. How each
// item reads is pinned with its wording by the differences' table.
constexpr int kLoop = 2;
constexpr int kFunction = 1;
constexpr int kRelay = 1;

} // namespace

class PanelConfigTest : public QObject
{
    Q_OBJECT

private slots:
    // A command byte as the editor reads it: bit 0 immediate (winning over bit 1), bit 1
    // temporised, bits 2-4 the three functions; anything else the editor cannot show.
    void commandRead_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<UgaCommand>("uga");
        QTest::addColumn<QList<bool>>("drives");
        QTest::addColumn<bool>("fits");
        QTest::newRow("immediate, function 1")
            << 0x05 << UgaCommand::Immediate << QList{true, false, false} << true;
        QTest::newRow("temporised, function 2")
            << 0x0A << UgaCommand::Temporised << QList{false, true, false} << true;
        QTest::newRow("both UGA bits read as immediate")
            << 0x03 << UgaCommand::Immediate << QList{false, false, false} << false;
        QTest::newRow("bit 5 beyond the functions")
            << 0x21 << UgaCommand::Immediate << QList{false, false, false} << false;
    }
    void commandRead()
    {
        QFETCH(int, byte);
        QFETCH(QList<bool>, drives);
        PanelConfig c;
        c.CommandMatrix[kLoop] = std::uint8_t(byte);
        QTEST(c.ugaCommand(kLoop), "uga");
        QCOMPARE((QList{c.drivesFunction(kLoop, 0), c.drivesFunction(kLoop, 1), c.drivesFunction(kLoop, 2)}),
                 drives);
        QTEST(c.commandFitsEditor(kLoop), "fits");
    }

    // Setting an item changes its own bits of its own byte only.
    void set_data()
    {
        QTest::addColumn<Byte>("byte");
        QTest::addColumn<int>("before");
        QTest::addColumn<Change>("change");
        QTest::addColumn<int>("after");
        const Byte command = [](PanelConfig &c) -> std::uint8_t & { return c.CommandMatrix[kLoop]; };
        const Byte function = [](PanelConfig &c) -> std::uint8_t & { return c.FunctionTypes[kFunction]; };
        const Byte relay = [](PanelConfig &c) -> std::uint8_t & { return c.RelayMatrix[kRelay]; };
        const Byte mode = [](PanelConfig &c) -> std::uint8_t & { return c.AlarmModes[kLoop]; };
        // Each row sets one item of a byte holding `before` and must leave `after` there.
        const auto row = [](const char *name, const Byte &byte, int before, int after, Change change) {
            QTest::newRow(name) << byte << before << change << after;
        };
        row("immediate keeps the functions", command, 30, 0x1D,
            [](PanelConfig &c) { c.setUgaCommand(kLoop, UgaCommand::Immediate); });
        row("none clears both UGA bits", command, 0x1F, 0x1C,
            [](PanelConfig &c) { c.setUgaCommand(kLoop, UgaCommand::None); });
        row("temporised over immediate, bits beyond the functions kept", command, 0xE1, 0xE2,
            [](PanelConfig &c) { c.setUgaCommand(kLoop, UgaCommand::Temporised); });
        row("function 1 no longer driven", command, 30, 0x1A,
            [](PanelConfig &c) { c.setDrivesFunction(kLoop, 0, false); });
        row("function 3 driven keeps the UGA command", command, 0x01, 0x11,
            [](PanelConfig &c) { c.setDrivesFunction(kLoop, 2, true); });
        row("type over the option boxes", function, 0x93, 0x92,
            [](PanelConfig &c) { c.setFunctionType(kFunction, FunctionType::RAC); });
        row("auxiliary contact cleared alone", function, 0xF5, 0xB5,
            [](PanelConfig &c) { c.setFunctionFlag(kFunction, FunctionFlag::AuxContact, false); });
        row("relay: loop 8 added", relay, 0x01, 0x81,
            [](PanelConfig &c) { c.setRelayFollows(kRelay, 7, true); });
        row("relay: loop 4 removed, the others kept", relay, 0xFF, 0xF7,
            [](PanelConfig &c) { c.setRelayFollows(kRelay, 3, false); });
        row("alarm mode 7 written back as double detection", mode, 7, 2,
            [](PanelConfig &c) { c.setAlarmMode(kLoop, c.alarmMode(kLoop)); });
    }
    void set()
    {
        QFETCH(Byte, byte);
        QFETCH(int, before);
        QFETCH(Change, change);
        PanelConfig c;
        byte(c) = std::uint8_t(before);
        change(c);
        QTEST(int(byte(c)), "after");
        PanelConfig start;
        byte(c) = byte(start);
        QCOMPARE(c, start);
    }
};

TORVA_TEST(PanelConfigTest)
#include "tst_panelconfig.moc"
