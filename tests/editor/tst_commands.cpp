// The main window's commands: one exchange with the panel at a time, and a close during an
// exchange that stops it cleanly before leaving.
#include "support/TestRegistry.h"
#include "support/FakePrompts.h"

#include "config/Session.h"
#include "editor/MainCommands.h"
#include "editor/MainWindow.h"
#include "link/Link.h"
#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"

#include <QAction>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

struct CommandsBench
{
    EmulatedPanel panel;
    FakePrompts prompts;
    QPointer<EmulatedPort> port;
    Link link{prompts, [this](const PortChoice &) -> std::unique_ptr<SerialPort> {
                  auto made = std::make_unique<EmulatedPort>(panel);
                  port = made.get();
                  return made;
              }};
    Session session;
    MainWindow window{session, link, prompts};
    int diagnostics = 0;
    MainCommands commands{window, link, session, prompts, [this] { ++diagnostics; }};

    CommandsBench()
    {
        commands.setPortSelection([this] {
            return link.openPort(PortChoice::simulated()) ? PortOutcome::Opened : PortOutcome::Failed;
        });
        window.show();
    }

    // Which of the commands that start an exchange or change the editor are enabled now.
    QList<bool> commandsEnabled() const
    {
        return {window.Command1->isEnabled(), window.Command2->isEnabled(), window.Diag_Menu->isEnabled(),
                window.Open_Menu->isEnabled(), window.Save_Menu->isEnabled(), window.Import_Mnu->isEnabled()};
    }
};

const QList<bool> kAllEnabled{true, true, true, true, true, true};
const QList<bool> kAllDisabled{false, false, false, false, false, false};

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void commandsDisabledDuringExchange_data()
    {
        QTest::addColumn<int>("which");   // 0 receive, 1 send
        QTest::addColumn<bool>("silent");
        QTest::newRow("receive") << 0 << false;
        QTest::newRow("send") << 1 << false;
        QTest::newRow("receive from a silent panel") << 0 << true;
        QTest::newRow("send to a silent panel") << 1 << true;
    }
    void commandsDisabledDuringExchange()
    {
        QFETCH(int, which);
        QFETCH(bool, silent);
        CommandsBench b;
        if (silent)
            b.panel.addFault({Fault::Silence});
        QList<bool> during;
        QTimer::singleShot(300, [&] {
            during = b.commandsEnabled();
            // A click that slips through anyway starts nothing.
            b.commands.receive();
            b.commands.send();
        });
        QTest::mouseClick(which == 0 ? b.window.Command1 : b.window.Command2, Qt::LeftButton);
        QCOMPARE(during, kAllDisabled);
        QCOMPARE(b.commandsEnabled(), kAllEnabled);
        QCOMPARE(b.prompts.messages().size(), silent ? 1 : 0);
        // Only the first exchange read the mode (three attempts on a silent panel).
        int modeReads = 0;
        for (const QByteArray &f : b.panel.requests())
            modeReads += quint8(f[2]) == 20;
        QCOMPARE(modeReads, silent ? Link::kAttempts : 1);
    }

    void closeDuringReceiveStopsThenLeaves()
    {
        CommandsBench b;
        b.panel.addFault({Fault::Silence, 21});   // the receive waits on the alarm modes
        int framesAtClose = -1;
        QTimer::singleShot(1200, [&] {
            framesAtClose = int(b.port->framesWritten().size());
            b.window.close();
        });
        b.prompts.yesNoAnswers = {false};
        QTest::mouseClick(b.window.Command1, Qt::LeftButton);
        QTRY_VERIFY(!b.window.isVisible());
        QVERIFY(framesAtClose > 0);
        QCOMPARE(int(b.port.isNull() ? framesAtClose : b.port->framesWritten().size()), framesAtClose);
        // No "TIME OUT" for the aborted wait; the leave procedure's question, answered No.
        QCOMPARE(b.prompts.shown.size(), 1);
        QCOMPARE(b.prompts.shown[0].kind, FakePrompts::Shown::Kind::Question);
        QCOMPARE(b.prompts.shown[0].text, QStringLiteral("DESIREZ-VOUS SAUVEGARDER CETTE CONFIGURATION ?"));
        QVERIFY(!b.link.isPortOpen());
    }

    void diagnosticRunsOnlyOnOpenedPort()
    {
        CommandsBench b;
        b.window.Diag_Menu->trigger();
        QCOMPARE(b.diagnostics, 1);
        b.commands.setPortSelection([] { return PortOutcome::Failed; });
        b.window.Diag_Menu->trigger();
        QCOMPARE(b.diagnostics, 1);
        QCOMPARE(b.commandsEnabled(), kAllEnabled);
    }

    void quitRunsTheLeaveProcedure()
    {
        CommandsBench b;
        b.window.Mode_Discrim[2]->setChecked(true);
        b.prompts.yesNoAnswers = {false};
        b.window.Quit_Menu->trigger();
        QVERIFY(!b.window.isVisible());
        QCOMPARE(b.prompts.shown.size(), 1);
        QCOMPARE(b.prompts.shown[0].title, QStringLiteral("FICHIER DONNEES"));
        QCOMPARE(b.prompts.shown[0].icon, Prompts::Icon::Critical);
    }
};

TORVA_TEST(TestCommands)
#include "tst_commands.moc"
