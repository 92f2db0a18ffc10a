// Why a port could not be opened: the message keeps its text and title, its details give the
// system's reason and, for a refusal of rights, the group to join. And the "Autre :" list, which
// describes each detected port but opens its path.
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

#include <grp.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The messages shown when `device` is opened on the real port, then the details of the last.
QString failureShown(const QString &device)
{
    FakePrompts prompts;
    Link link(prompts, makeRealPortFactory());
    link.openPort({PortChoice::Kind::Device, device});
    return prompts.messages().join(u'/') + u'\n' + (prompts.shown.isEmpty() ? QString() : prompts.shown.last().details);
}

const QString kFailure = QStringLiteral("ERREUR DE COM|Port série introuvable ou déjà ouvert !\n");

} // namespace

class PortFailureTest : public QObject
{
    Q_OBJECT

private slots:
    // A device root gives to "dialout", opened by an account outside that group (root opens any
    // device; it keeps the saved IDs that give its rights back).
    void permissionRefusal()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to give the device to a group and open it as another account");
        int master = -1, slave = -1;
        char name[256] = {};
        const group *dialout = ::getgrnam("dialout");
        QVERIFY(dialout && ::openpty(&master, &slave, name, nullptr, nullptr) == 0);
        QVERIFY(::chown(name, 0, dialout->gr_gid) == 0 && ::chmod(name, 0660) == 0);
        constexpr uid_t kNobody = 65534;
        QVERIFY(::setgroups(0, nullptr) == 0 && ::setresgid(kNobody, kNobody, 0) == 0
                && ::setresuid(kNobody, kNobody, 0) == 0);
        const QString shown = failureShown(QString::fromLocal8Bit(name));
        QVERIFY(::setresuid(0, 0, 0) == 0 && ::setresgid(0, 0, 0) == 0);
        ::close(slave);
        ::close(master);
        QCOMPARE(shown, kFailure + QStringLiteral("Vous n'avez pas le droit d'ouvrir le port %1.\nRaison donnée par le système : "
                                       "Permission denied.\n\nLe port appartient au groupe « dialout ». Pour y avoir "
                                       "accès, ajoutez votre compte à ce groupe avec la commande :\nsudo usermod -aG "
                                       "dialout $USER\npuis fermez votre session et reconnectez-vous.").arg(name));
    }

    void missingDevice()
    {
        QCOMPARE(failureShown(QStringLiteral("/dev/torva-no-such-port")),
                 kFailure + QStringLiteral("Le port /dev/torva-no-such-port n'existe pas : l'adaptateur n'est pas branché "
                                "ou le nom du port est faux.\nRaison donnée par le système : No such file or directory."));
    }

    void details_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("details");
        QTest::newRow("held by another program") << int(QSerialPort::PermissionError)
            << "Le port /dev/ttyUSB1 est occupé par un autre programme, ou vous n'avez pas le droit de l'ouvrir.";
        QTest::newRow("settings refused") << int(QSerialPort::UnsupportedOperationError)
            << "Le port /dev/ttyUSB1 n'a pas pu être ouvert.";
    }

    void details()
    {
        QFETCH(int, error);
        QFETCH(QString, details);
        QCOMPARE(QtSerialPort::failureDetails(QSerialPort::SerialPortError(error), QStringLiteral("/dev/ttyUSB1"),
                                              QStringLiteral("Permission denied"), {}),
                 details + QStringLiteral("\nRaison donnée par le système : Permission denied."));
    }

    // Two adapters saying the same of themselves: each is listed with its path and what it says,
    // and the second one picked is opened by its path.
    void detectedPorts_data()
    {
        QTest::addColumn<QStringList>("said");   // description, maker, serial number
        QTest::addColumn<QString>("shown");
        QTest::newRow("all three") << QStringList{"USB UART", "FTDI", "A5"} << "/dev/ttyUSB1 — USB UART, FTDI, n° A5";
        QTest::newRow("serial number only") << QStringList{"", "", "0001"} << "/dev/ttyUSB1 — n° 0001";
        QTest::newRow("maker repeats the description") << QStringList{"Prolific", "prolific", ""} << "/dev/ttyUSB1 — Prolific";
        QTest::newRow("says nothing") << QStringList{"", " ", ""} << "/dev/ttyUSB1";
    }

    void detectedPorts()
    {
        QFETCH(QStringList, said);
        QFETCH(QString, shown);
        FakePrompts prompts;
        QList<PortChoice> asked;
        Link link(prompts, [&](const PortChoice &choice) { return asked << choice, std::unique_ptr<SerialPort>(); });
        PortFrm window(link);
        for (const QString &path : {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB1")})
            window.addDetectedPort(path, said[0], said[1], said[2]);
        QTimer::singleShot(0, &window, [&] {
            window.Option_Autre->click();
            window.Autre_Port->setCurrentIndex(window.Autre_Port->findText(shown));
            window.Command1->click();
        });
        window.exec();
        QCOMPARE(asked, (QList<PortChoice>{{PortChoice::Kind::Device, QStringLiteral("/dev/ttyUSB1")}}));
    }
};

TORVA_TEST(PortFailureTest)
#include "tst_portfailure.moc"
