// Opening the serial port, the port selection window, and the real QSerialPort path over a
// pseudo-terminal.
#include "support/TestRegistry.h"

#include "LinkBench.h"
#include "link/PortFrm.h"
#include "link/QtSerialPort.h"
#include "sim/PtyPanel.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <functional>

namespace {

const QString kOpenFailed = QStringLiteral("ERREUR DE COM|Port série introuvable ou déjà ouvert !");

// A bare pseudo-terminal: the slave is the "serial port", the master the far end of the line.
struct Pty
{
    int master = -1;
    int slave = -1;
    QString path;

    Pty()
    {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        path = QString::fromLocal8Bit(name);
    }
    ~Pty()
    {
        if (master >= 0)
            ::close(master);
        if (slave >= 0)
            ::close(slave);
    }
    void send(const QByteArray &bytes) const { (void)!::write(master, bytes.constData(), size_t(bytes.size())); }
};

// Runs `drive` on the modal window once it is up, from inside its own event loop.
void whenModal(std::function<void(PortFrm *)> drive)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, drive] {
        auto *window = qobject_cast<PortFrm *>(QApplication::activeModalWidget());
        if (!window)
            return;
        poll->stop();
        poll->deleteLater();
        drive(window);
    });
    poll->start();
}

// A link on the real port factory that also records every choice it is handed.
struct RealBench
{
    FakePrompts prompts;
    QList<PortChoice> choices;
    PortFactory real = makeRealPortFactory();
    Link link{prompts, [this](const PortChoice &choice) {
                  choices << choice;
                  return real(choice);
              }};
};

} // namespace

Q_DECLARE_METATYPE(PortChoice)

class PortTest : public QObject
{
    Q_OBJECT

private slots:
    void openOnPseudoTerminal()
    {
        Pty pty;
        QVERIFY(!pty.path.isEmpty());
        RealBench bench;
        // Bytes already on the line before the opening are discarded by it.
        pty.send(QByteArray::fromHex("01 06 14 00 1B 00"));
        bench.link.LinkStatus = true;
        QVERIFY(bench.link.openPort({PortChoice::Kind::Device, pty.path}));
        QVERIFY(!bench.link.LinkStatus);
        QVERIFY(bench.link.isPortOpen());
        QVERIFY(bench.prompts.messages().isEmpty());
        QTest::qWait(50);
        QCOMPARE(bench.link.port()->bytesWaiting(), 0);

        // Again on the same port: the first opening is closed before the second.
        QVERIFY(bench.link.openPort({PortChoice::Kind::Device, pty.path}));
        QVERIFY(bench.link.isPortOpen());
        QVERIFY(bench.prompts.messages().isEmpty());
    }

    void openFails_data()
    {
        QTest::addColumn<PortChoice>("choice");
        QTest::newRow("device that does not exist")
            << PortChoice{PortChoice::Kind::Device, QStringLiteral("/dev/torva-no-such-port")};
        QTest::newRow("empty device name") << PortChoice{PortChoice::Kind::Device, QString()};
        QTest::newRow("simulated panel not offered") << PortChoice::simulated();
    }

    void openFails()
    {
        QFETCH(PortChoice, choice);
        RealBench bench;
        QVERIFY(!bench.link.openPort(choice));
        QVERIFY(bench.link.LinkStatus);
        QVERIFY(!bench.link.isPortOpen());
        QCOMPARE(bench.prompts.messages(), QStringList{kOpenFailed});
        QCOMPARE(bench.prompts.shown.front().icon, Prompts::Icon::Warning);
        QVERIFY(!bench.link.wakeUp());
    }

    // A failed opening leaves no port behind, even when one was open before.
    void failedOpeningClosesThePrevious()
    {
        EmulatedPanel panel;
        FakePrompts prompts;
        int made = 0;
        Link link(prompts, [&](const PortChoice &) -> std::unique_ptr<SerialPort> {
            auto port = std::make_unique<EmulatedPort>(panel);
            port->setOpenFails(++made > 1);   // the second port is in use elsewhere
            return port;
        });
        QVERIFY(link.openPort(PortChoice::simulated()));
        QVERIFY(!link.openPort(PortChoice::simulated()));
        QVERIFY(!link.isPortOpen());
        QVERIFY(link.LinkStatus);
        QCOMPARE(prompts.messages(), QStringList{kOpenFailed});
    }

    // Another program (here another link) holding the port: "déjà ouvert".
    void portInUse()
    {
        Pty pty;
        RealBench first, second;
        QVERIFY(first.link.openPort({PortChoice::Kind::Device, pty.path}));
        QVERIFY(!second.link.openPort({PortChoice::Kind::Device, pty.path}));
        QCOMPARE(second.prompts.messages(), QStringList{kOpenFailed});
        QVERIFY(first.link.isPortOpen());
    }

    void selectionWindow_data()
    {
        QTest::addColumn<QString>("pick");     // objectName of the button to select, or "close"
        QTest::addColumn<bool>("typeDevice");  // type the pseudo-terminal into Autre_Port
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("choices");      // openings asked of the link
        QTest::newRow("COM 1 as it opens") << "" << false << int(PortOutcome::Failed) << 1;
        QTest::newRow("COM3") << "Option1(2)" << false << int(PortOutcome::Failed) << 1;
        QTest::newRow("COM4") << "Option1(3)" << false << int(PortOutcome::Failed) << 1;
        QTest::newRow("Autre : typed device") << "Option_Autre" << true << int(PortOutcome::Opened) << 1;
        QTest::newRow("ECS simulée") << "Option_Simul" << false << int(PortOutcome::Failed) << 1;
        QTest::newRow("close box cancels") << "close" << false << int(PortOutcome::Cancelled) << 0;
    }

    void selectionWindow()
    {
        QFETCH(QString, pick);
        QFETCH(bool, typeDevice);
        QFETCH(int, outcome);
        QFETCH(int, choices);
        Pty pty;
        RealBench bench;
        // COM n may exist on this machine: the link only has to be asked for the right one.
        bench.real = [](const PortChoice &) { return nullptr; };
        if (typeDevice)
            bench.real = makeRealPortFactory();

        bool startedOnCom1 = false;
        PortChoice expected = PortChoice::comPort(1);
        whenModal([&](PortFrm *window) {
            startedOnCom1 = window->objectName() == QLatin1String("Port_Frm")
                            && window->windowTitle() == QStringLiteral("Sélection Port Com")
                            && window->Option1[0]->isChecked() && window->focusWidget() == window->Option1[0];
            if (pick == QLatin1String("close")) {
                window->close();
                return;
            }
            if (!pick.isEmpty())
                window->findChild<QRadioButton *>(pick)->click();
            if (typeDevice) {
                window->Autre_Port->setEditText(pty.path);
                expected = {PortChoice::Kind::Device, pty.path};
            } else if (pick.startsWith(QLatin1String("Option1("))) {
                expected = PortChoice::comPort(pick.mid(8, 1).toInt() + 1);
            } else if (pick == QLatin1String("Option_Simul")) {
                expected = PortChoice::simulated();
            }
            window->Command1->click();
        });
        QCOMPARE(int(PortFrm::choose(bench.link, nullptr)), outcome);
        QVERIFY(startedOnCom1);
        QCOMPARE(bench.choices.size(), choices);
        if (choices)
            QCOMPARE(bench.choices.front(), expected);
        QCOMPARE(bench.link.isPortOpen(), outcome == int(PortOutcome::Opened));
        QCOMPARE(bench.prompts.messages().size(), outcome == int(PortOutcome::Failed) ? 1 : 0);
    }

    // The same window opened again starts on COM 1 whatever was chosen before.
    void reopenedWindowStartsOnCom1()
    {
        RealBench bench;
        bench.real = [](const PortChoice &) { return nullptr; };
        PortFrm window(bench.link);
        QCOMPARE(window.Option1[0]->text(), QStringLiteral("COM 1"));
        QCOMPARE(window.Option1[1]->text(), QStringLiteral("COM2"));
        QCOMPARE(window.Command1->text(), QStringLiteral("CONTINUER"));
        QList<bool> onCom1;
        for (int round = 0; round < 2; ++round) {
            whenModal([&](PortFrm *w) {
                onCom1 << (w->Option1[0]->isChecked() && w->focusWidget() == w->Option1[0]);
                w->Option1[3]->click();
                w->Command1->click();
            });
            window.exec();
        }
        QCOMPARE(onCom1, (QList<bool>{true, true}));
        QCOMPARE(bench.choices, (QList<PortChoice>{PortChoice::comPort(4), PortChoice::comPort(4)}));
    }

    // The far end goes away during a wait (an adapter pulled out): the attempt ends, the link
    // lets go of the port, and the one message is shown.
    void realPortLost()
    {
        auto pty = std::make_unique<Pty>();
        RealBench bench;
        QVERIFY(bench.link.openPort({PortChoice::Kind::Device, pty->path}));
        QTimer::singleShot(100, [&] { pty.reset(); });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!bench.link.transaction(20, 5));
        qInfo("lost after %lld ms", clock.elapsed());
        QVERIFY(clock.elapsed() < 900);
        QVERIFY(!bench.link.isPortOpen());
        QCOMPARE(bench.prompts.messages(), QStringList{QStringLiteral("TIME OUT|Pas de réponse de l'ECS !")});
    }

    // The real QSerialPort path end to end: the emulated panel at the far end of a pseudo-terminal.
    void realPortTransaction()
    {
        EmulatedPanel panel;
        PtyPanel far(panel);
        QVERIFY2(far.start(), qPrintable(far.errorString()));
        RealBench bench;
        QVERIFY(bench.link.openPort({PortChoice::Kind::Device, far.devicePath()}));
        QVERIFY(bench.link.wakeUp());

        QVERIFY(bench.link.transaction(20, 5));
        QCOMPARE(bench.link.RxCount, 1);
        QCOMPARE(bench.link.RxData[0], 0);
        bench.link.TxData[0] = 3;
        QVERIFY(bench.link.transaction(21, 6));
        QCOMPARE(bench.link.RxData[0], panel.state.alarmModes[3]);
        QVERIFY(bench.link.transaction(4, 5));
        QCOMPARE(bench.link.RxCount, 8);
        QVERIFY(std::equal(panel.state.codes.begin(), panel.state.codes.end(), bench.link.RxData.begin()));
        QCOMPARE(panel.requests(), (QList<QByteArray>{QByteArray::fromHex("01 05 14 1A 00"),
                                                      QByteArray::fromHex("01 06 15 03 1F 00"),
                                                      QByteArray::fromHex("01 05 04 0A 00")}));

        // A rejected reply is drained and the request sent again.
        panel.addFault({Fault::WrongEcho, 20, -1, 1});
        QVERIFY(bench.link.transaction(20, 5));
        QCOMPARE(panel.requests().size(), 5);
        QVERIFY(bench.prompts.messages().isEmpty());
    }

    // A silent panel on the real port: three attempts a time-out apart with the processor idle.
    void realPortSilentPanel()
    {
        EmulatedPanel panel;
        panel.addFault({Fault::Silence});
        PtyPanel far(panel);
        QVERIFY2(far.start(), qPrintable(far.errorString()));
        RealBench bench;
        QVERIFY(bench.link.openPort({PortChoice::Kind::Device, far.devicePath()}));
        QVERIFY(bench.link.wakeUp());
        QElapsedTimer clock;
        clock.start();
        const double before = cpuMs();
        QVERIFY(!bench.link.transaction(20, 5));
        const double cpu = cpuMs() - before;
        const qint64 took = clock.elapsed();
        qInfo("real port: %.1f ms CPU over %lld ms (%.2f %%)", cpu, took, 100 * cpu / double(took));
        QVERIFY(cpu < 0.20 * double(took));
        QVERIFY2(took >= 2990 && took < 3400, qPrintable(QString::number(took)));
        QTRY_COMPARE(panel.requests().size(), 3);
        QCOMPARE(bench.prompts.messages(), QStringList{QStringLiteral("TIME OUT|Pas de réponse de l'ECS !")});
    }
};

TORVA_TEST(PortTest)
#include "tst_port.moc"
