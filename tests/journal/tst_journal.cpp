// The journal: an entry keeps its configurations byte for byte and reads back as written, a
// damaged entry is listed as damaged, and two writers at once lose no entry. (A folder that
// cannot be written: the programs' warning, tst_journalopen and tst_cli.)
#include "support/JournalFixtures.h"
#include "support/TestRegistry.h"

#include "config/PanelConfig.h"
#include "files/DataFile.h"
#include "journal/Journal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

using JournalFixtures::send;

QString entryPath(const Journal &journal, const JournalEntry &entry, const QString &suffix)
{
    return QDir(journal.folder()).filePath(entry.panelId + QLatin1Char('/') + entry.id + suffix);
}

} // namespace

class JournalTest : public QObject
{
    Q_OBJECT
private slots:
    // Each test a journal of its own.
    void init()
    {
        m_temp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_temp->isValid());
    }

    void sendReadsBackAsWritten()
    {
        const Journal journal(folder());
        JournalEntry written = send(QStringLiteral("020712345"));
        QVERIFY(journal.add(written));
        QCOMPARE(written.panelId, QStringLiteral("ECS-020712345"));

        const std::optional<JournalEntry> read = journal.entry(written.id);
        QVERIFY(read);
        QVERIFY2(!read->damaged, qPrintable(read->damage));
        QCOMPARE(read->before, written.before);
        QCOMPARE(read->sent, written.sent);
        QCOMPARE(read->panel, written.panel);
        QCOMPARE(read->technician, QStringLiteral("Élise Martin"));
        QCOMPARE(read->operation, JournalEntry::Operation::Send);
        QCOMPARE(read->time, written.time);
        QCOMPARE(read->time.offsetFromUtc(), written.time.offsetFromUtc());
        // The configurations are plain data files, as "Ouvrir" reads them.
        QFile before(entryPath(journal, written, QStringLiteral("-avant.dat")));
        QVERIFY(before.open(QIODevice::ReadOnly));
        QCOMPARE(before.readAll(), *written.before);
        QCOMPARE(JournalEntry::sha256(read->sent), JournalEntry::sha256(written.sent));
        const QStringList items = [&read] {
            QStringList names;
            for (const Difference &d : read->differences)
                names << d.item + QStringLiteral(" : ") + d.first + QStringLiteral(" -> ") + d.second;
            return names;
        }();
        QCOMPARE(items,
                 QStringList({QStringLiteral("Boucle 3 : mode alarme : Mode Alarme simple -> Discrimination"),
                              QStringLiteral("Relais 2 : Boucle 5 : non -> oui")}));
    }

    void damagedEntryIsListed_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QByteArray>("replacement"); // empty: the file is removed
        QTest::newRow("entry cut short") << QStringLiteral(".json") << QByteArray("{\"format\": 1, \"id\": ");
        QTest::newRow("configuration before removed") << QStringLiteral("-avant.dat") << QByteArray();
        QTest::newRow("configuration sent changed")
            << QStringLiteral("-envoyee.dat") << DataFile::format(PanelConfig{});
    }
    void damagedEntryIsListed()
    {
        QFETCH(QString, suffix);
        QFETCH(QByteArray, replacement);
        const Journal journal(folder());
        JournalEntry kept = send(QStringLiteral("020712345"));
        JournalEntry spoilt = send(QStringLiteral("020712345"));
        QVERIFY(journal.add(kept));
        QVERIFY(journal.add(spoilt));
        QFile file(entryPath(journal, spoilt, suffix));
        if (replacement.isEmpty())
            QVERIFY(file.remove());
        else
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(replacement) > 0);
        file.close();

        const QList<JournalEntry> entries = journal.entries();
        QCOMPARE(entries.size(), 2);
        const auto damaged =
            std::count_if(entries.cbegin(), entries.cend(), [&spoilt](const JournalEntry &e) {
                return e.damaged && e.id == spoilt.id && !e.damage.isEmpty();
            });
        QCOMPARE(damaged, 1);
        QVERIFY(!journal.entry(kept.id)->damaged);
    }

    // Two programs writing one journal (a shared drive) at the same moment lose no entry.
    void twoWritersLoseNothing()
    {
#ifdef Q_OS_WIN
        // Under Wine a test program that ran a second writing thread passes, then sometimes never
        // ends; two torva-cli processes writing one journal (tst_cli) run there instead.
        QSKIP("a writing thread keeps the program from ending under Wine");
#endif
        const QString folder = this->folder();
        constexpr int kEach = 40;
        const auto writer = [folder] {
            const Journal journal(folder);
            for (int i = 0; i < kEach; ++i) {
                JournalEntry entry = send(QStringLiteral("020712345"));
                entry.time = QDateTime(QDate(2026, 12, 7), QTime(10, 0));
                journal.add(entry);
            }
        };
        std::unique_ptr<QThread> other(QThread::create(writer));
        other->start();
        writer();
        QVERIFY(other->wait(60000));
        const QList<JournalEntry> entries = Journal(folder).entries();
        QCOMPARE(entries.size(), 2 * kEach);
        QVERIFY(
            std::none_of(entries.cbegin(), entries.cend(), [](const JournalEntry &e) { return e.damaged; }));
    }

private:
    QString folder() const { return m_temp->path(); }
    std::unique_ptr<QTemporaryDir> m_temp;
};

#include "tst_journal.moc"
TORVA_TEST(JournalTest)
