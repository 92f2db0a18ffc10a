// The exchange log: what the link records of every sequence on the line, and the window that
// shows it.
#include "support/FakeEditor.h"
#include "support/PanelBench.h"
#include "support/StickyFolder.h"
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "link/ExchangeLog.h"
#include "linkwindows/LogFrm.h"
#include "transfer/Transfer.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

enum class Line { AsIs, Babbling, LostAfterTwoBytes, Abandoned };

// A line without its time, which no test can know in advance.
QString untimed(const QString &line) { return line.mid(line.indexOf(QStringLiteral(" | ")) + 3); }

QStringList untimedLines(const ExchangeLog &log)
{
    QStringList lines;
    for (const ExchangeRecord &record : log.records())
        lines << untimed(ExchangeLog::line(record));
    return lines;
}

// A request line and a reply line as the log shows them, without their time.
QString tx(int attempt, const QString &hex, const QString &step = "-")
{
    return QStringLiteral("TX | essai %1 | %2 | %3").arg(QString::number(attempt), step, hex);
}

QString rx(int attempt, const QString &hex, const QString &verdict, const QString &step = "-")
{
    return QStringLiteral("RX | essai %1 | %2 | %3 | %4").arg(QString::number(attempt), step, hex, verdict);
}

} // namespace

Q_DECLARE_METATYPE(Line)

class ExchangeLogTest : public QObject
{
    Q_OBJECT

private slots:
    // A whole receive with one wrong echo, the log window open: the spoilt reply and its retry
    // exactly, under their step, and nothing interrupts the installer. The window is drawn into TORVA_EXCHANGE_LOG_PNG when that is set (README).
    void receiveWithOneWrongEcho()
    {
        PanelBench bench;
        ExchangeLog log;
        bench.link.setExchangeLog(&log);
        Session session;
        FakeEditor editor;
        FakeProgress progress(bench.link);
        TransferContext context{bench.link, session, editor, bench.prompts, progress, [&] {
                                    return bench.link.openPort(PortChoice::simulated()) ? PortOutcome::Opened
                                                                                        : PortOutcome::Failed;
                                }};
        bench.panel.addFault({Fault::WrongEcho, 21, 3, 1}); // loop 4's alarm mode, once
        LogFrm window(log, bench.prompts);
        window.show();
        QCOMPARE(receiveConfiguration(context), TransferResult::Done);
        QVERIFY(bench.prompts.shown.isEmpty());

        const QStringList lines = untimedLines(log);
        const char *step = "Lecture modes alarme";
        const QStringList retry{
            tx(1, "01 06 15 03 1f 00", step), rx(1, "01 06 16 02 1f 00", "mauvais écho, octet 3", step),
            tx(2, "01 06 15 03 1f 00", step), rx(2, "01 06 15 02 1e 00", "acceptée", step)};
        QCOMPARE(lines.mid(lines.indexOf(retry[0]), 4), retry);
        // The opening gives the date and the time.
        const ExchangeRecord &opening = log.records().front();
        QCOMPARE(ExchangeLog::line(opening),
                 opening.portOpened.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
                     QStringLiteral(" ouverture de ECS simulée"));
        QTRY_COMPARE_WITH_TIMEOUT(window.Journal->toPlainText() + u'\n', log.text(),
                                  int(2 * LogFrm::kRefresh.count()));
        if (const QString picture = qEnvironmentVariable("TORVA_EXCHANGE_LOG_PNG"); !picture.isEmpty()) {
            window.Journal->verticalScrollBar()->setValue(int(lines.indexOf(retry[1])) - 8);
            QVERIFY(window.grab().save(picture, "PNG"));
        }
    }

    void verdicts_data()
    {
        QTest::addColumn<Line>("line");
        QTest::addColumn<std::optional<FaultRule>>("fault"); // on the panel mode read
        QTest::addColumn<QStringList>("expected");
        const auto once = [](Fault fault) { return std::optional<FaultRule>({fault, 20, -1, 1}); };
        const char *request = "01 05 14 1a 00", *reply = "01 06 14 00 1b 00";
        // The first reply refused with this verdict, the second accepted.
        const auto retried = [&](const char *spoilt, const char *verdict) {
            return QStringList{tx(1, request), rx(1, spoilt, verdict), tx(2, request),
                               rx(2, reply, "acceptée")};
        };
        QTest::newRow("silent panel") << Line::AsIs << std::optional<FaultRule>({Fault::Silence, 20})
                                      << QStringList{tx(1, request), rx(1, "-", "pas de réponse"),
                                                     tx(2, request), rx(2, "-", "pas de réponse"),
                                                     tx(3, request), rx(3, "-", "pas de réponse")};
        QTest::newRow("wrong start byte, good reply behind")
            << Line::AsIs << once(Fault::WrongStartByte)
            << retried("55 01 06 14 00 1b 00", "mauvais octet de début, octet 1");
        QTest::newRow("length 14") << Line::AsIs << once(Fault::LengthTooLong)
                                   << retried("01 0e 14 00 23 00", "mauvaise longueur, octet 2");
        QTest::newRow("wrong sum") << Line::AsIs << once(Fault::BadSum)
                                   << retried("01 06 14 00 1c 00", "mauvaise somme de contrôle");
        const QString babble = QStringList(ExchangeRecord::kMaxBytes, QStringLiteral("55")).join(u' ');
        QTest::newRow("babbling line")
            << Line::Babbling << std::optional<FaultRule>()
            << QStringList{QStringLiteral("RX | essai 1 | - | %1 (+36 octets) | ignorés").arg(babble),
                           tx(1, request), rx(1, reply, "acceptée")};
        QTest::newRow("adapter gone mid-request")
            << Line::LostAfterTwoBytes << std::optional<FaultRule>()
            << QStringList{tx(1, "01 05"), rx(1, "-", "port perdu"), rx(2, "-", "port perdu"),
                           rx(3, "-", "port perdu")};
        QTest::newRow("abandoned") << Line::Abandoned << std::optional<FaultRule>({Fault::Silence, 20})
                                   << QStringList{tx(1, request), rx(1, "-", "abandon")};
    }

    // One panel mode read after the wake-up: each attempt's request and its reply's verdict.
    void verdicts()
    {
        QFETCH(Line, line);
        QFETCH(std::optional<FaultRule>, fault);
        QFETCH(QStringList, expected);
        PanelBench bench;
        ExchangeLog log;
        bench.link.setExchangeLog(&log);
        QVERIFY(bench.start());
        log.clear();
        if (fault)
            bench.panel.addFault(*fault);
        if (line == Line::Babbling)
            bench.port->injectIncoming(QByteArray(ExchangeRecord::kMaxBytes + 36, char(0x55)));
        else if (line == Line::LostAfterTwoBytes)
            bench.port->vanishAfterWrites(2);
        else if (line == Line::Abandoned)
            QTimer::singleShot(100, &bench.link, [&] { bench.link.abort(); });
        bench.link.request(PanelCommand::PanelMode);
        QCOMPARE(untimedLines(log), expected);
    }

    void saveAndClear_data()
    {
        QTest::addColumn<QString>("chosen"); // in a fresh folder
        QTest::addColumn<QList<Message>>("messages");
        QTest::newRow("saved") << "log.txt" << QList<Message>{};
        QTest::newRow("folder gone") << "gone/log.txt"
                                     << QList<Message>{Msg::warning("JOURNAL DES ECHANGES",
                                                                    "Impossible d'enregistrer le fichier !")};
    }

    // "ENREGISTRER" asks for a text file and writes the lines the window shows, the newest
    // included; a file it could not write is said. "EFFACER" then empties the log and the window.
    void saveAndClear()
    {
        QFETCH(QString, chosen);
        QFETCH(QList<Message>, messages);
        ExchangeLog log;
        FakePrompts prompts;
        LogFrm window(log, prompts);
        window.show();
        for (const LinkFailure failure : {LinkFailure::NoReply, LinkFailure::None}) {
            ExchangeRecord record;
            record.kind = ExchangeRecord::Kind::Reply;
            record.failure = failure;
            log.add(record);
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(chosen);
        prompts.fileAnswers << path;
        QTest::mouseClick(window.Enregistrer, Qt::LeftButton);
        QCOMPARE(prompts.messages(), messages);
        QFile file(path);
        QCOMPARE(file.open(QIODevice::ReadOnly), chosen == QStringLiteral("log.txt"));
        if (file.isOpen())
            QCOMPARE(QString::fromUtf8(file.readAll()), log.text());
        QTest::mouseClick(window.Effacer, Qt::LeftButton);
        QVERIFY(log.records().empty() && window.Journal->toPlainText().isEmpty());
    }

    // A save over an earlier log whose last step, the rename of the new file over it, is refused:
    // said, and the earlier log stays as it was, with nothing left beside it.
    void saveNotReplacingTheEarlierLog()
    {
        if (const QString why = StickyFolder::unavailable(); !why.isEmpty())
            QSKIP(qPrintable(why));
        ExchangeLog log;
        FakePrompts prompts;
        LogFrm window(log, prompts);
        window.show();
        log.add(ExchangeRecord{});
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log.txt"));
        const QByteArray earlier = "2024-05-02 09:14:03.120 ouverture de COM1\n";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(earlier) == earlier.size());
        file.close();
        QVERIFY(StickyFolder::protectFromReplacing(dir.path(), path));
        prompts.fileAnswers << path;
        {
            StickyFolder::WithoutOwnerOverride withoutOverride;
            QVERIFY(withoutOverride.ok());
            QTest::mouseClick(window.Enregistrer, Qt::LeftButton);
        }
        QCOMPARE(prompts.messages(), QList<Message>{Msg::warning("JOURNAL DES ECHANGES",
                                                                 "Impossible d'enregistrer le fichier !")});
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), earlier);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"log.txt"});
    }
};

TORVA_TEST(ExchangeLogTest)
#include "tst_exchangelog.moc"
