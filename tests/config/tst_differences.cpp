#include "support/DifferenceRows.h"
#include "support/TestRegistry.h"

#include "config/ConfigItems.h"
#include "config/Differences.h"

#include <QRegularExpression>
#include <QTest>

#include <functional>

using Change = std::function<void(PanelConfig &)>;
Q_DECLARE_METATYPE(Change)

// The first configuration of every row is the one the editor starts with (card present); the
// row changes the second one.
class TestDifferences : public QObject
{
    Q_OBJECT

private slots:
    void rows_data()
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
    void rows()
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

    // Every item has its own name and its own key: a row names exactly one control of the editor,
    // a key exactly one item, in letters, digits and dots a program can write.
    void itemNamesAreUnique()
    {
        QSet<QString> names;
        QSet<QString> keys;
        const QList<ConfigItem> items = configItems(PanelConfig{});
        static const QRegularExpression keyForm(QStringLiteral("^[a-z][a-zA-Z0-9]*(\\.[a-z][a-zA-Z0-9]*)?$"));
        for (const ConfigItem &item : items) {
            names.insert(item.name);
            keys.insert(item.key);
            QVERIFY2(keyForm.match(item.key).hasMatch(), qPrintable(item.key));
        }
        QCOMPARE(names.size(), items.size());
        QCOMPARE(keys.size(), items.size());
    }
};

TORVA_TEST(TestDifferences)
#include "tst_differences.moc"
