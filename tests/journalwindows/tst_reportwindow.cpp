// The report from the journal window: the entry chosen goes to the report window, whose PDF holds
// the observations typed; a file that cannot be written says so.
#include "support/FakePrompts.h"
#include "support/JournalFixtures.h"
#include "support/PdfText.h"
#include "support/TestRegistry.h"

#include "journalwindows/JournalFrm.h"
#include "journalwindows/ReportFrm.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

class ReportWindowTest : public QObject
{
    Q_OBJECT
private slots:
    // The newest entry is chosen when the window opens; the report is made of the entry chosen.
    void reportOfTheEntryChosen()
    {
        QTemporaryDir dir;
        const Journal journal(dir.path());
        JournalEntry older = JournalFixtures::send(QStringLiteral("020712345"));
        older.time = QDateTime::currentDateTime().addSecs(-60);
        JournalEntry newer = JournalFixtures::send(QStringLiteral("020712345"));
        QVERIFY(journal.add(older));
        QVERIFY(journal.add(newer));
        JournalFrm window(journal, {});
        QStringList reported;
        window.setReportCommand([&reported](const JournalEntry &entry) { reported << entry.id; });
        QVERIFY(!window.Command_Report->isHidden());
        window.Command_Report->click();
        window.Table_Entries->selectRow(1);
        window.Command_Report->click();
        QCOMPARE(reported, QStringList({newer.id, older.id}));
    }

    void pdfHoldsTheObservations_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QList<Message>>("messages");
        QTest::newRow("written") << true << QList<Message>{};
        QTest::newRow("folder missing")
            << false
            << QList<Message>{{Prompts::Icon::Warning, QStringLiteral("RAPPORT D'INTERVENTION"), QString()}};
    }
    void pdfHoldsTheObservations()
    {
        QFETCH(bool, writable);
        QFETCH(QList<Message>, messages);
        QTemporaryDir dir;
        JournalEntry entry = JournalFixtures::send(QStringLiteral("020712345"));
        QVERIFY(Journal(dir.path()).add(entry));
        const QString path =
            dir.filePath(writable ? QStringLiteral("rapport.pdf") : QStringLiteral("absent/rapport.pdf"));
        FakePrompts prompts;
        prompts.fileAnswers = {path};
        ReportFrm report(entry, prompts);
        report.Text_Observations->setPlainText(QStringLiteral("Détecteur 12 remplacé"));
        QCOMPARE(report.exportPdf(), writable);
        QCOMPARE(QFileInfo::exists(path), writable);
        // The message's own words are the report's; the test pins who says it and how.
        QList<Message> shown = prompts.messages();
        for (Message &m : shown)
            m.text.clear();
        QCOMPARE(shown, messages);
#ifndef Q_OS_WIN // pdftotext is Linux's
        if (writable)
            QVERIFY(PdfText::pages(path)
                        .join(QLatin1Char('\n'))
                        .contains(QStringLiteral("Détecteur 12 remplacé")));
#endif
    }
};

TORVA_TEST(ReportWindowTest)
#include "tst_reportwindow.moc"
