// The configuration sheet as a PDF file: what the installer reads on it, on one page, and the
// refusals of a file that cannot be written.
#include "support/TestRegistry.h"
#include "SheetBench.h"

#include <QCheckBox>
#include <QDirIterator>
#include <QFile>
#include <QPrinter>
#include <QRadioButton>

namespace {

// Every loop in normal mode with the temporised UGA command and the three functions, as after
// start-up.
QStringList startUpLoopRows()
{
    QStringList rows;
    for (int n = 1; n <= 8; ++n)
        rows << QStringLiteral("Boucle %1 Mode Alarme simple Temporisée 1, 2, 3").arg(n);
    return rows;
}

// The names of everything in `folder`, so that a refused export can be shown to leave nothing.
QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class SheetPdfTest : public QObject
{
    Q_OBJECT
private slots:
    void startUpSheet();
    void everyTypeAndOption_data();
    void everyTypeAndOption();
    void cardAbsentShowsNoCardValues();
    void unwritablePath_data();
    void unwritablePath();
    void cancelledDialogWritesNothing();
    void printGoesThroughTheChosenPrinter();
    void printerThatCannotStart();
};

void SheetPdfTest::startUpSheet()
{
    SheetBench b;
    const QString file = b.path(QStringLiteral("fiche.pdf"));
    b.exportTo(file);

    QCOMPARE(b.prompts.shown.size(), 1);
    QCOMPARE(b.prompts.shown[0].kind, FakePrompts::Shown::Kind::SaveDialog);
    QCOMPARE(b.prompts.shown[0].title, QStringLiteral("pdf"));           // the default suffix
    QVERIFY(b.prompts.shown[0].text.startsWith(QStringLiteral("Fichiers PDF (*.pdf)")));
    QCOMPARE(b.prompts.busyDepth, 0);
    QVERIFY(b.session.ConfigSaved);   // a sheet is no save and no edit

    const QString text = SheetText::pdfText(file);
    const QStringList expected = QStringList{
        QStringLiteral("TORVA-PC V3.0"),
        QStringLiteral("14/03/2026 à 09:05"),
        QStringLiteral("Fichier de données : aucun"),
        QStringLiteral("ECS : version et numéro de série non lus"),
    } + startUpLoopRows() + QStringList{
        QStringLiteral("RELAIS 1 Aucune boucle RELAIS 2 Aucune boucle"),
        QStringLiteral("Carte UP : PRESENTE"),
        QStringLiteral("FONCTION 1 Rupture Sans Contrôle Aucune option"),
        QStringLiteral("FONCTION 2 Rupture Sans Contrôle Aucune option"),
        QStringLiteral("FONCTION 3 Rupture Sans Contrôle Aucune option"),
        QStringLiteral("Alimentation Diffuseurs : AES Interne"),
        QStringLiteral("Tempo UGA : non lue"),
        QStringLiteral("SORTIE 12V : Permanente"),
        QStringLiteral("CODE NIVEAU 2 : BCAB"),
        QStringLiteral("CODE NIVEAU 3 : CCBA"),
        QStringLiteral("Nom de l'installateur : Date : Signature :"),
    };
    SHEET_HOLDS(text, expected);
    QCOMPARE(SheetText::pdfPages(file), 1);
}

void SheetPdfTest::everyTypeAndOption_data()
{
    QTest::addColumn<QList<int>>("types");        // the three function bytes
    QTest::addColumn<QStringList>("functionRows");

    QTest::newRow("unused, RSC with every option, RAC grouped")
        << QList<int>{0, 1 | 0x10 | 0x20 | 0x80, 2 | 0x10}
        << QStringList{
               "FONCTION 1 Non utilisée Aucune option",
               "FONCTION 2 Rupture Sans Contrôle Temporisé 20s, Commande regroupée sur Fonction 1, Bouton Actif",
               "FONCTION 3 Rupture Avec Contrôle Commande regroupée sur Fonction 1",
           };
    QTest::newRow("ESC delayed, EAC, RSC with the UGA and the auxiliary contact")
        << QList<int>{3 | 0x80, 4, 5 | 0x40}
        << QStringList{
               "FONCTION 1 Emission Sans Contrôle Temporisé 20s",
               "FONCTION 2 Emission Avec Contrôle Aucune option",
               "FONCTION 3 Rupture Sans Contrôle Associé à l'UGA Mise Hors Service avec le Contact Auxiliaire",
           };
    QTest::newRow("RSC with the UGA delayed, EAC grouped with its button, ESC delayed and grouped")
        << QList<int>{5 | 0x80, 4 | 0x10 | 0x20, 3 | 0x10 | 0x80}
        << QStringList{
               "FONCTION 1 Rupture Sans Contrôle Associé à l'UGA Temporisé 20s",
               "FONCTION 2 Emission Avec Contrôle Commande regroupée sur Fonction 1, Bouton Actif",
               "FONCTION 3 Emission Sans Contrôle Temporisé 20s, Commande regroupée sur Fonction 1",
           };
}

void SheetPdfTest::everyTypeAndOption()
{
    QFETCH(QList<int>, types);
    QFETCH(QStringList, functionRows);

    SheetBench b;
    PanelConfig &c = b.session.config;
    c.AlarmModes = {1, 0, 2, 2, 0, 1, 2, 2, 0};
    c.CommandMatrix = {0, 1 | 4, 2 | 8, 16, 4 | 8 | 16, 1, 2 | 4 | 16, 0, 0};
    for (int k = 0; k < 3; ++k)
        c.FunctionTypes[k] = std::uint8_t(types[k]);
    c.RelayMatrix = {0x05, 0x00, 0};
    c.Output12vMode = 1;
    c.AesChoice = 1;
    c.UgaTempo = 5;
    b.window.showConfiguration();
    b.window.setCode(0, QStringLiteral("AAAB"));
    b.window.setCode(1, QStringLiteral("CCCA"));
    b.session.DataFileName = QStringLiteral("/chantiers/site-A.dat");
    b.session.PanelVersion = QStringLiteral("Version du programme = 3.0");
    b.session.PanelSerial = QStringLiteral("N° de Série =020712345");
    // An edit after the record was shown: the sheet follows the controls, not the record.
    b.window.Check_Alb[15]->click();
    b.window.Check_Alb[8]->click();

    const QString file = b.path(QStringLiteral("fiche.pdf"));
    b.exportTo(file);
    const QString text = SheetText::pdfText(file);
    const QStringList expected = QStringList{
        "Fichier de données : site-A.dat",
        "ECS : Version du programme = 3.0 — N° de Série =020712345",
        "Boucle 1 Discrimination Aucune Aucune",
        "Boucle 2 Mode Alarme simple Immédiate 1",
        "Boucle 3 Double détection avec la boucle 4 Temporisée 2",
        "Boucle 4 Double détection avec la boucle 3 Aucune 3",
        "Boucle 5 Mode Alarme simple Aucune 1, 2, 3",
        "Boucle 6 Discrimination Immédiate Aucune",
        "Boucle 7 Double détection avec la boucle 8 Temporisée 1, 3",
        "Boucle 8 Double détection avec la boucle 7 Aucune Aucune",
        "RELAIS 1 Alarme Boucle 1, Alarme Boucle 3",
        "RELAIS 2 Alarme Boucle 1, Alarme Boucle 8",
        "Carte UP : PRESENTE",
    } + functionRows + QStringList{
        "Alimentation Diffuseurs : AES Externe",
        "Tempo UGA = 5 min.",
        "SORTIE 12V : Réarmable",
        "CODE NIVEAU 2 : AAAB",
        "CODE NIVEAU 3 : CCCA",
    };
    SHEET_HOLDS(text, expected);
    QCOMPARE(SheetText::pdfPages(file), 1);
}

void SheetPdfTest::cardAbsentShowsNoCardValues()
{
    SheetBench b;
    b.session.config.UgaTempo = 7;
    b.window.Up_Option[0]->click();
    const QString file = b.path(QStringLiteral("fiche.pdf"));
    b.exportTo(file);
    const QString text = SheetText::pdfText(file);

    QStringList rows;
    for (int n = 1; n <= 8; ++n)
        rows << QStringLiteral("Boucle %1 Mode Alarme simple").arg(n);
    rows << "Carte UP : ABSENTE" << "sans objet, carte UP absente" << "SORTIE 12V : Permanente"
         << "RELAIS 1 Aucune boucle";
    SHEET_HOLDS(text, rows);
    // The hidden frames still hold their values; none of them may reach the sheet.
    for (const char *stale : {"Temporisée", "Rupture Sans Contrôle", "FONCTION 1", "AES Interne",
                              "Tempo UGA =", "1, 2, 3", "Commande UGA"})
        QVERIFY2(!text.contains(QString::fromUtf8(stale)), stale);
}

void SheetPdfTest::unwritablePath_data()
{
    QTest::addColumn<QString>("blocker");   // a regular file made first, in the temporary folder
    QTest::addColumn<QString>("target");    // relative to the temporary folder
    QTest::newRow("folder missing") << QString() << "absent/fiche.pdf";
    QTest::newRow("parent is a regular file") << "notes.txt" << "notes.txt/fiche.pdf";
    QTest::newRow("target is a folder") << QString() << ".";
}

void SheetPdfTest::unwritablePath()
{
    QFETCH(QString, blocker);
    QFETCH(QString, target);
    SheetBench b;
    if (!blocker.isEmpty()) {
        QFile f(b.path(blocker));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("x") == 1);
    }
    const QStringList before = entries(b.dir.path());
    b.exportTo(b.path(target));

    QCOMPARE(b.prompts.messages(), QStringList{"EXPORT PDF|Impossible d'écrire le fichier PDF !"});
    QCOMPARE(b.prompts.shown.last().icon, Prompts::Icon::Warning);
    QVERIFY(b.prompts.shown.last().details.contains(QDir::toNativeSeparators(b.path(target))));
    QCOMPARE(entries(b.dir.path()), before);   // no partial file, no temporary left behind
    QVERIFY(!QFileInfo(b.path(target)).isFile());
    QCOMPARE(b.prompts.busyDepth, 0);
}

void SheetPdfTest::cancelledDialogWritesNothing()
{
    SheetBench b;
    b.window.Pdf_Menu->trigger();   // no answer scripted: the dialog is cancelled
    QCOMPARE(b.prompts.messages(), QStringList());
    QCOMPARE(entries(b.dir.path()), QStringList());
}

void SheetPdfTest::printGoesThroughTheChosenPrinter()
{
    SheetBench b;
    b.window.Mode_Discrim[5]->click();
    const QString printed = b.path(QStringLiteral("imprime.pdf"));
    int dialogs = 0;
    b.commands.sheet().setPrinterChoice([&](QPrinter &printer) {
        ++dialogs;
        // What a print dialog hands back when the installer picks "print to file".
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        return true;
    });
    b.window.Print_Menu->trigger();
    QCOMPARE(dialogs, 1);
    QCOMPARE(b.prompts.messages(), QStringList());

    QStringList expected = startUpLoopRows();
    expected[5] = QStringLiteral("Boucle 6 Discrimination Temporisée 1, 2, 3");
    expected << QStringLiteral("FONCTION 3 Rupture Sans Contrôle Aucune option")
             << QStringLiteral("Nom de l'installateur : Date : Signature :");
    SHEET_HOLDS(SheetText::pdfText(printed), expected);
    QCOMPARE(SheetText::pdfPages(printed), 1);

    // The same sheet as the export.
    const QString exported = b.path(QStringLiteral("exporte.pdf"));
    b.exportTo(exported);
    QCOMPARE(SheetText::pdfText(exported), SheetText::pdfText(printed));

    // A cancelled dialog prints nothing and says nothing.
    QFile::remove(printed);
    b.commands.sheet().setPrinterChoice([](QPrinter &) { return false; });
    b.window.Print_Menu->trigger();
    QVERIFY(!QFile::exists(printed));
    QCOMPARE(b.prompts.messages(), QStringList());
}

void SheetPdfTest::printerThatCannotStart()
{
    SheetBench b;
    b.commands.sheet().setPrinterChoice([&](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(b.path(QStringLiteral("absent/imprime.pdf")));
        return true;
    });
    b.window.Print_Menu->trigger();
    QCOMPARE(b.prompts.messages(), QStringList{"IMPRESSION|Impossible d'imprimer la configuration !"});
    QCOMPARE(b.prompts.busyDepth, 0);
}

TORVA_TEST(SheetPdfTest)
#include "tst_sheetpdf.moc"
