// The intervention report as it reads on paper: who, which panel, what was done and how it
// ended, the changes in the editor's words, the tests they call for, the hashes and the entry's
// name that match the page with the journal; never an access code; the whole first page on A4
// with 20 changes; and torva-report's statuses.
#include "support/JournalFixtures.h"
#include "support/PdfText.h"
#include "support/TestRegistry.h"

#include "config/Messages.h"
#include "files/DataFile.h"
#include "journal/Journal.h"
#include "report/InterventionReport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

namespace {

// Codes whose letters no word of the page holds, in upper case as the codes are.
const QString kCodeA = QStringLiteral("CCAB");
const QString kCodeB = QStringLiteral("BACC");

PanelConfig withCodes(PanelConfig config, const QString &level2, const QString &level3)
{
    config.AccessCodes = {level2, level3};
    return config;
}

// The panel before: the delivery configuration with the codes kCodeA, kCodeB.
PanelConfig panelBefore() { return withCodes(PanelConfig{}, kCodeA, kCodeB); }

// A panel without its card, as a receive read it.
PanelConfig withoutCard()
{
    PanelConfig c = panelBefore();
    c.setCardPresent(false);
    return c;
}

// Loop 3 in discrimination, relay 1 following loop 2, function 2 unused, the codes swapped.
PanelConfig fewChanges()
{
    PanelConfig c = withCodes(PanelConfig{}, kCodeB, kCodeA);
    c.setAlarmMode(2, AlarmMode::Discrimination);
    c.setRelayFollows(0, 1, true);
    c.setFunctionType(1, FunctionType::Nul);
    return c;
}

// The codes swapped and `count` other changes, in this order: every loop's alarm mode, relay 1
// then relay 2 on every loop, the three functions' types, the 12 V output, the AES (up to 29).
PanelConfig changes(int count)
{
    PanelConfig c = withCodes(PanelConfig{}, kCodeB, kCodeA);
    QList<std::function<void(PanelConfig &)>> edits;
    for (int loop = 0; loop < kLoopCount; ++loop)
        edits << [loop](PanelConfig &p) {
            p.setAlarmMode(loop, loop % 2 ? AlarmMode::Discrimination : AlarmMode::Double);
        };
    for (int relay = 0; relay < kRelayCount; ++relay)
        for (int loop = 0; loop < kLoopCount; ++loop)
            edits << [relay, loop](PanelConfig &p) { p.setRelayFollows(relay, loop, true); };
    for (const auto &[function, type] :
         {std::pair{0, FunctionType::RAC}, std::pair{2, FunctionType::EAC}, std::pair{1, FunctionType::ESC}})
        edits << [function, type](PanelConfig &p) { p.setFunctionType(function, type); };
    edits << [](PanelConfig &p) { p.setOutput12v(Output12v::Rearmable); };
    edits << [](PanelConfig &p) { p.setAes(Aes::External); };
    for (int i = 0; i < count && i < edits.size(); ++i)
        edits[i](c);
    return c;
}

// A journal in a temporary folder, and the entries as the journal reads them back.
struct ReportBench
{
    QTemporaryDir dir;
    Journal journal{dir.filePath(QStringLiteral("journal"))};

    JournalEntry add(JournalEntry::Operation operation, const QString &outcome, const QString &message,
                     std::optional<PanelConfig> before, std::optional<PanelConfig> sent, bool card = true)
    {
        JournalEntry e = JournalFixtures::send(QStringLiteral("020712345"));
        e.time = QDateTime(QDate(2026, 12, 7), QTime(19, 22), Qt::OffsetFromUTC, 3600);
        e.program = QStringLiteral("torva-pc");
        e.site = QStringLiteral("Lycée Jean Moulin");
        if (!card) {
            e.panel.cardRead = false;
            e.panel.cardSerialNumber.reset();
            e.panel.cardVersion.clear();
        }
        e.operation = operation;
        e.outcome = outcome;
        e.message = message;
        e.dataFile = QStringLiteral("lycee.dat");
        e.before.reset();
        e.sent.reset();
        if (before)
            e.before = DataFile::format(*before);
        if (sent)
            e.sent = DataFile::format(*sent);
        if (!journal.add(e))
            return {};
        return journal.entry(e.id).value_or(JournalEntry{});
    }
    JournalEntry send(const QString &outcome, const QString &message, std::optional<PanelConfig> before,
                      std::optional<PanelConfig> sent)
    {
        return add(JournalEntry::Operation::Send, outcome, message, before, sent);
    }
    QString pdf() const { return dir.filePath(QStringLiteral("rapport.pdf")); }
};

using MakeEntry = std::function<JournalEntry(ReportBench &)>;

} // namespace

Q_DECLARE_METATYPE(MakeEntry)

class ReportTest : public QObject
{
    Q_OBJECT
private slots:
    void report_data()
    {
        QTest::addColumn<MakeEntry>("make");
        QTest::addColumn<QString>("observations");
        QTest::addColumn<QStringList>("firstPage"); // what page 1 reads
        QTest::addColumn<QStringList>("absent");    // what no page reads
        QTest::addColumn<QStringList>("panelPage"); // what the page after it reads; empty: no such page
        // What every report of a send says, whatever its outcome.
        const QStringList always{"RAPPORT D'INTERVENTION - ECS TORVA",
                                 "Site : Lycée Jean Moulin",
                                 "Entreprise : Sécurité Incendie Services",
                                 "Intervenant : Élise Martin",
                                 "ECS 020712345 3.0",
                                 "Carte UP 010304321 2.1",
                                 "Envoi de la configuration à l'ECS (port /dev/ttyUSB0)"};

        const QStringList codes{kCodeA, kCodeB};

        QTest::newRow("send done, codes changed")
            << MakeEntry([](ReportBench &b) {
                   return b.send(QStringLiteral("done"), QStringLiteral("terminé"), panelBefore(),
                                 fewChanges());
               })
            << QString()
            << always + QStringList{"Résultat : Configuration envoyée et vérifiée élément par élément",
                                    "Boucle 3 : mode alarme Mode Alarme simple Discrimination",
                                    "Relais 1 : Boucle 2 non oui",
                                    "Fonction 2 : type Rupture Sans Contrôle Non utilisée",
                                    "Code niveau 2 **** modifié",
                                    "Code niveau 3 **** modifié",
                                    "Boucles : 3",
                                    "OBSERVATIONS RÉFÉRENCES DU JOURNAL", // the box left blank
                                    "Configuration envoyée (SHA-256) " +
                                        JournalEntry::sha256(DataFile::format(fewChanges())),
                                    "Configuration lue avant (SHA-256) " +
                                        JournalEntry::sha256(DataFile::format(panelBefore()))}
            << codes
            << QStringList{"CONFIGURATION DE L'ECS APRÈS L'INTERVENTION",
                           "Boucle 3 Discrimination",
                           "RELAIS 1 Alarme Boucle 2",
                           "FONCTION 2 Non utilisée",
                           "CODE NIVEAU 2 : ****",
                           "CODE NIVEAU 3 : ****"};
        QTest::newRow("send refused in manual mode, nothing written")
            << MakeEntry([](ReportBench &b) {
                   return b.send(QStringLiteral("manualMode"), Messages::manualMode(), std::nullopt,
                                 std::nullopt);
               })
            << QString()
            << always +
                   QStringList{
                       "Résultat : " + Messages::manualMode(),
                       "Aucune modification : rien n'a été écrit dans l'ECS.",
                       "pas d'essai propre à cette intervention",
                       "Configuration envoyée (SHA-256) aucune, rien n'a été écrit",
                       "Rien n'a été écrit dans l'ECS : il garde la configuration qu'il avait (non lue)."}
            << codes << QStringList();
        // The panel may hold part of what was sent: no configuration is printed as its own.
        QTest::newRow("verification failed after some writes")
            << MakeEntry([](ReportBench &b) {
                   return b.send(QStringLiteral("verifyFailed"), Messages::transferError(), panelBefore(),
                                 fewChanges());
               })
            << QString()
            << always + QStringList{"Résultat : Erreur de transfert, Configuration Invalide !",
                                    "L'envoi n'ayant pas abouti, la configuration de l'ECS n'est pas connue",
                                    "L'envoi n'a pas abouti : l'ECS peut n'avoir reçu qu'une partie",
                                    "Boucle 3 : mode alarme Mode Alarme simple Discrimination", "Boucles : 3"}
            << codes << QStringList();
        // The backup read succeeded and nothing was written: the panel holds what it held.
        QTest::newRow("send aborted before its first write")
            << MakeEntry([](ReportBench &b) {
                   return b.send(QStringLiteral("aborted"), QStringLiteral("abandonné"), panelBefore(),
                                 std::nullopt);
               })
            << QString()
            << always + QStringList{"Résultat : abandonné", "Aucune modification : rien n'a été écrit",
                                    "Configuration lue avant (SHA-256) " +
                                        JournalEntry::sha256(DataFile::format(panelBefore()))}
            << codes + QStringList{"Boucles :"}
            << QStringList{"CONFIGURATION DE L'ECS APRÈS L'INTERVENTION", "Boucle 3 Mode Alarme simple"};
        QTest::newRow("receive, card absent, observations typed")
            << MakeEntry([](ReportBench &b) {
                   return b.add(JournalEntry::Operation::Receive, QStringLiteral("done"),
                                QStringLiteral("terminé"), withoutCard(), std::nullopt, false);
               })
            << QStringLiteral("Détecteur <b>12</b> remplacé.\nEssai de la boucle 2 fait.")
            << QStringList{"Réception de la configuration de l'ECS (port /dev/ttyUSB0)",
                           "Résultat : Configuration reçue de l'ECS",
                           "Carte UP absente",
                           "Aucune modification : la configuration a été lue",
                           "OBSERVATIONS Détecteur <b>12</b> remplacé. Essai de la boucle 2 fait.",
                           "Configuration lue (SHA-256) " +
                               JournalEntry::sha256(DataFile::format(withoutCard()))}
            << codes + QStringList{"configuration envoyée"}
            << QStringList{"CONFIGURATION DE L'ECS APRÈS L'INTERVENTION", "Carte UP : ABSENTE",
                           "CODE NIVEAU 3 : ****"};
    }
    void report()
    {
        QFETCH(MakeEntry, make);
        QFETCH(QString, observations);
        QFETCH(QStringList, firstPage);
        QFETCH(QStringList, absent);
        QFETCH(QStringList, panelPage);
        ReportBench b;
        const JournalEntry entry = make(b);
        QVERIFY(!entry.id.isEmpty());
        QString error;
        QVERIFY2(writeReportPdf(entry, observations, b.pdf(), &error), qPrintable(error));

        const QStringList pages = PdfText::pages(b.pdf());
        QCOMPARE(pages.size(), panelPage.isEmpty() ? 1 : 2);
        QVERIFY2(pages[0].contains(QStringLiteral("Entrée ") + entry.id), qPrintable(pages[0]));
        for (const QString &text : firstPage)
            QVERIFY2(pages[0].contains(text), qPrintable(text + QStringLiteral("\n---\n") + pages[0]));
        for (const QString &page : pages)
            for (const QString &text : absent)
                QVERIFY2(!page.contains(text), qPrintable(text));
        if (!panelPage.isEmpty()) {
            QVERIFY(pages[1].contains(entry.id)); // a loose page still names its entry
            for (const QString &text : panelPage)
                QVERIFY2(pages[1].contains(text), qPrintable(text + QStringLiteral("\n---\n") + pages[1]));
        }
    }

    void fitsA4_data()
    {
        QTest::addColumn<int>("edits"); // besides the two codes
        QTest::addColumn<int>("reportPages");
        QTest::newRow("20 changes") << 18 << 1;
        QTest::newRow("24 changes") << 22 << 2;
    }
    // Every word inside the page's margins, every change listed, and each box whole on one page.
    void fitsA4()
    {
        QFETCH(int, edits);
        QFETCH(int, reportPages);
        ReportBench b;
        const JournalEntry entry =
            b.send(QStringLiteral("done"), QStringLiteral("terminé"), panelBefore(), changes(edits));
        QCOMPARE(entry.differences.size(), edits + 2);
        QVERIFY(writeReportPdf(entry, {}, b.pdf()));
        // The README's picture is page 1 of the report with 20 changes (pdftoppm).
        if (const QString keep = qEnvironmentVariable("TORVA_REPORT_PDF"); !keep.isEmpty() && edits == 18)
            QVERIFY(writeReportPdf(entry, {}, keep));

        const QStringList pages = PdfText::pages(b.pdf());
        QCOMPARE(pages.size(), reportPages + 1); // then the configuration's page
        const QString report = pages.mid(0, reportPages).join(QLatin1Char(' '));
        for (const Difference &d : entry.differences) {
            const bool code = d.key.startsWith(QStringLiteral("code."));
            const QString row = d.item + QLatin1Char(' ') +
                                (code ? QStringLiteral("**** modifié") : d.first + ' ' + d.second);
            QVERIFY2(report.contains(row), qPrintable(row));
        }
        QVERIFY(
            pages[reportPages - 1].contains(QStringLiteral("Le chef d'établissement ou son représentant")));
        QVERIFY(pages[reportPages].startsWith(QStringLiteral("CONFIGURATION DE L'ECS APRÈS L'INTERVENTION")));
        for (const QString &page : pages)
            QVERIFY(!page.contains(kCodeA) && !page.contains(kCodeB));

        // A4, and no word past the margins the page was set up with (15 mm, 12 mm): none cut.
        const std::optional<PdfText::Layout> layout = PdfText::layout(b.pdf());
        QVERIFY(layout);
        QCOMPARE(qRound(layout->pageSize.width()), 595);
        QCOMPARE(qRound(layout->pageSize.height()), 842);
        constexpr double mm = 72 / 25.4;
        const double top = 12 * mm, bottom = layout->pageSize.height() - 12 * mm;
        const QRectF inside(QPointF(15 * mm - 1, top - 1),
                            QPointF(layout->pageSize.width() - 15 * mm + 1, bottom + 1));
        QVERIFY(layout->words.size() > 200);
        const auto at = [&](const PdfText::Word &word) {
            return QStringLiteral("page %1: \"%2\" at %3, %4 - %5, %6")
                .arg(word.page)
                .arg(word.text)
                .arg(word.box.left())
                .arg(word.box.top())
                .arg(word.box.right())
                .arg(word.box.bottom());
        };
        for (const PdfText::Word &word : layout->words)
            QVERIFY2(inside.contains(word.box), qPrintable(at(word)));

        // A box that does not fit the rest of a page starts the next one: the heading after it is
        // on the box's page or at the top of the next, never below the end of a box split in two.
        const auto first = [&](const QString &text) {
            const auto it = std::find_if(layout->words.cbegin(), layout->words.cend(),
                                         [&](const PdfText::Word &w) { return w.text == text; });
            return it == layout->words.cend() ? PdfText::Word{-1, {}, {}} : *it;
        };
        const QStringList headings{"Essais", "OBSERVATIONS", "RÉFÉRENCES", "SIGNATURES"};
        for (qsizetype i = 1; i < headings.size(); ++i) {
            const PdfText::Word box = first(headings[i - 1]), next = first(headings[i]);
            QVERIFY2(box.page >= 0 && next.page >= box.page, qPrintable(headings[i]));
            if (next.page != box.page)
                QVERIFY2(next.box.top() < top + 20, qPrintable(at(next)));
        }
        // The signature boxes end with three blank lines below their last caption.
        const auto last =
            std::find_if(layout->words.crbegin(), layout->words.crend(),
                         [](const PdfText::Word &w) { return w.text == QStringLiteral("signature"); });
        QVERIFY(last != layout->words.crend());
        QCOMPARE(last->page, first(QStringLiteral("SIGNATURES")).page);
        QVERIFY2(last->box.bottom() + 3 * 11 < bottom, qPrintable(at(*last)));
    }

    // torva-report's refusals: its status, what it says, and no PDF. (Its PDF, made for
    // torva-cli's journal report, is read back by tst_cli's journalReport.)
    void program_data()
    {
        QTest::addColumn<QString>("entry");  // "new": the entry written; "damaged": its file spoiled
        QTest::addColumn<QString>("output"); // in the temporary folder
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // on stderr
        QTest::newRow("unknown entry")
            << "20261207T000000000Z-pc-00000000"
            << "rapport.pdf" << 1 << "torva-report : entrée inconnue : 20261207T000000000Z-pc-00000000";
        QTest::newRow("damaged entry") << "damaged"
                                       << "rapport.pdf" << 1 << "entrée endommagée (fichier manquant";
        QTest::newRow("folder missing") << "new"
                                        << "absent/rapport.pdf" << 8 << "torva-report : impossible d'écrire";
    }
    void program()
    {
        QFETCH(QString, entry);
        QFETCH(QString, output);
        QFETCH(int, status);
        QFETCH(QString, said);
        ReportBench b;
        const JournalEntry e =
            b.send(QStringLiteral("done"), QStringLiteral("terminé"), panelBefore(), fewChanges());
        if (entry == QStringLiteral("damaged"))
            QVERIFY(QFile::remove(b.journal.sentPath(e)));
        const QString id =
            entry == QStringLiteral("new") || entry == QStringLiteral("damaged") ? e.id : entry;
        QProcess report;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM")); // the program needs no display of its own
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        report.setProcessEnvironment(environment);
        report.start(QStringLiteral(TORVA_REPORT_PATH),
                     {b.journal.folder(), id, QStringLiteral("-o"), b.dir.filePath(output)});
        QVERIFY(report.waitForFinished(60000));
        const QString stderrText = QString::fromUtf8(report.readAllStandardError());
        QCOMPARE(report.exitCode(), status);
        QVERIFY2(stderrText.contains(said), qPrintable(stderrText));
        QVERIFY(QDir(b.dir.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files).isEmpty());
        QVERIFY(!QDir(b.dir.filePath(QStringLiteral("absent"))).exists());
    }
};

TORVA_TEST(ReportTest)
#include "tst_report.moc"
