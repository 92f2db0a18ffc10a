// The whole program against torva-ecs-sim over a real tty: the port chosen with "Autre :", the
// real QSerialPort, the real main window and its commands.
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "editor/MainCommands.h"
#include "editor/MainWindow.h"
#include "files/DataFile.h"
#include "link/SystemPorts.h"
#include "linkwindows/PortFrm.h"
#include "support/PanelBench.h"
#include "support/SimProcess.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The program as main() puts it together, on the real serial port only.
struct Program
{
    FakePrompts prompts;
    Session session;
    Link link{prompts, makeRealPortFactory()};
    MainWindow window{session, link, prompts};
    MainCommands commands{window, link, session, prompts, [] {}};
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

// `bytes` written into `name` in `dir`: the file's path, empty when it could not be written.
QString writeFile(const QTemporaryDir &dir, const char *name, const QByteArray &bytes)
{
    QFile out(dir.filePath(QLatin1String(name)));
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() ? out.fileName() : QString();
}

} // namespace

class OverTtyTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }

    // A session: receives from a simulator in its own state, then from one started on a data file
    // (the start-up configuration, which differs from that state in every item, with its relays
    // told apart); sends the start-up configuration to the first and receives it back. A bad file
    // is refused.
    void session()
    {
        QTemporaryDir dir;
        Program program;
        const PanelState panel;
        const PanelConfig startUp = program.shown();
        QVERIFY(startUp != configOf(panel));
        PanelConfig file = startUp;
        file.AccessCodes = {QStringLiteral("CCBA"), QStringLiteral("BACA")};
        // Relay 1 on loops 1 to 4, relay 2 on loops 5 to 8.
        for (int j = 0; j < kLoopCount; ++j)
            file.setRelayFollows(j < 4 ? 0 : 1, j, true);
        const SimProcess refused(
            {QStringLiteral("--config"), writeFile(dir, "bad.dat", DataFile::format(file).chopped(10))});
        QVERIFY2(refused.error.contains(QLatin1String("is not a TORVA-PC data file")),
                 qPrintable(refused.error));
        const SimProcess own({QStringLiteral("--steady")});
        const SimProcess fromFile({QStringLiteral("--steady"), QStringLiteral("--config"),
                                   writeFile(dir, "startup.dat", DataFile::format(file))});
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
        QCOMPARE(program.prompts.messages(), QList<Message>());
        QCOMPARE(chooser.chosen, 4);
    }
};

TORVA_TEST(OverTtyTest)
#include "tst_overtty.moc"
