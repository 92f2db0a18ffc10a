// The whole program against torva-ecs-sim over a real tty: the port chosen with "Autre :" in the
// port selection window, the real QSerialPort, the real main window and its commands, and the
// diagnostic window.
#include "support/TestRegistry.h"

#include "SimProcess.h"
#include "config/Session.h"
#include "diag/DiagFrm.h"
#include "diag/Measurements.h"
#include "editor/MainCommands.h"
#include "editor/MainWindow.h"
#include "files/DataFile.h"
#include "link/Link.h"
#include "link/PortFrm.h"
#include "link/QtSerialPort.h"
#include "sim/EmulatedPanel.h"
#include "support/FakePrompts.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <functional>

namespace {

// The program as main() puts it together, on the real serial port only.
struct Program
{
    FakePrompts prompts;
    Session session;
    Link link{prompts, makeRealPortFactory()};
    MainWindow window{session, link, prompts};
    QStringList diagnosticSeen;   // what the diagnostic window showed before it was closed
    MainCommands commands{window, link, session, prompts, [this] {
                              DiagFrm::run(link, session, prompts, &window);
                          }};

    Program() { window.show(); }
};

// Each time Port_Frm comes up: "Autre :", the device typed into Autre_Port, "CONTINUER".
class AutreChooser : public QObject
{
public:
    explicit AutreChooser(const QString &device) : m_device(device)
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            auto *window = qobject_cast<QWidget *>(QApplication::activeModalWidget());
            if (!window || window->objectName() != QLatin1String("Port_Frm") || window == m_handled)
                return;
            m_handled = window;
            window->findChild<QRadioButton *>(QStringLiteral("Option_Autre"))->click();
            window->findChild<QComboBox *>(QStringLiteral("Autre_Port"))->setEditText(m_device);
            window->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
            ++chosen;
        });
        m_poll.start(10);
    }
    int chosen = 0;

private:
    QString m_device;
    QTimer m_poll;
    QPointer<QWidget> m_handled;
};

ControlItems itemsOf(const PanelState &state)
{
    ControlItems items;
    items.CommandMatrix = state.commandMatrix;
    items.AlarmModes = state.alarmModes;
    items.FunctionTypes = state.functionTypes;
    items.RelayMatrix = state.relays;
    items.Output12vMode = state.output12v;
    items.AesChoice = state.aes;
    return items;
}

QStringList codesOf(const MainWindow &window)
{
    return {window.code(0), window.code(1)};
}

const QString kTimeOut = QStringLiteral("TIME OUT|Pas de réponse de l'ECS !");

} // namespace

class OverTtyTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::French));
    }

    // A receive shows the simulator's panel; a second simulator started from a data file shows
    // that file's configuration.
    void receive()
    {
        SimProcess sim({QStringLiteral("--steady")});
        QVERIFY2(!sim.device().isEmpty(), qPrintable(sim.error()));
        Program program;
        {
            AutreChooser chooser(sim.device());
            program.commands.receive();
            QCOMPARE(chooser.chosen, 1);
        }
        QCOMPARE(program.prompts.messages(), QStringList());
        const PanelState panel;
        QCOMPARE(program.window.itemsFromControls(), itemsOf(panel));
        QCOMPARE(codesOf(program.window), (QStringList{"ABCA", "CABB"}));

        // The program's start-up configuration, kept in a file, differs from that panel in
        // every item: a receive from a panel started on that file must change every control.
        QTemporaryDir dir;
        DataFileContent file{Program().window.itemsFromControls(), {"CCBA", "BACA"}, 1};
        QVERIFY(file.items != program.window.itemsFromControls());
        const QString path = dir.filePath(QStringLiteral("startup.dat"));
        QSaveFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(DataFile::format(file));
        QVERIFY(out.commit());
        SimProcess fromFile({QStringLiteral("--steady"), QStringLiteral("--config"), path});
        QVERIFY2(!fromFile.device().isEmpty(), qPrintable(fromFile.error()));
        AutreChooser chooser(fromFile.device());
        program.commands.receive();
        QCOMPARE(program.prompts.messages(), QStringList());
        QCOMPARE(program.window.itemsFromControls(), file.items);
        QCOMPARE(codesOf(program.window), (QStringList{"CCBA", "BACA"}));
    }

    // A send is verified item by item by the program itself; another program then receives
    // from the same panel exactly what was sent.
    void sendThenReceiveBack()
    {
        SimProcess sim({QStringLiteral("--steady")});
        QVERIFY2(!sim.device().isEmpty(), qPrintable(sim.error()));
        AutreChooser chooser(sim.device());
        ControlItems sent;
        {
            Program sender;
            sender.window.setCode(0, QStringLiteral("ACBA"));
            sender.window.setCode(1, QStringLiteral("BBCA"));
            sent = sender.window.itemsFromControls();
            QVERIFY(sent != itemsOf(PanelState()));
            sender.commands.send();
            QCOMPARE(sender.prompts.messages(), QStringList());
        }
        Program receiver;
        receiver.window.setCode(0, QString());
        receiver.window.setCode(1, QString());
        receiver.commands.receive();
        QCOMPARE(chooser.chosen, 2);
        QCOMPARE(receiver.prompts.messages(), QStringList());
        QCOMPARE(receiver.window.itemsFromControls(), sent);
        QCOMPARE(codesOf(receiver.window), (QStringList{"ACBA", "BBCA"}));
    }

    // The diagnostic window reads the versions, then measures until FERMER.
    void diagnostic()
    {
        SimProcess sim({QStringLiteral("--steady")});
        QVERIFY2(!sim.device().isEmpty(), qPrintable(sim.error()));
        AutreChooser chooser(sim.device());
        Program program;
        const PanelState panel;
        const QString expectedLoad = Measurements::loopLoadText(*Measurements::loopLoad(panel.loopRaw[4]));
        QStringList seen;
        QTimer watch;
        QElapsedTimer clock;
        clock.start();
        connect(&watch, &QTimer::timeout, &watch, [&] {
            DiagFrm *window = nullptr;
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *diag = qobject_cast<DiagFrm *>(top); diag && diag->isVisible())
                    window = diag;
            if (!window)
                return;
            // Once a measurement cycle has shown loop 5's load, or after long enough to fail.
            const bool measured = window->Ib[4]->text() == expectedLoad;
            if ((!measured && clock.elapsed() < 15000) || !window->Fermer->isEnabled())
                return;
            seen = {window->Label1[3]->text(), window->Label1[4]->text(), window->Ib[4]->text()};
            watch.stop();
            window->Fermer->click();
        });
        watch.start(20);
        program.commands.diagnostic();
        QCOMPARE(chooser.chosen, 1);
        QCOMPARE(program.prompts.messages(), QStringList());
        QCOMPARE(seen, (QStringList{Measurements::versionText(panel.ecsVersion[0], panel.ecsVersion[1]),
                                    Measurements::versionText(panel.cardVersion[0], panel.cardVersion[1]),
                                    expectedLoad}));
        QVERIFY(!program.link.DiagInProgress);
    }

    // The panel's refusals reach the installer as the program words them.
    void panelRefuses_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("message");
        QTest::newRow("silent panel") << QStringList{"--fault", "silence"} << kTimeOut;
        QTest::newRow("manual mode")
            << QStringList{"--manual"}
            << QStringLiteral("ACCES ECS|Le mode de configuration manuelle est engagé, accès PC interdit !");
        QTest::newRow("mode read answered with a wrong echo three times")
            << QStringList{"--fault", "wrong-echo:20::3"} << kTimeOut;
    }

    void panelRefuses()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, message);
        SimProcess sim(options << QStringLiteral("--steady"));
        QVERIFY2(!sim.device().isEmpty(), qPrintable(sim.error()));
        AutreChooser chooser(sim.device());
        Program program;
        const ControlItems before = program.window.itemsFromControls();
        program.commands.receive();
        QCOMPARE(program.prompts.messages(), QStringList{message});
        QCOMPARE(program.window.itemsFromControls(), before);
    }

    // On a serial device given by name the panel answers what arrives on that device: here the
    // slave of a pseudo-terminal, whose master stands for the PC's end of a null-modem cable.
    void servesANamedDevice()
    {
        int master = -1;
        int slave = -1;
        char name[256] = {};
        QVERIFY(::openpty(&master, &slave, name, nullptr, nullptr) == 0);
        SimProcess sim({QStringLiteral("--device"), QString::fromLocal8Bit(name),
                        QStringLiteral("--manual")});
        ::close(slave);
        QCOMPARE(sim.device(), QString::fromLocal8Bit(name));
        QTest::qWait(100);   // the simulator has set the line raw
        const QByteArray modeRead = QByteArray::fromHex("01 05 14 1A 00");
        QCOMPARE(::write(master, modeRead.constData(), size_t(modeRead.size())), ssize_t(modeRead.size()));
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        QByteArray reply;
        QTRY_VERIFY_WITH_TIMEOUT([&] {
            char buffer[64];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0)
                reply.append(buffer, n);
            return reply.size() >= 6;
        }(), 3000);
        ::close(master);
        QCOMPARE(reply, QByteArray::fromHex("01 06 14 01 1C 00"));   // manual mode: 1
    }
};

TORVA_TEST(OverTtyTest)
#include "tst_overtty.moc"
