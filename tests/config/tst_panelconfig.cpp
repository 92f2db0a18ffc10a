// The items of a configuration against the bytes the panel and the data files hold: each item read
// from its bits, and each set without touching a neighbour.
#include "support/TestRegistry.h"

#include "config/PanelConfig.h"

#include <QTest>

#include <functional>

using Change = std::function<void(PanelConfig &)>;
Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(UgaCommand)
Q_DECLARE_METATYPE(FunctionType)
Q_DECLARE_METATYPE(AlarmMode)
Q_DECLARE_METATYPE(Output12v)
Q_DECLARE_METATYPE(Aes)
Q_DECLARE_METATYPE(QList<FunctionFlag>)

namespace {

// The loop, function and relay the rows change; their neighbours must keep their bytes.
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
        QTest::newRow("none, no function") << 0x00 << UgaCommand::None << QList{false, false, false} << true;
        QTest::newRow("immediate, function 1")
            << 0x05 << UgaCommand::Immediate << QList{true, false, false} << true;
        QTest::newRow("temporised, function 2")
            << 0x0A << UgaCommand::Temporised << QList{false, true, false} << true;
        QTest::newRow("none, function 3") << 0x10 << UgaCommand::None << QList{false, false, true} << true;
        QTest::newRow("start-up: temporised, every function")
            << 30 << UgaCommand::Temporised << QList{true, true, true} << true;
        QTest::newRow("both UGA bits read as immediate")
            << 0x03 << UgaCommand::Immediate << QList{false, false, false} << false;
        QTest::newRow("bit 5 beyond the functions")
            << 0x21 << UgaCommand::Immediate << QList{false, false, false} << false;
        QTest::newRow("bit 7 beyond the functions")
            << 0x9C << UgaCommand::None << QList{true, true, true} << false;
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

    // Setting the UGA command or a function changes its own bits of its own loop's byte only.
    void commandSet_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<Change>("change");
        QTest::addColumn<int>("after");
        const auto row = [](const char *name, int before, Change change, int after) {
            QTest::newRow(name) << before << change << after;
        };
        row(
            "immediate keeps the functions", 30,
            [](PanelConfig &c) { c.setUgaCommand(kLoop, UgaCommand::Immediate); }, 0x1D);
        row(
            "none clears both UGA bits", 0x1F,
            [](PanelConfig &c) { c.setUgaCommand(kLoop, UgaCommand::None); }, 0x1C);
        row(
            "temporised over immediate", 0x05,
            [](PanelConfig &c) { c.setUgaCommand(kLoop, UgaCommand::Temporised); }, 0x06);
        row(
            "bits beyond the functions kept", 0xE1,
            [](PanelConfig &c) { c.setUgaCommand(kLoop, UgaCommand::Temporised); }, 0xE2);
        row(
            "function 1 no longer driven", 30, [](PanelConfig &c) { c.setDrivesFunction(kLoop, 0, false); },
            0x1A);
        row(
            "function 2 no longer driven", 30, [](PanelConfig &c) { c.setDrivesFunction(kLoop, 1, false); },
            0x16);
        row(
            "function 3 no longer driven", 30, [](PanelConfig &c) { c.setDrivesFunction(kLoop, 2, false); },
            0x0E);
        row(
            "function 3 driven keeps the UGA command", 0x01,
            [](PanelConfig &c) { c.setDrivesFunction(kLoop, 2, true); }, 0x11);
        row(
            "function 1 driven twice", 0x04, [](PanelConfig &c) { c.setDrivesFunction(kLoop, 0, true); },
            0x04);
    }
    void commandSet()
    {
        QFETCH(int, before);
        QFETCH(Change, change);
        PanelConfig c;
        c.CommandMatrix[kLoop] = std::uint8_t(before);
        change(c);
        QTEST(int(c.CommandMatrix[kLoop]), "after");
        PanelConfig others = c;
        others.CommandMatrix[kLoop] = PanelConfig().CommandMatrix[kLoop];
        QCOMPARE(others, PanelConfig());
    }

    // A function byte: its low four bits the type, then one bit per option box.
    void functionRead_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<FunctionType>("type");
        QTest::addColumn<QList<FunctionFlag>>("flags");
        QTest::newRow("Nul") << 0x00 << FunctionType::Nul << QList<FunctionFlag>{};
        QTest::newRow("RAC") << 0x02 << FunctionType::RAC << QList<FunctionFlag>{};
        QTest::newRow("ESC grouped, delayed")
            << 0x93 << FunctionType::ESC << QList{FunctionFlag::Delayed, FunctionFlag::Grouped};
        QTest::newRow("RSC_UGA with the auxiliary contact")
            << 0x45 << FunctionType::RSC_UGA << QList{FunctionFlag::AuxContact};
        QTest::newRow("EAC grouped with the active button")
            << 0x34 << FunctionType::EAC << QList{FunctionFlag::Grouped, FunctionFlag::ActiveButton};
        QTest::newRow("every option, type 15 named by no option")
            << 0xFF << FunctionType(15)
            << QList{FunctionFlag::AuxContact, FunctionFlag::Delayed, FunctionFlag::Grouped,
                     FunctionFlag::ActiveButton};
    }
    void functionRead()
    {
        QFETCH(int, byte);
        PanelConfig c;
        c.FunctionTypes[kFunction] = std::uint8_t(byte);
        QTEST(c.functionType(kFunction), "type");
        QList<FunctionFlag> flags;
        for (FunctionFlag flag : kFunctionFlags)
            if (c.functionFlag(kFunction, flag))
                flags << flag;
        QTEST(flags, "flags");
    }

    // Setting the type keeps the option boxes; setting a box keeps the type and the other boxes.
    void functionSet_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<Change>("change");
        QTest::addColumn<int>("after");
        const auto row = [](const char *name, int before, Change change, int after) {
            QTest::newRow(name) << before << change << after;
        };
        row(
            "type over the boxes", 0x93,
            [](PanelConfig &c) { c.setFunctionType(kFunction, FunctionType::RAC); }, 0x92);
        row(
            "type Nul", 0xF5, [](PanelConfig &c) { c.setFunctionType(kFunction, FunctionType::Nul); }, 0xF0);
        row(
            "grouped", 0x01,
            [](PanelConfig &c) { c.setFunctionFlag(kFunction, FunctionFlag::Grouped, true); }, 0x11);
        row(
            "active button", 0x11,
            [](PanelConfig &c) { c.setFunctionFlag(kFunction, FunctionFlag::ActiveButton, true); }, 0x31);
        row(
            "auxiliary contact", 0x05,
            [](PanelConfig &c) { c.setFunctionFlag(kFunction, FunctionFlag::AuxContact, true); }, 0x45);
        row(
            "delayed", 0x03,
            [](PanelConfig &c) { c.setFunctionFlag(kFunction, FunctionFlag::Delayed, true); }, 0x83);
        row(
            "auxiliary contact cleared alone", 0xF5,
            [](PanelConfig &c) { c.setFunctionFlag(kFunction, FunctionFlag::AuxContact, false); }, 0xB5);
        row(
            "grouping cleared alone", 0xF5,
            [](PanelConfig &c) { c.setFunctionFlag(kFunction, FunctionFlag::Grouped, false); }, 0xE5);
    }
    void functionSet()
    {
        QFETCH(int, before);
        QFETCH(Change, change);
        PanelConfig c;
        c.FunctionTypes[kFunction] = std::uint8_t(before);
        change(c);
        QTEST(int(c.FunctionTypes[kFunction]), "after");
        PanelConfig others = c;
        others.FunctionTypes[kFunction] = PanelConfig().FunctionTypes[kFunction];
        QCOMPARE(others, PanelConfig());
    }

    // A relay byte: bit j for loop j + 1, read and set one loop at a time.
    void relay_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("loop");
        QTest::addColumn<bool>("follows");
        QTest::addColumn<bool>("set");
        QTest::addColumn<int>("after");
        QTest::newRow("loop 1 added") << 0x00 << 0 << false << true << 0x01;
        QTest::newRow("loop 8 added") << 0x01 << 7 << false << true << 0x81;
        QTest::newRow("loop 4 removed, the others kept") << 0xFF << 3 << true << false << 0xF7;
        QTest::newRow("loop 6 kept") << 0x20 << 5 << true << true << 0x20;
    }
    void relay()
    {
        QFETCH(int, before);
        QFETCH(int, loop);
        QFETCH(bool, set);
        PanelConfig c;
        c.RelayMatrix[kRelay] = std::uint8_t(before);
        QTEST(c.relayFollows(kRelay, loop), "follows");
        c.setRelayFollows(kRelay, loop, set);
        QTEST(int(c.RelayMatrix[kRelay]), "after");
        QCOMPARE(int(c.RelayMatrix[0]), 0);
    }

    // An alarm mode the editor has no option for counts as double detection, and is written back so.
    void alarmMode_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<AlarmMode>("mode");
        QTest::addColumn<int>("written");
        QTest::newRow("0 normal") << 0 << AlarmMode::Normal << 0;
        QTest::newRow("1 discrimination") << 1 << AlarmMode::Discrimination << 1;
        QTest::newRow("2 double detection") << 2 << AlarmMode::Double << 2;
        QTest::newRow("7 counts as double detection") << 7 << AlarmMode::Double << 2;
    }
    void alarmMode()
    {
        QFETCH(int, byte);
        QFETCH(AlarmMode, mode);
        PanelConfig c;
        c.AlarmModes[kLoop] = std::uint8_t(byte);
        QCOMPARE(c.alarmMode(kLoop), mode);
        c.setAlarmMode(kLoop, mode);
        QTEST(int(c.AlarmModes[kLoop]), "written");
        QCOMPARE(int(c.AlarmModes[kLoop + 1]), 0);
    }

    // The two-way items as the editor reads them: the 12 V output and the AES from 0 or not, the
    // card present only at 1.
    void twoWayItems_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<Output12v>("output12v");
        QTest::addColumn<Aes>("aes");
        QTest::addColumn<bool>("card");
        QTest::newRow("0") << 0 << Output12v::Permanent << Aes::Internal << false;
        QTest::newRow("1") << 1 << Output12v::Rearmable << Aes::External << true;
        QTest::newRow("2") << 2 << Output12v::Rearmable << Aes::External << false;
    }
    void twoWayItems()
    {
        QFETCH(int, byte);
        PanelConfig c;
        c.Output12vMode = std::uint8_t(byte);
        c.AesChoice = std::uint8_t(byte);
        c.UpCardPresent = std::uint8_t(byte);
        QTEST(c.output12v(), "output12v");
        QTEST(c.aes(), "aes");
        QTEST(c.cardPresent(), "card");
    }
};

TORVA_TEST(PanelConfigTest)
#include "tst_panelconfig.moc"
