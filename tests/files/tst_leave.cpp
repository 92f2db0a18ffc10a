// The way out of the program: the port, the question, and the save that may keep the window open.
#include "FileFixtures.h"
#include "support/FakePrompts.h"
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "editor/Leave.h"
#include "files/FileCommands.h"
#include "link/Link.h"
#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"

#include <QFile>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

namespace {

const QString kQuestion = QStringLiteral("DESIREZ-VOUS SAUVEGARDER CETTE CONFIGURATION ?");

// Remembers whether the port was still open when the question came.
class PortWatchingPrompts : public FakePrompts
{
public:
    const Link *link = nullptr;
    QList<bool> portOpenAtQuestion;

    bool askYesNo(const QString &text, const QString &title, Icon icon) override
    {
        portOpenAtQuestion << (link && link->isPortOpen());
        return FakePrompts::askYesNo(text, title, icon);
    }
};

} // namespace

class TestLeave : public QObject
{
    Q_OBJECT

    EmulatedPanel m_panel;

    std::unique_ptr<Link> makeLink(Prompts &prompts)
    {
        return std::make_unique<Link>(prompts, [this](const PortChoice &) {
            return std::unique_ptr<SerialPort>(new EmulatedPort(m_panel));
        });
    }

private slots:
    void outcome_data()
    {
        QTest::addColumn<bool>("edited");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("level2");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("mayEnd");
        QTest::addColumn<int>("dialogs");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QStringList>("messages");
        const QString cannot = QStringLiteral("FICHIER DONNEES|Impossible d'enregistrer le fichier !");
        const QString shortCode = QStringLiteral("ERREUR DE SAISIE|Les codes doivent avoir 4 lettres !");

        QTest::newRow("nothing edited") << false << true << "BCAB" << "ok.dat" << true << 0 << false << QStringList{};
        QTest::newRow("No") << true << false << "BCAB" << "ok.dat" << true << 0 << false << QStringList{};
        QTest::newRow("Yes, saved") << true << true << "BCAB" << "ok.dat" << true << 1 << true << QStringList{};
        QTest::newRow("Yes, dialog cancelled") << true << true << "BCAB" << "" << true << 1 << false << QStringList{};
        QTest::newRow("Yes, write failed") << true << true << "BCAB" << "plain/inside.dat" << false << 1 << false
                                           << QStringList{cannot};
        QTest::newRow("Yes, short code") << true << true << "BCA" << "ok.dat" << false << 0 << false
                                         << QStringList{shortCode};
    }

    // With the real save command and real files: the answers decide whether the window stays.
    void outcome()
    {
        QFETCH(bool, edited);
        QFETCH(bool, yes);
        QFETCH(QString, level2);
        QFETCH(QString, target);
        QFETCH(bool, mayEnd);
        QFETCH(int, dialogs);
        QFETCH(bool, written);
        QFETCH(QStringList, messages);

        QTemporaryDir dir;
        QVERIFY(FileFixtures::writeAll(dir.filePath(QStringLiteral("plain")), "x"));
        FakePrompts prompts;
        prompts.yesNoAnswers << yes;
        prompts.fileAnswers << (target.isEmpty() ? QString() : dir.filePath(target));
        const auto link = makeLink(prompts);
        Session session;
        session.ConfigSaved = !edited;
        FileFixtures::StandInView view(session);
        view.codes[0] = level2;
        FileCommands files(session, view, prompts);

        QCOMPARE(leaveProgram(*link, session, prompts, [&] { return files.save(); }), mayEnd);
        QCOMPARE(QFile::exists(dir.filePath(QStringLiteral("ok.dat"))), written);
        QCOMPARE(session.ConfigSaved, !edited || written);
        QCOMPARE(prompts.messages(), messages);
        const FakePrompts::Shown asked{FakePrompts::Shown::Kind::Question, kQuestion,
                                       QStringLiteral("FICHIER DONNEES"), Prompts::Icon::Critical, {}};
        QCOMPARE(prompts.shown.count(asked), edited ? 1 : 0);
        QCOMPARE(int(std::count_if(prompts.shown.begin(), prompts.shown.end(),
                                   [](const FakePrompts::Shown &s) {
                                       return s.kind == FakePrompts::Shown::Kind::SaveDialog;
                                   })),
                 dialogs);
        QCOMPARE(prompts.busyDepth, 0);
    }

    void openPortClosedBeforeTheQuestion()
    {
        PortWatchingPrompts prompts;
        const auto link = makeLink(prompts);
        prompts.link = link.get();
        QVERIFY(link->openPort(PortChoice::simulated()));
        Session session;
        session.ConfigSaved = false;

        QVERIFY(leaveProgram(*link, session, prompts, [] { return SaveResult::Saved; }));
        QCOMPARE(prompts.portOpenAtQuestion, QList<bool>{false});
        QVERIFY(!link->isPortOpen());
    }

    // Closing the window while a transfer waits for a silent panel ends the wait at once, without
    // the time-out message.
    void closingDuringATransfer()
    {
        FakePrompts prompts;
        const auto link = makeLink(prompts);
        QVERIFY(link->openPort(PortChoice::simulated()));
        m_panel.addFault({Fault::Silence});
        Session session;
        bool mayEnd = false;
        QTimer::singleShot(100, link.get(), [&] {
            mayEnd = leaveProgram(*link, session, prompts, [] { return SaveResult::Saved; });
        });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!link->transaction(20, 5));
        m_panel.clearFaults();
        QVERIFY(clock.elapsed() < 900);
        QVERIFY(mayEnd);
        QVERIFY(!link->isPortOpen());
        QVERIFY(prompts.shown.isEmpty());
    }
};

TORVA_TEST(TestLeave)
#include "tst_leave.moc"
