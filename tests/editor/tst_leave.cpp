// The way out: the port released first, the question while the configuration is unsaved, the save
// on Yes, and the window kept when the installer asked to save and nothing was saved.
#include "support/FakeEditor.h"
#include "support/PanelBench.h"
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "editor/Leave.h"
#include "files/FileCommands.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class LeaveTest : public QObject
{
    Q_OBJECT

private slots:
    void leave_data()
    {
        QTest::addColumn<bool>("saved");     // ConfigSaved before leaving
        QTest::addColumn<bool>("answer");    // to the question
        QTest::addColumn<QString>("target"); // the file chosen in the folder; empty: cancelled
        QTest::addColumn<bool>("mayEnd");
        QTest::addColumn<QList<Message>>("messages");
        const QList<Message> none;
        QTest::newRow("saved: no question") << true << true << "new.dat" << true << none;
        QTest::newRow("No: ends unsaved") << false << false << "new.dat" << true << none;
        QTest::newRow("Yes: saved, ends") << false << true << "new.dat" << true << none;
        QTest::newRow("Yes, dialog cancelled: ends") << false << true << "" << true << none;
        QTest::newRow("Yes, target is a folder: stays")
            << false << true << "." << false << QList<Message>{Msg::cannotSave()};
    }
    void leave()
    {
        QFETCH(bool, saved);
        QFETCH(bool, answer);
        QFETCH(QString, target);
        QFETCH(bool, mayEnd);
        QFETCH(QList<Message>, messages);
        PanelBench b;
        Session session;
        session.ConfigSaved = saved;
        FakeEditor editor;
        FileCommands files(session, editor, b.prompts);
        QTemporaryDir dir;
        QVERIFY(b.link.openPort(PortChoice::simulated())); // left open by a transfer
        b.prompts.yesNoAnswers << answer;
        b.prompts.fileAnswers << (target.isEmpty() ? QString() : QDir(dir.path()).filePath(target));
        bool portOpenAtPrompt = false;
        b.prompts.onShown = [&](const FakePrompts::Shown &) { portOpenAtPrompt |= b.link.isPortOpen(); };

        QCOMPARE(leaveProgram(b.link, session, b.prompts, [&] { return files.save(); }), mayEnd);
        QVERIFY(!portOpenAtPrompt && !b.link.isPortOpen());
        const FakePrompts::Shown question{FakePrompts::Shown::Kind::Question,
                                          QStringLiteral("DESIREZ-VOUS SAUVEGARDER CETTE CONFIGURATION ?"),
                                          QStringLiteral("FICHIER DONNEES"),
                                          Prompts::Icon::Critical,
                                          {}};
        QCOMPARE(b.prompts.shown.mid(0, 1), saved ? QList<FakePrompts::Shown>{} : QList{question});
        QCOMPARE(b.prompts.messages(), messages);
        QCOMPARE(QFileInfo(QDir(dir.path()).filePath("new.dat")).isFile(),
                 !saved && answer && mayEnd && !target.isEmpty());
        QVERIFY(b.panel.requests().isEmpty()); // nothing is sent to the panel when leaving
    }
};

TORVA_TEST(LeaveTest)
#include "tst_leave.moc"
