// The panel link: opening the port, the selection window, and the command transaction on the
// emulated line and through QSerialPort.
#include "support/TestRegistry.h"

#include "LinkBench.h"
#include "link/PortFrm.h"
#include "link/WaitFrm.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)

namespace {

const QString kTimeOut = QStringLiteral("TIME OUT|Pas de réponse de l'ECS !");
constexpr int kNoFault = -1;
constexpr int kStaleReply = -2;   // a whole reply already waiting when the request goes out
constexpr int kAbort = -1, kHangUp = -2;   // how a wait is cut short, besides a vanishing port

PortChoice device(const QString &path) { return {PortChoice::Kind::Device, path}; }

// The pauses between the requests written to the emulated port (not timed on QSerialPort).
void checkGaps(const LinkBench &bench, qint64 minMs, qint64 maxMs)
{
    for (int i = 1; bench.port && i < bench.port->framesWritten().size(); ++i) {
        const qint64 gap = bench.port->framesWritten()[i].first - bench.port->framesWritten()[i - 1].first;
        QVERIFY2(gap >= minMs && gap <= maxMs, qPrintable(QStringLiteral("gap %1 ms").arg(gap)));
    }
}

} // namespace

class LinkTest : public QObject
{
    Q_OBJECT

private slots:
    void openFails_data()
    {
        QTest::addColumn<QString>("path");   // "held": a pseudo-terminal another link holds
        QTest::newRow("device that does not exist") << "/dev/torva-no-such-port";
        QTest::newRow("empty device name") << "";
        QTest::newRow("held by another program") << "held";
    }

    // A pseudo-terminal opens, and again; a failed opening leaves no port, not even the one before.
    void openFails()
    {
        QFETCH(QString, path);
        LinkBench bench, other;
        QVERIFY(bench.start(true) && other.start(true));   // each on its own pseudo-terminal
        QVERIFY(bench.link.openPort(device(bench.far->devicePath())) && !bench.link.LinkStatus);
        QVERIFY(bench.prompts.messages().isEmpty());
        QVERIFY(!bench.link.openPort(device(path == "held" ? other.far->devicePath() : path)));
        QVERIFY(bench.link.LinkStatus && !bench.link.isPortOpen() && !bench.link.wakeUp());
        QCOMPARE(bench.prompts.messages(), QStringList{QStringLiteral("ERREUR DE COM|Port série introuvable ou déjà ouvert !")});
        QCOMPARE(bench.prompts.shown.front().icon, Prompts::Icon::Warning);
    }

    void selectionWindow_data()
    {
        QTest::addColumn<QString>("pick");   // the button clicked, "" none, "close" the close box
        QTest::addColumn<int>("outcome");
        QTest::newRow("COM 1 as it opens") << "" << int(PortOutcome::Failed);
        QTest::newRow("COM3") << "Option1(2)" << int(PortOutcome::Failed);
        QTest::newRow("Autre : typed device") << "Option_Autre" << int(PortOutcome::Opened);
        QTest::newRow("ECS simulée") << "Option_Simul" << int(PortOutcome::Failed);
        QTest::newRow("close box cancels") << "close" << int(PortOutcome::Cancelled);
    }

    // The same window opened twice: COM 1 is selected, with the focus, at each opening.
    void selectionWindow()
    {
        QFETCH(QString, pick);
        QFETCH(int, outcome);
        EmulatedPanel panel;
        FakePrompts prompts;
        QList<PortChoice> asked;
        const PortChoice typed = device(QStringLiteral("/dev/torva-typed"));
        // COM n may exist on this machine: only the typed device opens, on the emulated panel.
        Link link(prompts, [&](const PortChoice &choice) -> std::unique_ptr<SerialPort> {
            asked << choice;
            return choice == typed ? std::make_unique<EmulatedPort>(panel) : nullptr;
        });
        PortFrm window(link);
        QList<bool> onCom1;
        for (int round = 0; round < 2; ++round) {
            QTimer::singleShot(0, &window, [&] {
                onCom1 << (window.Option1[0]->isChecked() && window.focusWidget() == window.Option1[0]);
                if (pick == "close")
                    return (void)window.close();
                if (!pick.isEmpty())
                    window.findChild<QRadioButton *>(pick)->click();
                if (pick == "Option_Autre")
                    window.Autre_Port->setEditText(typed.device);
                window.Command1->click();
            });
            window.exec();
            QCOMPARE(int(window.outcome()), outcome);
        }
        const PortChoice expected = pick == "Option_Autre"   ? typed
                                    : pick == "Option_Simul" ? PortChoice::simulated()
                                                             : PortChoice::comPort(pick.isEmpty() ? 1 : 3);
        QCOMPARE(onCom1, (QList<bool>{true, true}));
        QCOMPARE(asked, (outcome == int(PortOutcome::Cancelled) ? QList<PortChoice>{} : QList<PortChoice>{expected, expected}));
        QCOMPARE(link.isPortOpen(), outcome == int(PortOutcome::Opened));
        QCOMPARE(prompts.messages().size(), outcome == int(PortOutcome::Failed) ? 2 : 0);
    }

    void replies_data()
    {
        QTest::addColumn<bool>("realPort");
        QTest::addColumn<int>("fault");             // spoils every reply if the call fails, else the first
        QTest::addColumn<QByteArray>("request");    // command, length, TxData
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("frames");            // requests sent, all the same
        QTest::addColumn<int>("maxGapMs");          // longest pause between two, on the emulated line
        QTest::addColumn<Bytes>("rxData");          // the first RxCount elements of RxData
        const int fast = 400, slow = 1200;   // a faulty reply ends its attempt long before the time-out
        const auto f = [](Fault fault) { return int(fault); };
        const QByteArray mode = QByteArray::fromHex("14 05"), loop4 = QByteArray::fromHex("15 06 03");
        QTest::newRow("mode read") << false << kNoFault << mode << true << 1 << 0 << Bytes{0};
        QTest::newRow("alarm mode of loop 4") << false << kNoFault << loop4 << true << 1 << 0 << Bytes{2};
        QTest::newRow("write acknowledged") << false << kNoFault << QByteArray::fromHex("0F 06 00") << true << 1 << 0 << Bytes{};
        QTest::newRow("stale reply flushed") << false << kStaleReply << mode << true << 1 << 0 << Bytes{0};
        QTest::newRow("silent first attempt") << false << f(Fault::Silence) << mode << true << 2 << slow << Bytes{0};
        QTest::newRow("bad first byte, good reply behind") << false << f(Fault::WrongStartByte) << mode << true << 2 << fast << Bytes{0};
        QTest::newRow("length byte 14") << false << f(Fault::LengthTooLong) << mode << true << 2 << fast << Bytes{0};
        QTest::newRow("length byte 4") << false << f(Fault::LengthTooShort) << mode << true << 2 << fast << Bytes{0};
        QTest::newRow("wrong echo") << false << f(Fault::WrongEcho) << loop4 << true << 2 << fast << Bytes{2};
        QTest::newRow("wrong sum") << false << f(Fault::BadSum) << loop4 << true << 2 << fast << Bytes{2};
        QTest::newRow("stray bytes before the reply") << false << f(Fault::StrayBytesBefore) << mode << true << 2 << fast << Bytes{0};
        QTest::newRow("short reply waits the time-out") << false << f(Fault::ShortReply) << mode << true << 2 << slow << Bytes{0};
        QTest::newRow("bad first byte every time") << false << f(Fault::WrongStartByte) << mode << false << 3 << fast << Bytes{};
        QTest::newRow("QSerialPort: eight data bytes") << true << kNoFault << QByteArray::fromHex("04 05") << true << 1 << 0
                                                       << Bytes{3, 4, 5, 3, 5, 3, 4, 4};
        QTest::newRow("QSerialPort: wrong echo") << true << f(Fault::WrongEcho) << loop4 << true << 2 << 0 << Bytes{2};
    }

    void replies()
    {
        QFETCH(bool, realPort);
        QFETCH(int, fault);
        QFETCH(QByteArray, request);
        QFETCH(bool, result);
        QFETCH(int, frames);
        QFETCH(int, maxGapMs);
        QFETCH(Bytes, rxData);
        LinkBench bench;
        QVERIFY(bench.start(realPort));
        if (fault == kStaleReply)
            bench.port->injectIncoming(QByteArray::fromHex("01 06 14 07 22 00"));
        else if (fault != kNoFault)
            bench.panel.addFault({Fault(fault), request[0], -1, result ? 1 : -1});
        std::copy(request.begin() + 2, request.end(), bench.link.TxData.begin());

        QCOMPARE(bench.link.transaction(std::uint8_t(request[0]), std::uint8_t(request[1])), result);
        QCOMPARE(bench.link.LinkStatus, !result);
        QCOMPARE(bench.prompts.messages(), result ? QStringList{} : QStringList{kTimeOut});
        const QList<QByteArray> sent = bench.panel.requests();
        QCOMPARE(sent, QList<QByteArray>(frames, sent.value(0)));
        checkGaps(bench, 0, maxGapMs);
        QCOMPARE(Bytes(bench.link.RxData.begin(), bench.link.RxData.begin() + bench.link.RxCount), rxData);

        // Nothing left of a rejected reply spoils the next transaction.
        bench.panel.clearFaults();
        QVERIFY(bench.link.transaction(4, 5));
        QCOMPARE(bench.panel.requests().size(), frames + 1);
    }

    void silentPanel_data()
    {
        QTest::addColumn<bool>("realPort");
        QTest::newRow("emulated line") << false;
        QTest::newRow("QSerialPort") << true;
    }

    // Wake-up byte 0 alone, about 200 ms; then three frames a time-out apart, one message, CPU idle.
    void silentPanel()
    {
        QFETCH(bool, realPort);
        LinkBench bench;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(bench.start(realPort));
        const qint64 pause = clock.restart();
        QVERIFY2(pause >= 195 && pause < 320, qPrintable(QString::number(pause)));
        bench.panel.addFault({Fault::Silence});
        const double cpuBefore = cpuMs();
        QVERIFY(!bench.link.transaction(20, 5));
        const double cpu = cpuMs() - cpuBefore;
        const qint64 took = clock.elapsed();
        qInfo("%.1f ms CPU over %lld ms (%.2f %%)", cpu, took, 100 * cpu / double(took));
        QVERIFY(cpu < 0.05 * double(took));
        QVERIFY2(took >= 2990 && took < 3400, qPrintable(QString::number(took)));
        const QByteArray frame = QByteArray::fromHex("01 05 14 1A 00");
        QCOMPARE(bench.panel.requests(), QList<QByteArray>(3, frame));
        if (bench.port)
            QCOMPARE(bench.port->written(), QByteArray(1, '\0') + frame + frame + frame);
        checkGaps(bench, 990, 1150);
        QCOMPARE(bench.prompts.messages(), QStringList{kTimeOut});
        QCOMPARE(bench.prompts.shown.front().icon, Prompts::Icon::Information);
    }

    void progressBar_data()
    {
        QTest::addColumn<bool>("diag");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("expected");
        QTest::newRow("one step per data byte") << false << 20 << 8;
        QTest::newRow("stays full past its maximum") << false << 5 << 5;
        QTest::newRow("still during diagnostics") << true << 20 << 0;
    }

    void progressBar()
    {
        QFETCH(bool, diag);
        QFETCH(int, maximum);
        QFETCH(int, expected);
        LinkBench bench;
        WaitFrm window(bench.link);
        window.ProgressBar1->setMaximum(maximum);
        QVERIFY(bench.start());
        bench.link.DiagInProgress = diag;
        QVERIFY(bench.link.transaction(4, 5));   // eight data bytes
        QCOMPARE(window.ProgressBar1->value(), expected);
    }

    // A transaction or wake-up asked for while one waits is refused and leaves the waiting one alone.
    void reentryRefused()
    {
        LinkBench bench;
        QVERIFY(bench.start());
        bench.port->setTurnaround(std::chrono::milliseconds(300));
        bench.link.TxData[0] = 3;
        bool nested = true;
        QTimer::singleShot(100, &bench.link, [&] { nested = bench.link.transaction(20, 5) || bench.link.wakeUp(); });
        QVERIFY(bench.link.transaction(21, 6));
        QVERIFY(!nested);
        QCOMPARE(bench.panel.requests().size(), 1);
        QCOMPARE(bench.link.LastCommand, 21);
        QCOMPARE(Bytes(bench.link.RxData.begin(), bench.link.RxData.begin() + bench.link.RxCount), Bytes{2});
        QVERIFY(bench.prompts.messages().isEmpty());
    }

    void interrupted_data()
    {
        QTest::addColumn<int>("cut");   // bytes written before the adapter goes, or kAbort, kHangUp
        QTest::newRow("abort") << kAbort;
        QTest::newRow("adapter gone mid-request") << 3;
        QTest::newRow("adapter gone while waiting") << 5;
        QTest::newRow("QSerialPort line hung up") << kHangUp;
    }

    // A wait cut short ends at once. An abort says nothing and refuses every later call; a lost port
    // is let go, with the message for each call that fails on it. The next opening talks again.
    void interrupted()
    {
        QFETCH(int, cut);
        LinkBench bench;
        QVERIFY(bench.start(cut == kHangUp));
        bench.panel.addFault({Fault::Silence});
        if (cut >= 0)
            bench.port->vanishAfterWrites(cut);
        QTimer::singleShot(100, &bench.link, [&] { cut == kAbort ? bench.link.abort() : bench.far.reset(); });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!bench.link.transaction(20, 5));
        QVERIFY2(clock.elapsed() < 900, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!bench.link.wakeUp() && !bench.link.transaction(20, 5) && bench.link.LinkStatus);
        QCOMPARE(bench.prompts.messages(), (cut == kAbort ? QStringList{} : QStringList{kTimeOut, kTimeOut}));
        QVERIFY(bench.panel.requests().size() <= 1);
        QTRY_VERIFY(cut == kAbort || (!bench.link.isPortOpen() && bench.port.isNull()));
        bench.panel.clearFaults();
        QVERIFY(bench.start() && bench.link.transaction(20, 5));
    }
};

TORVA_TEST(LinkTest)
#include "tst_link.moc"
