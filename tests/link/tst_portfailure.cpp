// Opening a port: the failure message keeps its text and title, its details give the system's
// reason and, for a refusal of rights, the group to join; a failed opening leaves no port. And the
// selection window: COM 1 at each opening, and the "Autre :" list describing each detected port.
#include "support/TestRegistry.h"

#include "linkwindows/PortFrm.h"
#include "support/PanelBench.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <grp.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

Q_DECLARE_METATYPE(PortChoice)

namespace {

PortChoice device(const QString &path) { return {PortChoice::Kind::Device, path}; }

} // namespace

class PortFailureTest : public QObject
{
    Q_OBJECT

private slots:
    void openFails_data()
    {
        QTest::addColumn<QString>("path");    // "held": another link's pseudo-terminal; "refused": see below
        QTest::addColumn<QString>("details"); // %1 the device
        const QString reason = QStringLiteral("\nRaison donnée par le système : ");
        QTest::newRow("device that does not exist")
            << "/dev/torva-no-such-port"
            << "Le port %1 n'existe pas : l'adaptateur n'est pas branché ou le nom du port est faux." +
                   reason + "No such file or directory.";
        QTest::newRow("held by another program")
            << "held"
            << "Le port %1 est occupé par un autre programme, ou vous n'avez pas le droit de l'ouvrir." +
                   reason + "Permission error while locking the device.";
        QTest::newRow("rights refused: the group to join")
            << "refused"
            << "Vous n'avez pas le droit d'ouvrir le port %1." + reason +
                   "Permission denied.\n\nLe port appartient au groupe "
                   "« dialout ». Pour y avoir accès, ajoutez votre compte à ce groupe avec la commande "
                   ":\nsudo usermod -aG dialout "
                   "$USER\npuis fermez votre session et reconnectez-vous.";
        QTest::newRow("empty device name") << ""
                                           << "Aucun port n'a été indiqué.";
    }

    // A pseudo-terminal opens, and again; then a failed opening leaves no port, not even that one.
    void openFails()
    {
        QFETCH(QString, path);
        QFETCH(QString, details);
        PanelBench bench, other;
        QVERIFY(bench.start(true) && other.start(true));
        QVERIFY(bench.link.openPort(device(bench.far->devicePath())) && bench.prompts.messages().isEmpty());
        int master = -1, slave = -1;
        char name[256] = {};
        const bool refused = path == "refused";
        if (refused) { // a device root gives to "dialout", opened under nobody's IDs (root may open any)
            if (::geteuid() != 0)
                QSKIP("needs root to give a device to a group and open it as another account");
            bench.link.closePort(); // its lock file is root's: nobody could not remove it
            const group *dialout = ::getgrnam("dialout");
            QVERIFY(dialout && ::openpty(&master, &slave, name, nullptr, nullptr) == 0);
            QVERIFY(::chown(name, 0, dialout->gr_gid) == 0 && ::chmod(name, 0660) == 0);
            constexpr uid_t kNobody = 65534;
            QVERIFY(::setgroups(0, nullptr) == 0 && ::setresgid(kNobody, kNobody, 0) == 0 &&
                    ::setresuid(kNobody, kNobody, 0) == 0);
        }
        path = refused ? QString::fromLocal8Bit(name) : path == "held" ? other.far->devicePath() : path;
        const bool opened = bench.link.openPort(device(path));
        if (refused)
            QVERIFY(::setresuid(0, 0, 0) == 0 && ::setresgid(0, 0, 0) == 0 && ::close(slave) == 0 &&
                    ::close(master) == 0);
        QVERIFY(!opened && !bench.link.isPortOpen());
        QCOMPARE(bench.prompts.messages(), QList<Message>{Msg::portFailed()});
        QCOMPARE(bench.prompts.shown.front().details, details.arg(path));
    }

    // The line as the far end sees it once QSerialPort has opened it: 9600 baud, 8 data bits, no
    // parity, one stop bit, no flow control, raw. The pseudo-terminal starts with other settings.
    void settingsOnTheLine()
    {
        int master = -1, slave = -1;
        char name[256] = {};
        QVERIFY(::openpty(&master, &slave, name, nullptr, nullptr) == 0);
        termios before{};
        QVERIFY(::tcgetattr(slave, &before) == 0);
        before.c_cflag = (before.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
        before.c_iflag |= IXON | IXOFF;
        ::cfsetspeed(&before, B19200);
        QVERIFY(::tcsetattr(slave, TCSANOW, &before) == 0);

        PanelBench bench;
        QVERIFY(bench.link.openPort(device(QString::fromLocal8Bit(name))));
        termios line{};
        QVERIFY(::tcgetattr(slave, &line) == 0);
        bench.link.closePort();
        ::close(slave);
        ::close(master);
        QCOMPARE(::cfgetispeed(&line), speed_t(B9600));
        QCOMPARE(::cfgetospeed(&line), speed_t(B9600));
        QCOMPARE(line.c_cflag & CSIZE, tcflag_t(CS8));
        QCOMPARE(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
        QCOMPARE(line.c_iflag & (IXON | IXOFF | INPCK | ISTRIP | ICRNL), tcflag_t(0));
        QCOMPARE(line.c_lflag & (ICANON | ECHO | ISIG), tcflag_t(0));
    }

    void selectionWindow_data()
    {
        QTest::addColumn<QString>("pick");     // the button clicked, "" none, "close" the close box
        QTest::addColumn<QString>("text");     // the detected port's line picked
        QTest::addColumn<QStringList>("said"); // two detected ports: description, maker, serial number
        QTest::addColumn<PortChoice>("asked"); // the port opened at each round
        const QString none;
        QTest::newRow("COM 1 as it opens") << none << none << QStringList{} << PortChoice::comPort(1);
        QTest::newRow("COM3") << QString("Option1(2)") << none << QStringList{} << PortChoice::comPort(3);
        QTest::newRow("ECS simulée") << QString("Option_Simul") << none << QStringList{}
                                     << PortChoice::simulated();
        QTest::newRow("close box cancels") << QString("close") << none << QStringList{} << PortChoice{};
        QTest::newRow("Autre : a detected port, as it describes itself")
            << QString("Option_Autre") << QString("/dev/ttyUSB1 — USB UART, FTDI, n° A5")
            << QStringList{"USB UART", "FTDI", "A5"} << device("/dev/ttyUSB1");
    }

    // The same window opened twice: COM 1 is selected, with the focus, at each opening; the
    // end-to-end test opens a port it typed.
    void selectionWindow()
    {
        QFETCH(QString, pick);
        QFETCH(QString, text);
        QFETCH(QStringList, said);
        QFETCH(PortChoice, asked);
        FakePrompts prompts;
        QList<PortChoice> seen;
        Link link(prompts, [&](const PortChoice &choice) -> std::unique_ptr<SerialPort> {
            seen << choice;
            return nullptr; // none opens: COM n may exist on this machine
        });
        PortFrm window(link);
        for (const QString &path : {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB1")})
            if (!said.isEmpty())
                window.addDetectedPort(path, said[0], said[1], said[2]);
        const PortOutcome outcome = pick == "close" ? PortOutcome::Cancelled : PortOutcome::Failed;
        QList<bool> onCom1;
        for (int round = 0; round < 2; ++round) {
            QTimer::singleShot(0, &window, [&] {
                onCom1 << (window.Option1[0]->isChecked() && window.focusWidget() == window.Option1[0]);
                if (pick == "close")
                    return (void)window.close();
                if (!pick.isEmpty())
                    window.findChild<QRadioButton *>(pick)->click();
                if (!said.isEmpty())
                    window.Autre_Port->setCurrentIndex(window.Autre_Port->findText(text));
                window.Command1->click();
            });
            window.exec();
            QCOMPARE(int(window.outcome()), int(outcome));
        }
        QCOMPARE(onCom1, (QList<bool>{true, true}));
        QCOMPARE(seen,
                 (outcome == PortOutcome::Cancelled ? QList<PortChoice>{} : QList<PortChoice>{asked, asked}));
        QCOMPARE(prompts.messages().size(), outcome == PortOutcome::Failed ? 2 : 0);
    }
};

TORVA_TEST(PortFailureTest)
#include "tst_portfailure.moc"
