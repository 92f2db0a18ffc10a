// The journal window over a journal written by Journal::add: the panels with their last
// intervention, a panel's entries newest first with what each did, the differences of the entry
// chosen, what it offers to open, and a damaged entry listed as damaged with nothing to open.
#include "support/DifferenceRows.h"
#include "support/JournalFixtures.h"
#include "support/TestRegistry.h"

#include "files/DataFile.h"
#include "journalwindows/JournalFrm.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using MakeEntry = std::function<JournalEntry()>;
Q_DECLARE_METATYPE(MakeEntry)

namespace {

const QDateTime kAt(QDate(2026, 12, 7), QTime(18, 15, 0));

QStringList rowTexts(const QTableWidget *table, int row)
{
    QStringList texts;
    for (int column = 0; column < table->columnCount(); ++column)
        texts << (table->item(row, column) ? table->item(row, column)->text() : QString());
    return texts;
}

QList<Difference> shownDifferences(const QTableWidget *table)
{
    QList<Difference> rows;
    for (int r = 0; r < table->rowCount(); ++r)
        rows.append({table->item(r, 0)->text(), table->item(r, 1)->text(), table->item(r, 2)->text()});
    return rows;
}

JournalEntry receive(const QString &serial)
{
    JournalEntry entry = JournalFixtures::send(serial);
    entry.operation = JournalEntry::Operation::Receive;
    entry.program = QStringLiteral("torva-pc");
    entry.technician.clear();
    entry.sent.reset();
    return entry;
}

JournalEntry failedSend(const QString &serial, const QString &outcome, const QString &message, bool before)
{
    JournalEntry entry = JournalFixtures::send(serial);
    entry.outcome = outcome;
    entry.message = message;
    entry.sent.reset();
    if (!before)
        entry.before.reset();
    return entry;
}

// Replaces one of an entry's files (`suffix`) with `bytes`.
bool spoil(const Journal &journal, const JournalEntry &entry, const QString &suffix, const QByteArray &bytes)
{
    QFile file(QDir(journal.folder()).filePath(entry.panelId + QLatin1Char('/') + entry.id + suffix));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

class JournalWindowTest : public QObject
{
    Q_OBJECT

private slots:
    // One entry, chosen: its row in the list, its differences, and the configurations it offers.
    void entryShown_data()
    {
        QTest::addColumn<MakeEntry>("make");
        QTest::addColumn<QString>("spoilt");  // the file of the entry spoilt; empty: none
        QTest::addColumn<QStringList>("row"); // date, operation, outcome, technician, changes
        QTest::addColumn<bool>("before");     // "configuration avant" (or "lue") offered
        QTest::addColumn<bool>("sent");       // "configuration envoyée" offered
        QTest::addColumn<QList<Difference>>("differences");
        const QString serial = QStringLiteral("020712345");
        const QString date = QStringLiteral("07/12/2026 18:15:00");
        QTest::newRow("send done, two changes")
            << MakeEntry([=] { return JournalFixtures::send(serial); }) << QString()
            << QStringList{date, "Envoi", "terminé", "Élise Martin", "2"} << true << true
            << QList<Difference>{{"Boucle 3 : mode alarme", "Mode Alarme simple", "Discrimination"},
                                 {"Relais 2 : Boucle 5", "non", "oui"}};
        QTest::newRow("receive done, nobody named")
            << MakeEntry([=] { return receive(serial); }) << QString()
            << QStringList{date, "Réception", "terminé", "non renseigné", ""} << true << false
            << QList<Difference>{};
        QTest::newRow("send unanswered before any read")
            << MakeEntry([=] { return failedSend(serial, "noReply", "Pas de réponse de l'ECS !", false); })
            << QString() << QStringList{date, "Envoi", "Pas de réponse de l'ECS !", "Élise Martin", ""}
            << false << false << QList<Difference>{};
        QTest::newRow("send stopped after the read: nothing sent")
            << MakeEntry([=] { return failedSend(serial, "aborted", "abandonné", true); }) << QString()
            << QStringList{date, "Envoi", "abandonné", "Élise Martin", ""} << true << false
            << QList<Difference>{};
        QTest::newRow("configuration sent changed since: damaged")
            << MakeEntry([=] { return JournalFixtures::send(serial); }) << QStringLiteral("-envoyee.dat")
            << QStringList{date, "Envoi", "entrée illisible", "Élise Martin", ""} << false << false
            << QList<Difference>{};
        QTest::newRow("entry cut short: damaged, nothing known")
            << MakeEntry([=] { return JournalFixtures::send(serial); }) << QStringLiteral(".json")
            << QStringList{"", "", "entrée illisible", "", ""} << false << false << QList<Difference>{};
    }
    void entryShown()
    {
        QFETCH(MakeEntry, make);
        QFETCH(QString, spoilt);
        QFETCH(QStringList, row);
        QFETCH(QList<Difference>, differences);
        const QTemporaryDir dir;
        const Journal journal(dir.path());
        JournalEntry entry = make();
        entry.time = kAt;
        QVERIFY(journal.add(entry));
        if (!spoilt.isEmpty())
            QVERIFY(spoil(journal, entry, spoilt, "{\"format\": 1, \"id\": "));

        QList<QString> opened;
        JournalFrm frm(journal, [&](const JournalEntry &, const QString &path) {
            opened << path;
            return false;
        });
        QCOMPARE(frm.Table_Entries->rowCount(), 1);
        QCOMPARE(rowTexts(frm.Table_Entries, 0), row);
        QCOMPARE(frm.chosenEntry() ? frm.chosenEntry()->id : QString(), entry.id);
        QCOMPARE(shownDifferences(frm.Table_Diff), differences);
        QTEST(frm.Command_OpenBefore->isEnabled(), "before");
        QTEST(frm.Command_OpenSent->isEnabled(), "sent");
        QCOMPARE(frm.Command_OpenSent->isVisibleTo(&frm), entry.operation == JournalEntry::Operation::Send);
        // A button offered hands the editor that configuration's file; one not offered nothing.
        frm.Command_OpenBefore->click();
        frm.Command_OpenSent->click();
        QStringList expected;
        if (frm.Command_OpenBefore->isEnabled())
            expected << journal.beforePath(entry);
        if (frm.Command_OpenSent->isEnabled())
            expected << journal.sentPath(entry);
        QCOMPARE(opened, expected);
        for (const QString &path : opened)
            QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
    }

    // The panels, the one worked on last first, each with its newest intervention; a panel's
    // entries newest first. TORVA_JOURNAL_PNG draws the window into that file (README).
    void panelsAndEntries()
    {
        const QTemporaryDir dir;
        const Journal journal(dir.path());
        const QString first = QStringLiteral("020712345"), second = QStringLiteral("030300001");
        const auto add = [&journal](JournalEntry entry, int minutes) {
            entry.time = kAt.addSecs(60 * minutes);
            entry.port = QStringLiteral("COM3");
            entry.program = QStringLiteral("torva-pc");
            entry.user = QStringLiteral("emartin");
            return journal.add(entry) ? entry : JournalEntry{};
        };
        JournalEntry other = receive(second);
        other.panel.version = QStringLiteral("3.1");
        const QList<JournalEntry> added{
            add(receive(first), 0),
            add(other, 30),
            add(JournalFixtures::send(first), 50),
            add(failedSend(first, "noReply", "Pas de réponse de l'ECS !", false), 62),
            add(failedSend(first, "verifyFailed", "Erreur de transfert, Configuration Invalide !", true), 64),
            add(JournalFixtures::send(first), 70)};
        QVERIFY(
            std::none_of(added.cbegin(), added.cend(), [](const JournalEntry &e) { return e.id.isEmpty(); }));
        // The configuration sent at 19:05 changed since: that entry is listed as damaged.
        QVERIFY(spoil(journal, added[2], QStringLiteral("-envoyee.dat"), DataFile::format(PanelConfig{})));

        JournalFrm frm(journal, {});
        // The window fits the screen it opens on.
        const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
        QVERIFY(frm.width() <= screen.width() && frm.height() <= screen.height());
        QCOMPARE(frm.Table_Panels->rowCount(), 2);
        QCOMPARE(rowTexts(frm.Table_Panels, 0),
                 QStringList({"ECS N° 020712345", "3.0", "07/12/2026 19:25:00", "5"}));
        QCOMPARE(rowTexts(frm.Table_Panels, 1),
                 QStringList({"ECS N° 030300001", "3.1", "07/12/2026 18:45:00", "1"}));
        QStringList dates, outcomes;
        for (int r = 0; r < frm.Table_Entries->rowCount(); ++r) {
            dates << frm.Table_Entries->item(r, JournalFrm::Date)->text();
            outcomes << frm.Table_Entries->item(r, JournalFrm::Outcome)->text();
        }
        QCOMPARE(dates, QStringList({"07/12/2026 19:25:00", "07/12/2026 19:19:00", "07/12/2026 19:17:00",
                                     "07/12/2026 19:05:00", "07/12/2026 18:15:00"}));
        QCOMPARE(outcomes, QStringList({"terminé", "Erreur de transfert, Configuration Invalide !",
                                        "Pas de réponse de l'ECS !", "entrée illisible", "terminé"}));
        QCOMPARE(frm.chosenEntry()->id, added.last().id);
        if (const QString picture = qEnvironmentVariable("TORVA_JOURNAL_PNG"); !picture.isEmpty()) {
            frm.resize(920, 680);
            frm.show();
            QVERIFY(QTest::qWaitForWindowExposed(&frm));
            QVERIFY(frm.grab().save(picture, "PNG"));
        }

        // The other panel chosen: its one entry, with nothing sent to compare.
        frm.Table_Panels->selectRow(1);
        QCOMPARE(frm.Table_Entries->rowCount(), 1);
        QCOMPARE(frm.chosenEntry()->id, added[1].id);
        QCOMPARE(frm.Table_Diff->rowCount(), 0);
    }

    // An empty journal says so and offers nothing.
    void emptyJournal()
    {
        const QTemporaryDir dir;
        const Journal journal(QDir(dir.path()).filePath(QStringLiteral("journal")));
        JournalFrm frm(journal, {});
        QCOMPARE(frm.Table_Panels->rowCount(), 0);
        QCOMPARE(frm.Table_Entries->rowCount(), 0);
        QCOMPARE(frm.Label_Entry->text(), QStringLiteral("Aucune intervention enregistrée."));
        QVERIFY(!frm.Command_OpenBefore->isEnabled());
        QVERIFY(!frm.Command_OpenSent->isEnabled());
    }
};

TORVA_TEST(JournalWindowTest)
#include "tst_journalwindow.moc"
