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
#include <QTemporaryDir>
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
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<SaveResult>("saveResult");
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("saves");
        QTest::addColumn<bool>("mayEnd");

        QTest::newRow("nothing edited") << true << QList<bool>{} << SaveResult::Saved << 0 << 0 << true;
        QTest::newRow("edited, No") << false << QList<bool>{false} << SaveResult::Saved << 1 << 0
                                    << true;
        QTest::newRow("edited, Yes, saved") << false << QList<bool>{true} << SaveResult::Saved << 1
                                            << 1 << true;
        QTest::newRow("edited, Yes, dialog cancelled")
            << false << QList<bool>{true} << SaveResult::Cancelled << 1 << 1 << true;
        QTest::newRow("edited, Yes, save failed")
            << false << QList<bool>{true} << SaveResult::Failed << 1 << 1 << false;
    }

    void outcome()
    {
        QFETCH(bool, saved);
        QFETCH(QList<bool>, answers);
        QFETCH(SaveResult, saveResult);
        QFETCH(int, questions);
        QFETCH(int, saves);
        QFETCH(bool, mayEnd);

        FakePrompts prompts;
        prompts.yesNoAnswers = answers;
        const auto link = makeLink(prompts);
        Session session;
        session.ConfigSaved = saved;
        int saveCalls = 0;
        const auto save = [&] { ++saveCalls; return saveResult; };

        QCOMPARE(leaveProgram(*link, session, prompts, save), mayEnd);
        QCOMPARE(saveCalls, saves);
        QCOMPARE(prompts.shown.size(), questions);
        if (questions > 0) {
            const FakePrompts::Shown asked{FakePrompts::Shown::Kind::Question, kQuestion,
                                           QStringLiteral("FICHIER DONNEES"),
                                           Prompts::Icon::Critical, {}};
            QCOMPARE(prompts.shown[0], asked);
        }
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

    // With the real save command and real files.
    void withTheSaveCommand_data()
    {
        QTest::addColumn<QString>("level2");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("mayEnd");
        QTest::addColumn<bool>("savedAfter");
        QTest::addColumn<QStringList>("messages");

        QTest::newRow("saved") << "BCAB" << "ok.dat" << true << true << QStringList{};
        QTest::newRow("dialog cancelled") << "BCAB" << "" << true << false << QStringList{};
        QTest::newRow("write failed") << "BCAB" << "plain/inside.dat" << false << false
            << QStringList{QStringLiteral("FICHIER DONNEES|Impossible d'enregistrer le fichier !")};
        QTest::newRow("short code") << "BCA" << "ok.dat" << false << false
            << QStringList{QStringLiteral("ERREUR DE SAISIE|Les codes doivent avoir 4 lettres !")};
    }

    void withTheSaveCommand()
    {
        QFETCH(QString, level2);
        QFETCH(QString, target);
        QFETCH(bool, mayEnd);
        QFETCH(bool, savedAfter);
        QFETCH(QStringList, messages);

        QTemporaryDir dir;
        QFile plain(dir.filePath(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();

        FakePrompts prompts;
        prompts.yesNoAnswers << true;
        if (!target.isEmpty())
            prompts.fileAnswers << dir.filePath(target);
        const auto link = makeLink(prompts);
        Session session;
        session.ConfigSaved = false;
        FileFixtures::StandInView view(session);
        view.codes[0] = level2;
        FileCommands files(session, view, prompts);

        QCOMPARE(leaveProgram(*link, session, prompts, [&] { return files.save(); }), mayEnd);
        QCOMPARE(session.ConfigSaved, savedAfter);
        QCOMPARE(prompts.messages(), messages);
        QCOMPARE(QFile::exists(dir.filePath(QStringLiteral("ok.dat"))), savedAfter);
        QCOMPARE(prompts.busyDepth, 0);
    }
};

TORVA_TEST(TestLeave)
#include "tst_leave.moc"
