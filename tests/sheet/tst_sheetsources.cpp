// Where the sheet's header comes from: the data file last opened, imported or saved, the panel
// the diagnostic window read, and the menu items that make the sheet.
#include "support/TestRegistry.h"
#include "SheetBench.h"
#include "diag/DiagBench.h"
#include "files/FileFixtures.h"

#include <QFileInfo>
#include <QMenu>
#include <QPushButton>

class SheetSourcesTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }
    void dataFileName_data();
    void dataFileName();
    void panelReadByTheDiagnostic_data();
    void panelReadByTheDiagnostic();
    void fileNameIsPrintedAsWritten();
    void menuItems();
    void menuItemsWaitForTheExchange();
};

void SheetSourcesTest::dataFileName_data()
{
    QTest::addColumn<QStringList>("steps");   // "save:NAME", "open:NAME", "import:NAME", "receive"
    QTest::addColumn<QString>("recorded");    // the file name the sheet shows, empty for none

    QTest::newRow("nothing yet") << QStringList{} << QString();
    QTest::newRow("saved") << QStringList{"save:a.dat"} << "a.dat";
    QTest::newRow("opened") << QStringList{"save:a.dat", "open:v2.dat"} << "v2.dat";
    QTest::newRow("imported") << QStringList{"import:v1.dat"} << "v1.dat";
    QTest::newRow("failed save keeps the earlier file") << QStringList{"open:v2.dat", "save:absent/b.dat"} << "v2.dat";
    QTest::newRow("refused file keeps the earlier file") << QStringList{"save:a.dat", "open:v1.dat"} << "a.dat";
    QTest::newRow("cancelled open keeps the earlier file") << QStringList{"save:a.dat", "open:"} << "a.dat";
    QTest::newRow("a receive replaces the file's configuration") << QStringList{"open:v2.dat", "receive"} << QString();
}

void SheetSourcesTest::dataFileName()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, recorded);
    SheetBench b;
    QVERIFY(FileFixtures::writeAll(b.path("v2.dat"), FileFixtures::joinLines(FileFixtures::startupFields())));
    QVERIFY(FileFixtures::writeAll(b.path("v1.dat"), FileFixtures::joinLines(FileFixtures::startupFields("TORVA_DATA"))));

    for (const QString &step : steps) {
        const QString name = step.section(QLatin1Char(':'), 1);
        b.prompts.fileAnswers << (name.isEmpty() ? QString() : b.path(name));
        if (step.startsWith(QLatin1String("save")))
            b.window.Save_Menu->trigger();
        else if (step.startsWith(QLatin1String("open")))
            b.window.Open_Menu->trigger();
        else if (step.startsWith(QLatin1String("import")))
            b.window.Import_Mnu->trigger();
        else
            b.window.Command1->click();
    }
    QCOMPARE(b.session.DataFileName ? QFileInfo(*b.session.DataFileName).fileName() : QString(), recorded);
}

void SheetSourcesTest::panelReadByTheDiagnostic_data()
{
    QTest::addColumn<int>("refusedCommand");   // the opening read that fails, 0 for none
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("serial");
    QTest::newRow("both read") << 0 << "Version du programme = 3.0" << "N° de Série =020712345";
    QTest::newRow("version refused") << 23 << QString() << QString();
    QTest::newRow("serial refused: no half-read panel") << 16 << QString() << QString();
}

void SheetSourcesTest::panelReadByTheDiagnostic()
{
    QFETCH(int, refusedCommand);
    QFETCH(QString, version);
    QFETCH(QString, serial);
    DiagBench bench;
    bench.declareCard(false);
    // Read in an earlier diagnostic of this run, maybe on another panel.
    bench.session.PanelVersion = QStringLiteral("Version du programme = 9.9");
    bench.session.PanelSerial = QStringLiteral("N° de Série =070099999");
    if (refusedCommand)
        bench.panel.addFault({Fault::WrongDataCount, refusedCommand});
    bench.open();
    if (refusedCommand)
        QVERIFY(bench.waitEnded());
    else
        QVERIFY(bench.activated());
    QCOMPARE(bench.session.PanelVersion.value_or(QString()), version);
    QCOMPARE(bench.session.PanelSerial.value_or(QString()), serial);
    if (!refusedCommand) {
        bench.window->Fermer->click();
        QVERIFY(bench.waitEnded());
    }
}

void SheetSourcesTest::fileNameIsPrintedAsWritten()
{
    // A file name is the installer's text: markup in it is shown, never obeyed.
    SheetBench b;
    b.session.DataFileName = QStringLiteral("/chantiers/<b>Site & Co<i>.dat");
    const QString file = b.path(QStringLiteral("fiche.pdf"));
    b.exportTo(file);
    SHEET_HOLDS(SheetText::pdfText(file), QStringList{"Fichier de données : <b>Site & Co<i>.dat"});
}

void SheetSourcesTest::menuItems()
{
    SheetBench b;
    QStringList items;
    for (QAction *a : b.window.Util_Menu->actions())
        items << a->objectName() + QLatin1Char('=') + a->text();
    QCOMPARE(items.mid(2, 3), QStringList({"Save_Menu=Enregistrer", "Print_Menu=Imprimer la configuration...",
                                           "Pdf_Menu=Exporter en PDF..."}));
}

void SheetSourcesTest::menuItemsWaitForTheExchange()
{
    SheetBench b;
    QList<bool> during;
    b.commands.setPortSelection([&] {
        during = {b.window.Print_Menu->isEnabled(), b.window.Pdf_Menu->isEnabled()};
        return PortOutcome::Cancelled;
    });
    b.window.Command1->click();
    QCOMPARE(during, QList<bool>({false, false}));
    QCOMPARE(QList<bool>({b.window.Print_Menu->isEnabled(), b.window.Pdf_Menu->isEnabled()}),
             QList<bool>({true, true}));
}

TORVA_TEST(SheetSourcesTest)
#include "tst_sheetsources.moc"
