// The items of a configuration: each set in its own bits of the bytes the panel and the data files
// hold, without touching a neighbour, and each named and worded as the comparisons show it.
#include "support/DifferenceRows.h"
#include "support/TestRegistry.h"

#include "config/ConfigItems.h"
#include "config/Differences.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <functional>

using Change = std::function<void(PanelConfig &)>;
using Byte = std::function<std::uint8_t &(PanelConfig &)>;

namespace {

// The loop, function and relay the rows change; their neighbours must keep their bytes.
constexpr int kLoop = 2;
constexpr int kFunction = 1;
constexpr int kRelay = 1;

} // namespace

class TestItems : public QObject
{
    Q_OBJECT

private slots:
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
        row("temporised over immediate, bits beyond the functions kept", command, 0xE1, 0xE2,
            [](PanelConfig &c) { c.setUgaCommand(kLoop, UgaCommand::Temporised); });
        row("function 3 driven keeps the UGA command", command, 0x01, 0x11,
            [](PanelConfig &c) { c.setDrivesFunction(kLoop, 2, true); });
        row("type over the option boxes", function, 0x93, 0x92,
            [](PanelConfig &c) { c.setFunctionType(kFunction, FunctionType::RAC); });
        row("auxiliary contact cleared alone", function, 0xF5, 0xB5,
            [](PanelConfig &c) { c.setFunctionFlag(kFunction, FunctionFlag::AuxContact, false); });
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

    // The first configuration of every row is the one the editor starts with (card present); the
    // row changes the second one.
    void comparisonRows_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QList<Difference>>("expected");
        const auto row = differenceRow<PanelConfig>;
        row("double detection names both loops",
            [](PanelConfig &c) {
                c.setAlarmMode(6, AlarmMode::Double);
                c.setAlarmMode(7, AlarmMode::Double);
            },
            {{"Boucle 7 : mode alarme", "Mode Alarme simple", "Double détection avec la boucle 8",
              "loop7.alarmMode", "simple", "double"},
             {"Boucle 8 : mode alarme", "Mode Alarme simple", "Double détection avec la boucle 7",
              "loop8.alarmMode", "simple", "double"}});
        row("UGA command", [](PanelConfig &c) { c.setUgaCommand(0, UgaCommand::Immediate); },
            {{"Boucle 1 : commande UGA", "Temporisée", "Immédiate", "loop1.ugaCommand", "delayed",
              "immediate"}});
        row("loop no longer drives a function", [](PanelConfig &c) { c.setDrivesFunction(2, 1, false); },
            {{"Boucle 3 : fonction CMSI 2", "oui", "non", "loop3.cmsiFunction2", true, false}});
        row("function type", [](PanelConfig &c) { c.setFunctionType(1, FunctionType::RAC); },
            {{"Fonction 2 : type", "Rupture Sans Contrôle", "Rupture Avec Contrôle", "function2.type", "rsc",
              "rac"}});
        row("auxiliary contact",
            [](PanelConfig &c) {
                c.setFunctionType(0, FunctionType::RSC_UGA);
                c.setFunctionFlag(0, FunctionFlag::AuxContact, true);
            },
            {{"Fonction 1 : type", "Rupture Sans Contrôle", "Rupture Sans Contrôle Associé à l'UGA",
              "function1.type", "rsc", "rsc-uga"},
             {"Fonction 1 : Mise Hors Service avec le Contact Auxiliaire", "non", "oui",
              "function1.auxContact", false, true}});
        row("grouped with active button",
            [](PanelConfig &c) {
                c.setFunctionFlag(2, FunctionFlag::Grouped, true);
                c.setFunctionFlag(2, FunctionFlag::ActiveButton, true);
            },
            {{"Fonction 3 : Commande regroupée sur Fonction 1", "non", "oui", "function3.grouped", false,
              true},
             {"Fonction 3 : Bouton Actif", "non", "oui", "function3.activeButton", false, true}});
        row("short code", [](PanelConfig &c) { c.AccessCodes[0] = QStringLiteral("BC"); },
            {{"Code niveau 2", "BCAB", "BC (incomplet)", "code.level2", "BCAB", "BC"}});
        row("UGA tempo is no item", [](PanelConfig &c) { c.UgaTempo = 3; }, {});
        row("card absent beside other items",
            [](PanelConfig &c) {
                c.setCardPresent(false);
                c.setAlarmMode(0, AlarmMode::Discrimination);
                c.setRelayFollows(0, 0, true);
            },
            {{"Boucle 1 : mode alarme", "Mode Alarme simple", "Discrimination", "loop1.alarmMode", "simple",
              "discrimination"},
             {"Relais 1 : Boucle 1", "non", "oui", "relay1.loop1", false, true},
             {"Carte UP", "PRESENTE", "ABSENTE", "upCard", true, false}});
    }
    void comparisonRows()
    {
        QFETCH(Change, change);
        QFETCH(QList<Difference>, expected);
        PanelConfig other;
        change(other);
        QCOMPARE(differences(PanelConfig{}, other), expected);
    }

    // With the card absent on both sides its items are not compared: the editor does not show them.
    void cardAbsentOnBothSides()
    {
        PanelConfig first, second;
        first.setCardPresent(false);
        second.setCardPresent(false);
        second.setFunctionType(0, FunctionType::EAC);
        second.setUgaCommand(3, UgaCommand::Immediate);
        second.setDrivesFunction(3, 0, false);
        QVERIFY(differences(first, second).isEmpty());
    }

    // Scripts find an item by its key in torva-cli's JSON: two items under one key would hide one.
    void keysNameOneItemEach()
    {
        const QRegularExpression ascii(QStringLiteral("^[a-z][A-Za-z0-9.]*$"));
        QSet<QString> keys, names;
        const QList<ConfigItem> items = configItems(PanelConfig{});
        for (const ConfigItem &item : items) {
            QVERIFY2(ascii.match(item.key).hasMatch(), qPrintable(item.key));
            keys.insert(item.key);
            names.insert(item.name);
        }
        QCOMPARE(keys.size(), items.size());
        QCOMPARE(names.size(), items.size());
    }
};

TORVA_TEST(TestItems)
#include "tst_items.moc"
