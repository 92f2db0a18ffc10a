// The whole program against torva-ecs-sim over a real tty: the port chosen with "Autre :", the
// real QSerialPort, the real main window and its commands, and the diagnostic window. And the
// simulator's own options.
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "diag/DiagFrm.h"
#include "diagreads/Measurements.h"
#include "editor/MainCommands.h"
#include "editor/MainWindow.h"
#include "files/DataFile.h"
#include "link/SystemPorts.h"
#include "linkwindows/PortFrm.h"
#include "simfiles/PanelOptions.h"
#include "support/PanelBench.h"
#include "support/SimProcess.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Sim = SimProcess;

// The program as main() puts it together, on the real serial port only.
struct Program
{
    FakePrompts prompts;
    Session session;
    Link link{prompts, makeRealPortFactory()};
    MainWindow window{session, link, prompts};
    MainCommands commands{
        window, link, session, prompts,
        [this] { DiagFrm::run(link, session, prompts, window.configuration().UpCardPresent == 1, &window); }};
    Program() { window.show(); }
    // The configuration shown, less the tempo (which a data file does not hold).
    PanelConfig shown() const
    {
        PanelConfig config = window.configuration();
        config.UgaTempo.reset();
        return config;
    }
};

// Each time Port_Frm comes up: "Autre :", `device` typed into Autre_Port, "CONTINUER" (which
// closes it at once).
struct AutreChooser : QTimer
{
    explicit AutreChooser(const QString &port) : device(port)
    {
        connect(this, &QTimer::timeout, this, [this] {
            if (auto *window = qobject_cast<PortFrm *>(QApplication::activeModalWidget())) {
                window->Option_Autre->click();
                window->Autre_Port->setEditText(device);
                window->Command1->click();
                ++chosen;
            }
        });
        start(10);
    }
    QString device;
    int chosen = 0;
};

} // namespace

class OverTtyTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }

    // A session: receives from a simulator in its own state, then from one started on a data file
    // (the start-up configuration, which differs from that state in every item, with its relays
    // told apart); sends the start-up configuration to the first and receives it back; runs the
    // diagnostic there, which reads the versions and measures until FERMER. A bad file is refused.
    void session()
    {
        QTemporaryDir dir;
        const auto write = [&](const char *name, const QByteArray &bytes) {
            QFile out(dir.filePath(QLatin1String(name)));
            return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() ? out.fileName()
                                                                                      : QString();
        };
        Program program;
        const PanelState panel;
        const PanelConfig startUp = program.shown();
        QVERIFY(startUp != configOf(panel));
        PanelConfig file = startUp;
        file.AccessCodes = {QStringLiteral("CCBA"), QStringLiteral("BACA")};
        // Relay 1 on loops 1 to 4, relay 2 on loops 5 to 8.
        for (int j = 0; j < kLoopCount; ++j)
            file.setRelayFollows(j < 4 ? 0 : 1, j, true);
        const Sim refused({QStringLiteral("--config"), write("bad.dat", DataFile::format(file).chopped(10))});
        QVERIFY2(refused.error.contains(QLatin1String("is not a TORVA-PC data file")),
                 qPrintable(refused.error));
        const Sim own({QStringLiteral("--steady")});
        const Sim fromFile({QStringLiteral("--steady"), QStringLiteral("--config"),
                            write("startup.dat", DataFile::format(file))});
        QVERIFY2(!own.device.isEmpty() && !fromFile.device.isEmpty(), qPrintable(own.error + fromFile.error));

        AutreChooser chooser(own.device);
        program.commands.receive();
        QCOMPARE(program.shown(), configOf(panel));
        QCOMPARE(program.window.configuration().UgaTempo, std::optional(panel.ugaTempo));
        chooser.device = fromFile.device;
        program.commands.receive();
        QCOMPARE(program.shown(), file);
        chooser.device = own.device;
        {
            Program sender; // gone before the receive, which opens the same port
            sender.window.setCode(0, QStringLiteral("ACBA"));
            sender.window.setCode(1, QStringLiteral("BBCA"));
            sender.commands.send();
            QCOMPARE(sender.prompts.messages(), QList<Message>());
        }
        program.commands.receive();
        PanelConfig sent = startUp;
        sent.AccessCodes = {QStringLiteral("ACBA"), QStringLiteral("BBCA")};
        QCOMPARE(program.shown(), sent);

        const QString load = Measurements::loopLoadText(*Measurements::loopLoad(panel.loopRaw[4]));
        QStringList seen;
        QDeadlineTimer patience(15000);
        QTimer watch;
        connect(&watch, &QTimer::timeout, &watch, [&] {
            for (QWidget *top : QApplication::topLevelWidgets())
                // Once a measurement cycle has shown loop 5's load, or after long enough to fail.
                if (auto *diag = qobject_cast<DiagFrm *>(top);
                    diag && diag->isVisible() && diag->Fermer->isEnabled() &&
                    (diag->Ib[4]->text() == load || patience.hasExpired())) {
                    seen = {diag->Label1[3]->text(), diag->Label1[4]->text(), diag->Ib[4]->text()};
                    watch.stop();
                    diag->Fermer->click();
                }
        });
        watch.start(20);
        program.commands.diagnostic();
        QCOMPARE(seen,
                 (QStringList{Measurements::versionText(panel.ecsVersion[0], panel.ecsVersion[1]),
                              Measurements::versionText(panel.cardVersion[0], panel.cardVersion[1]), load}));
        QVERIFY(!program.link.inDiagnosticMode());
        QCOMPARE(program.prompts.messages(), QList<Message>());
        QCOMPARE(chooser.chosen, 5);
    }

    // A panel started with --fault whose replies stay spoilt: the installer hears that it does not
    // answer, and the controls stay.
    void panelRefuses()
    {
        const Sim sim(
            {QStringLiteral("--fault"), QStringLiteral("wrong-echo:20::3"), QStringLiteral("--steady")});
        QVERIFY2(!sim.device.isEmpty(), qPrintable(sim.error));
        AutreChooser chooser(sim.device);
        Program program;
        const PanelConfig before = program.window.configuration();
        program.commands.receive();
        QCOMPARE(program.prompts.messages(), QList<Message>{Msg::timeOut()});
        QCOMPARE(program.window.configuration(), before);
    }

    // --fault name[:command[:index[:times]]], an empty part or "*" for any.
    void faultOption_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("rule"); // fault, command, index, times; none when refused
        QTest::newRow("name alone") << "silence" << QList<int>{int(Fault::Silence), -1, -1, -1};
        QTest::newRow("command, index, times")
            << "wrong-echo:21:3:2" << QList<int>{int(Fault::WrongEcho), 21, 3, 2};
        QTest::newRow("any index") << "bad-sum:4::1" << QList<int>{int(Fault::BadSum), 4, -1, 1};
        QTest::newRow("star for any")
            << "stray-bytes:*:*:5" << QList<int>{int(Fault::StrayBytesBefore), -1, -1, 5};
        QTest::newRow("last name") << "read-back-differs:2"
                                   << QList<int>{int(Fault::ReadBackDiffers), 2, -1, -1};
        QTest::newRow("unknown name") << "noise" << QList<int>();
        QTest::newRow("command above a byte") << "silence:256" << QList<int>();
        QTest::newRow("not a number") << "silence:x" << QList<int>();
        QTest::newRow("zero times") << "silence:20::0" << QList<int>();
        QTest::newRow("too many parts") << "silence:1:2:3:4" << QList<int>();
        QTest::newRow("negative") << "silence:-2" << QList<int>();
    }

    void faultOption()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, rule);
        const std::optional<FaultRule> parsed = PanelOptions::parseFault(text);
        QCOMPARE((parsed ? QList<int>{int(parsed->fault), parsed->command, parsed->index, parsed->times}
                         : QList<int>()),
                 rule);
    }

    // What the simulator cannot start from says so, and it ends at once instead of waiting.
    void refusesItsCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments"); // in a folder holding the named pipe "pipe"
        QTest::addColumn<QString>("error");
        QTest::newRow("stray argument") << QStringList{"--steady", "extra"}
                                        << "torva-ecs-sim: unexpected argument \"extra\" (see --help)\n";
        QTest::newRow("configuration from a pipe")
            << QStringList{"--config", "pipe"} << "torva-ecs-sim: pipe is not a regular file\n";
    }

    void refusesItsCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        QTemporaryDir dir;
        QVERIFY(::mkfifo(qPrintable(dir.filePath("pipe")), 0600) == 0);
        const Sim sim(arguments, dir.path());
        QCOMPARE(sim.process.state(), QProcess::NotRunning);
        QCOMPARE(sim.error, error);
        QCOMPARE(sim.process.exitCode(), 2);
    }

    // With --device the panel answers on that device: here a pseudo-terminal's slave, whose
    // master stands for the PC's end of a null-modem cable. A relative path is taken from the
    // simulator's working folder.
    void servesANamedDevice_data()
    {
        QTest::addColumn<bool>("relative");
        QTest::newRow("absolute path") << false;
        QTest::newRow("path relative to the working folder") << true;
    }

    void servesANamedDevice()
    {
        QFETCH(bool, relative);
        int master = -1, slave = -1;
        char name[256] = {};
        QVERIFY(::openpty(&master, &slave, name, nullptr, nullptr) == 0);
        QTemporaryDir dir;
        const QString path = relative ? dir.filePath("line") : QString::fromLocal8Bit(name);
        QVERIFY(!relative || QFile::link(QString::fromLocal8Bit(name), path));
        const Sim sim({QStringLiteral("--device"), relative ? QStringLiteral("line") : path,
                       QStringLiteral("--manual")},
                      dir.path());
        ::close(slave);
        QCOMPARE(sim.device, path);
        QTest::qWait(100); // the simulator has set the line raw
        const QByteArray modeRead = QByteArray::fromHex("01 05 14 1A 00");
        QCOMPARE(::write(master, modeRead.constData(), size_t(modeRead.size())), ssize_t(modeRead.size()));
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        QByteArray reply;
        char buffer[64];
        QTRY_VERIFY_WITH_TIMEOUT(
            (reply += QByteArray(buffer, std::max<ssize_t>(0, ::read(master, buffer, sizeof buffer))))
                    .size() >= 6,
            3000);
        ::close(master);
        QCOMPARE(reply, QByteArray::fromHex("01 06 14 01 1C 00")); // manual mode: 1
    }
};

TORVA_TEST(OverTtyTest)
#include "tst_overtty.moc"
