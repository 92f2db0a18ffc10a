// The configuration sheet as the installer reads it in the PDF, its refusals, where its header comes from.
#include "support/FunctionSetting.h"
#include "support/PdfText.h"
#include "support/TestRegistry.h"
#include "support/WindowFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The main window with its commands, the sheet's clock pinned to one minute.
struct SheetBench : WindowFixture
{
    QTemporaryDir dir;

    SheetBench()
    {
        commands.sheet().setClock([] { return QDateTime(QDate(2026, 3, 14), QTime(9, 5)); });
    }
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    // "Exporter en PDF..." or "Imprimer la configuration..." (print to file) to `file`; empty: cancelled.
    void make(bool print, const QString &file)
    {
        prompts.fileAnswers << file;
        commands.sheet().setPrinterChoice([file](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(file);
            return !file.isEmpty();
        });
        (print ? window.commands().Print_Menu : window.commands().Pdf_Menu)->trigger();
    }
};

using SheetSetup = std::function<void(SheetBench &)>;

// Every alarm mode, UGA command and CMSI choice, function options, both relays, the 12 V output, the
// external supply, a read tempo, new codes, a file and a panel; then edits the record does not hold yet.
void everyItem(SheetBench &b)
{
    using enum UgaCommand;
    constexpr AlarmMode N = AlarmMode::Normal, D = AlarmMode::Discrimination, X = AlarmMode::Double;
    const std::array<AlarmMode, kLoopCount> modes{D, N, X, X, N, D, X, X};
    // Per loop, its UGA command and the functions (0 to 2) it drives.
    const std::array<UgaCommand, kLoopCount> uga{None, Immediate, Temporised, None,
                                                 None, Immediate, Temporised, None};
    const std::array<QList<int>, kLoopCount> drives{{{}, {0}, {1}, {2}, {0, 1, 2}, {}, {0, 2}, {}}};
    PanelConfig c = b.window.configuration();
    for (int i = 0; i < kLoopCount; ++i) {
        c.setAlarmMode(i, modes[i]);
        c.setUgaCommand(i, uga[i]);
        for (int f = 0; f < kFunctionCount; ++f)
            c.setDrivesFunction(i, f, drives[i].contains(f));
    }
    setFunction(c, 0, {FunctionType::Nul});
    setFunction(
        c, 1,
        {FunctionType::RSC, {FunctionFlag::Grouped, FunctionFlag::ActiveButton, FunctionFlag::Delayed}});
    setFunction(c, 2, {FunctionType::RSC_UGA, {FunctionFlag::AuxContact}});
    c.setRelayFollows(0, 0, true);
    c.setRelayFollows(0, 2, true);
    c.setOutput12v(Output12v::Rearmable);
    c.setAes(Aes::External);
    c.UgaTempo = 5;
    b.window.show(c);
    b.window.setCode(0, QStringLiteral("AAAB"));
    b.window.setCode(1, QStringLiteral("CCCA"));
    b.session.DataFileName = QStringLiteral("/chantiers/<b>Site & Co<i>.dat"); // printed, never obeyed
    b.session.PanelVersion = QStringLiteral("Version du programme = 3.0");
    b.session.PanelSerial = QStringLiteral("N° de Série =020712345");
    control<QCheckBox>(b.window, QStringLiteral("Check_Alb(15)"))->click();
    control<QCheckBox>(b.window, QStringLiteral("Check_Alb(8)"))->click();
}

} // namespace

Q_DECLARE_METATYPE(SheetSetup)

class SheetTest : public QObject
{
    Q_OBJECT
private slots:
    void sheet_data()
    {
        QTest::addColumn<bool>("print"); // else "Exporter en PDF..."
        QTest::addColumn<SheetSetup>("setup");
        QTest::addColumn<QString>("target");     // in the temporary folder; empty: the dialog is cancelled
        QTest::addColumn<QStringList>("shown");  // what the sheet reads; empty: refused
        QTest::addColumn<QStringList>("absent"); // what it must not read
        const QStringList none;
        // What only the start-up configuration shows; the other rows show the rest.
        const QStringList startUp{"TORVA-PC V3.0",
                                  "14/03/2026 à 09:05",
                                  "Fichier de données : aucun",
                                  "ECS : version et numéro de série non lus",
                                  "Alimentation Diffuseurs : AES Interne",
                                  "Tempo UGA : non lue"};
        const QStringList every{"Fichier de données : <b>Site & Co<i>.dat",
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
                                "Alimentation Diffuseurs : AES Externe",
                                "Tempo UGA = 5 min.",
                                "SORTIE 12V : Réarmable",
                                "CODE NIVEAU 2 : AAAB",
                                "CODE NIVEAU 3 : CCCA"};
        QTest::newRow("start-up, printed") << true << SheetSetup() << "fiche.pdf" << startUp << none;
        QTest::newRow("every item")
            << false << SheetSetup(everyItem) << "fiche.pdf"
            << every + QStringList{"FONCTION 1 Non utilisée Aucune option",
                                   "FONCTION 2 Rupture Sans Contrôle Temporisé 20s, Commande regroupée sur "
                                   "Fonction 1, Bouton Actif",
                                   "FONCTION 3 Rupture Sans Contrôle Associé à l'UGA Mise Hors Service avec "
                                   "le Contact Auxiliaire"}
            << none;
        // The hidden frames still hold their values; none of them may reach the sheet.
        QTest::newRow("card absent") << false << SheetSetup([](SheetBench &b) {
            PanelConfig c = b.window.configuration();
            c.UgaTempo = 7;
            b.window.show(c);
            control<QRadioButton>(b.window, QStringLiteral("Up_Option(0)"))->click();
        }) << "fiche.pdf"
                                     << QStringList{"Carte UP : ABSENTE", "sans objet, carte UP absente",
                                                    "Boucle 8 Mode Alarme simple", "SORTIE 12V : Permanente",
                                                    "RELAIS 1 Aucune boucle"}
                                     << QStringList{"Temporisée",  "Rupture Sans Contrôle", "FONCTION 1",
                                                    "AES Interne", "Tempo UGA =",           "1, 2, 3",
                                                    "Commande UGA"};
        // The configuration shown is now the panel's, no longer the file's.
        QTest::newRow("a receive forgets the file") << false << SheetSetup([](SheetBench &b) {
            b.session.DataFileName = QStringLiteral("/chantiers/site.dat");
            b.window.commands().Command1->click();
            b.prompts.clear();
        }) << "fiche.pdf" << QStringList{"Fichier de données : aucun"}
                                                    << none;
        // Refused: a clear message and nothing left in the folder.
        QTest::newRow("folder missing") << false << SheetSetup() << "absent/fiche.pdf" << none << none;
        QTest::newRow("printer cannot start") << true << SheetSetup() << "absent/fiche.pdf" << none << none;
        QTest::newRow("print cancelled") << true << SheetSetup() << QString() << none << none;
    }
    void sheet()
    {
        QFETCH(bool, print);
        QFETCH(SheetSetup, setup);
        QFETCH(QString, target);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, absent);
        SheetBench b;
        if (setup)
            setup(b);
        const QStringList before = b.entries();
        const bool saved = b.session.ConfigSaved;
        const QString path = target.isEmpty() ? QString() : b.dir.filePath(target);
        b.make(print, path);
        const Message refusal = print ? Msg::warning("IMPRESSION", "Impossible d'imprimer la configuration !")
                                      : Msg::warning("EXPORT PDF", "Impossible d'écrire le fichier PDF !");
        QCOMPARE(b.prompts.messages(),
                 shown.isEmpty() && !target.isEmpty() ? QList<Message>{refusal} : QList<Message>());
        QCOMPARE(b.prompts.busyDepth, 0);
        QCOMPARE(b.session.ConfigSaved, saved); // a sheet is no save and no edit
        if (!print) {
            QCOMPARE(b.prompts.shown.first().title, QStringLiteral("pdf")); // the default suffix
            QVERIFY(!shown.isEmpty() ||
                    b.prompts.shown.last().details.contains(QDir::toNativeSeparators(path)));
        }
        if (shown.isEmpty())
            QCOMPARE(b.entries(), before); // no partial file, no temporary left behind
        const QString pdf = PdfText::text(path);
        const QString text = pdf.simplified(); // each table row reads as one line of words
        for (const QString &item : shown)
            QVERIFY2(text.contains(item), qPrintable(item));
        for (const QString &item : absent)
            QVERIFY2(!text.contains(item), qPrintable(item));
        QCOMPARE(pdf.count(QLatin1Char('\f')), shown.isEmpty() ? 0 : 1); // a form feed ends each page
    }
};

TORVA_TEST(SheetTest)
#include "tst_sheet.moc"
