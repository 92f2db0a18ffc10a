// Why a port could not be opened: the opening failure message keeps its text and title, and its
// details give the system's reason and, for a refusal of rights, the group to join. Also the
// "Autre :" list, which describes each detected port but opens its path.
#include "support/TestRegistry.h"

#include "link/Link.h"
#include "link/PortFrm.h"
#include "link/QtSerialPort.h"
#include "support/FakePrompts.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QString kText = QStringLiteral("Port série introuvable ou déjà ouvert !");
const QString kTitle = QStringLiteral("ERREUR DE COM");

QString refusalDetails(const QString &device, const QString &group)
{
    return QStringLiteral("Vous n'avez pas le droit d'ouvrir le port %1.\n"
                          "Raison donnée par le système : Permission denied.\n\n"
                          "Le port appartient au groupe « %2 ». Pour y avoir accès, ajoutez votre "
                          "compte à ce groupe avec la commande :\n"
                          "sudo usermod -aG %2 $USER\n"
                          "puis fermez votre session et reconnectez-vous.")
        .arg(device, group);
}

// Opens `device` through a link on the real port and gives back the one message shown, as
// "title|text|details|icon"; several or none come back joined, so that they fail the comparison.
QString openAndReport(const QString &device)
{
    FakePrompts prompts;
    Link link(prompts, makeRealPortFactory());
    const bool opened = link.openPort({PortChoice::Kind::Device, device});
    QStringList lines;
    for (const FakePrompts::Shown &shown : prompts.shown)
        lines << QStringList{shown.title, shown.text, shown.details,
                             QString::number(int(shown.icon))}.join(QLatin1Char('|'));
    if (opened || !link.LinkStatus)
        lines << QStringLiteral("opened");
    return lines.join(QStringLiteral("\n--\n"));
}

QString expected(const QString &details)
{
    return QStringList{kTitle, kText, details, QString::number(int(Prompts::Icon::Warning))}
        .join(QLatin1Char('|'));
}

// Runs openAndReport() in a child process without root's rights (tests run as root, and root
// opens any device), and gives back what it reported.
QString openAsUnprivileged(const QString &device, uid_t uid, gid_t gid)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        QByteArray report = "cannot drop root's rights";
        if (::setgroups(0, nullptr) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0)
            report = openAndReport(device).toUtf8();
        (void)!::write(pipeEnds[1], report.constData(), size_t(report.size()));
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    QByteArray report;
    char buffer[1024];
    ssize_t got = 0;
    while ((got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        report.append(buffer, got);
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return QString::fromUtf8(report);
}

} // namespace

class PortFailureTest : public QObject
{
    Q_OBJECT

private slots:
    // A device the account may not open: the message says so, and how to join its group.
    void permissionRefusal()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to give the device to a group and drop to another account");
        int master = -1;
        int slave = -1;
        char name[256] = {};
        QVERIFY(::openpty(&master, &slave, name, nullptr, nullptr) == 0);
        const group *dialout = ::getgrnam("dialout");
        QVERIFY2(dialout, "no dialout group on this system");
        const gid_t dialoutGid = dialout->gr_gid;
        // As a serial adapter is set up by the system: root's, read-write for the group.
        QCOMPARE(::chown(name, 0, dialoutGid), 0);
        QCOMPARE(::chmod(name, 0660), 0);
        const QString device = QString::fromLocal8Bit(name);

        constexpr uid_t kNobody = 65534;
        constexpr gid_t kNogroup = 65534;
        const QString report = openAsUnprivileged(device, kNobody, kNogroup);
        ::close(slave);
        ::close(master);
        QCOMPARE(report, expected(refusalDetails(device, QStringLiteral("dialout"))));
    }

    void missingDevice()
    {
        const QString device = QStringLiteral("/dev/torva-no-such-port");
        QCOMPARE(openAndReport(device),
                 expected(QStringLiteral("Le port /dev/torva-no-such-port n'existe pas : "
                                         "l'adaptateur n'est pas branché ou le nom du port est "
                                         "faux.\nRaison donnée par le système : No such file or "
                                         "directory.")));
    }

    void details_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("details");
        QTest::newRow("refused, group grants access")
            << int(QSerialPort::PermissionError) << "uucp"
            << refusalDetails(QStringLiteral("/dev/ttyUSB1"), QStringLiteral("uucp"));
        QTest::newRow("held by another program")
            << int(QSerialPort::PermissionError) << ""
            << QStringLiteral("Le port /dev/ttyUSB1 est occupé par un autre programme, ou vous "
                              "n'avez pas le droit de l'ouvrir.\nRaison donnée par le système : "
                              "Permission denied.");
        QTest::newRow("missing")
            << int(QSerialPort::DeviceNotFoundError) << ""
            << QStringLiteral("Le port /dev/ttyUSB1 n'existe pas : l'adaptateur n'est pas branché "
                              "ou le nom du port est faux.\nRaison donnée par le système : "
                              "Permission denied.");
        QTest::newRow("settings refused")
            << int(QSerialPort::UnsupportedOperationError) << ""
            << QStringLiteral("Le port /dev/ttyUSB1 n'a pas pu être ouvert.\nRaison donnée par "
                              "le système : Permission denied.");
    }

    void details()
    {
        QFETCH(int, error);
        QFETCH(QString, group);
        QFETCH(QString, details);
        QCOMPARE(QtSerialPort::failureDetails(QSerialPort::SerialPortError(error),
                                              QStringLiteral("/dev/ttyUSB1"),
                                              QStringLiteral("Permission denied"), group),
                 details);
    }

    void portDescription_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("manufacturer");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("shown");
        QTest::newRow("all three") << "FT232R USB UART" << "FTDI" << "A50285BI"
                                   << "/dev/ttyUSB0 — FT232R USB UART, FTDI, n° A50285BI";
        QTest::newRow("serial number only") << "" << "" << "0001"
                                            << "/dev/ttyUSB0 — n° 0001";
        QTest::newRow("maker repeats the description") << "Prolific" << "prolific" << ""
                                                       << "/dev/ttyUSB0 — Prolific";
        QTest::newRow("says nothing") << "" << " " << "" << "/dev/ttyUSB0";
    }

    void portDescription()
    {
        QFETCH(QString, description);
        QFETCH(QString, manufacturer);
        QFETCH(QString, serial);
        QFETCH(QString, shown);
        QCOMPARE(PortFrm::describePort(QStringLiteral("/dev/ttyUSB0"), description, manufacturer,
                                       serial),
                 shown);
    }

    // Two adapters listed with their descriptions: the one picked is opened by its path.
    void listedPortOpensItsPath()
    {
        FakePrompts prompts;
        QList<PortChoice> asked;
        Link link(prompts, [&](const PortChoice &choice) -> std::unique_ptr<SerialPort> {
            asked << choice;
            return nullptr;
        });
        PortFrm window(link);
        window.addDetectedPort(QStringLiteral("/dev/torva-a"), QStringLiteral("USB UART"),
                               QStringLiteral("FTDI"), QStringLiteral("A1"));
        window.addDetectedPort(QStringLiteral("/dev/torva-b"), QStringLiteral("USB UART"),
                               QStringLiteral("FTDI"), QStringLiteral("B2"));
        QTimer::singleShot(0, &window, [&] {
            window.Option_Autre->click();
            window.Autre_Port->setCurrentIndex(window.Autre_Port->findText(
                QStringLiteral("/dev/torva-b — USB UART, FTDI, n° B2")));
            window.Command1->click();
        });
        window.exec();
        QCOMPARE(asked, (QList<PortChoice>{{PortChoice::Kind::Device, QStringLiteral("/dev/torva-b")}}));
    }
};

TORVA_TEST(PortFailureTest)
#include "tst_portfailure.moc"
