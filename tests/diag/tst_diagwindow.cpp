// The diagnostic window against the emulated panel: opening reads, cycles, closing, serial write.
#include "support/TestRegistry.h"

#include "DiagBench.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>

class DiagWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }
    void versionsAndSerials_data();
    void versionsAndSerials();
    void card_data();
    void card();
    void refusedOpeningRead_data();
    void refusedOpeningRead();
    void cycleOrder_data();
    void cycleOrder();
    void slowCyclesFollowPromptly();
    void refusedMeasurementCloses();
    void closeTwiceEndsOnceAtCycleEnd_data();
    void closeTwiceEndsOnceAtCycleEnd();
    void writeSerial_data();
    void writeSerial();
    void runShowsModallyUntilClosed();
};

void DiagWindowTest::versionsAndSerials_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QByteArray>("serial");
    QTest::addColumn<QString>("versionText");
    QTest::addColumn<QString>("serialText");
    QTest::addColumn<QString>("cardSerialText");   // the card's b0 is one less (B one less)

    QTest::newRow("fields 01 03") << QByteArray("\x03\x00", 2) << QByteArray("\x23\x39\x30", 3)
                                  << "Version du programme = 3.0" << "N° de Série =010312345"
                                  << "N° de Série =010212345";
    QTest::newRow("A with a half") << QByteArray("\x0C\x07", 2) << QByteArray("\x33\x39\x30", 3)
                                   << "Version du programme = 12.7" << "N° de Série =020312345"
                                   << "N° de Série =020212345";
    QTest::newRow("not stored") << QByteArray("\x03\x00", 2) << QByteArray("\x23\x00\xFF", 3)
                                << "Version du programme = 3.0"
                                << "N° de Série = Non Disponible"
                                << "N° de Série = Non Disponible";
    QTest::newRow("counter above 32767") << QByteArray("\x03\x00", 2)
                                         << QByteArray("\x63\xFF\xFE", 3)
                                         << "Version du programme = 3.0" << "N° de Série =030365279"
                                         << "N° de Série =030265279";
}

void DiagWindowTest::versionsAndSerials()
{
    QFETCH(QByteArray, version);
    QFETCH(QByteArray, serial);
    QFETCH(QString, versionText);
    QFETCH(QString, serialText);
    QFETCH(QString, cardSerialText);

    // The same bytes for the panel and its card, each shown in its own frame.
    DiagBench bench;
    bench.declareCard(true);
    for (int i = 0; i < 2; ++i)
        bench.panel.state.ecsVersion[i] = bench.panel.state.cardVersion[i] = quint8(version[i]);
    for (int i = 0; i < 3; ++i)
        bench.panel.state.ecsSerial[i] = bench.panel.state.cardSerial[i] = quint8(serial[i]);
    bench.panel.state.cardSerial[0] -= 1;   // so that swapped labels cannot pass

    bench.open();
    QVERIFY(bench.activated());
    QCOMPARE(bench.label(3), versionText);
    QCOMPARE(bench.label(0), serialText);
    QCOMPARE(bench.label(4), versionText);
    QCOMPARE(bench.label(7), cardSerialText);
    QCOMPARE(bench.label(8), QString("Carte Présente = oui"));
    QVERIFY(bench.window->Fermer->isEnabled());
    QCOMPARE(bench.prompts.busyDepth, 0);
}

void DiagWindowTest::card_data()
{
    QTest::addColumn<bool>("declared");
    QTest::addColumn<int>("state");
    QTest::addColumn<QStringList>("opening");
    QTest::addColumn<bool>("frameShown");

    QTest::newRow("absent: no card command") << false << 1 << QStringList{"23", "16"} << false;
    QTest::newRow("operational") << true << 1 << QStringList{"23", "16", "5", "24", "17"} << true;
    QTest::newRow("state 2: frame hidden, cycles go on")
        << true << 2 << QStringList{"23", "16", "5"} << false;
    QTest::newRow("state 0") << true << 0 << QStringList{"23", "16", "5"} << false;
}

void DiagWindowTest::card()
{
    QFETCH(bool, declared);
    QFETCH(int, state);
    QFETCH(QStringList, opening);
    QFETCH(bool, frameShown);

    DiagBench bench;
    bench.declareCard(declared, std::uint8_t(state));
    bench.open();
    QVERIFY(bench.activated());
    QCOMPARE(bench.window->Frame2->isVisible(), frameShown);
    // One full cycle follows; the card is polled whenever it is declared present.
    QVERIFY(QTest::qWaitFor([&] { return bench.requests().size() > opening.size() + 16; }));
    const QStringList seen = bench.requests();
    QCOMPARE(seen.mid(0, opening.size()), opening);
    QCOMPARE(seen.mid(opening.size(), cycleRequests(declared).size()), cycleRequests(declared));
    if (!frameShown)
        QCOMPARE(bench.label(8), QString("Carte Présente"));
}

void DiagWindowTest::refusedOpeningRead_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("sent");   // requests before the window closed

    QTest::newRow("panel version with 3 bytes") << 23 << 1;
    QTest::newRow("panel serial with 4 bytes") << 16 << 2;
    QTest::newRow("card version with 3 bytes") << 24 << 4;
    QTest::newRow("card serial with 4 bytes") << 17 << 5;
}

void DiagWindowTest::refusedOpeningRead()
{
    QFETCH(int, command);
    QFETCH(int, sent);

    DiagBench bench;
    bench.declareCard(true);
    bench.panel.addFault({Fault::WrongDataCount, command, -1, -1});
    bench.open();
    QVERIFY(bench.waitEnded());
    QTest::qWait(400);   // no cycle may follow
    QCOMPARE(bench.ended, 1);
    QCOMPARE(bench.requests().size(), sent);
    QVERIFY(!bench.window->isVisible());
    QVERIFY(!bench.window->Timer1->isActive());
    QVERIFY(!bench.link.DiagInProgress);
    QCOMPARE(bench.prompts.busyDepth, 0);
    QVERIFY(bench.prompts.messages().isEmpty());
}

void DiagWindowTest::cycleOrder_data()
{
    QTest::addColumn<bool>("card");
    QTest::newRow("without the card: 11 exchanges") << false;
    QTest::newRow("with the card: 16 exchanges") << true;
}

void DiagWindowTest::cycleOrder()
{
    QFETCH(bool, card);
    DiagBench bench;
    bench.declareCard(card);
    bench.open();
    QVERIFY(bench.activated());
    const int opening = int(bench.requests().size());
    QVERIFY(bench.link.DiagInProgress);
    const QStringList cycle = cycleRequests(card);
    QVERIFY(QTest::qWaitFor([&] { return bench.requests().size() >= opening + 3 * cycle.size(); }));
    QCOMPARE(bench.requests().mid(opening, 3 * cycle.size()), cycle + cycle + cycle);
    QVERIFY(bench.link.DiagInProgress);
    bench.window->Fermer->click();
    QVERIFY(bench.waitEnded());
    QVERIFY(!bench.link.DiagInProgress);
    QCOMPARE(bench.prompts.busyDepth, 0);
}

void DiagWindowTest::slowCyclesFollowPromptly()
{
    // A slow panel: a cycle of 11 exchanges lasts well beyond the 300 ms of Timer1.
    DiagBench bench;
    bench.declareCard(false);
    auto &port = static_cast<EmulatedPort &>(*bench.link.port());
    port.setTurnaround(std::chrono::milliseconds(30));
    bench.open();
    QVERIFY(bench.activated());
    const int opening = int(bench.requests().size());
    const QStringList cycle = cycleRequests(false);
    QVERIFY(QTest::qWaitFor([&] { return bench.requests().size() >= opening + 3 * cycle.size(); },
                            8000));
    bench.window->Fermer->click();
    QVERIFY(bench.waitEnded());
    QCOMPARE(bench.prompts.messages(), QStringList());   // no cycle ran into another

    const auto frames = port.framesWritten();
    QCOMPARE(frames.size(), opening + 4 * cycle.size());
    QCOMPARE(bench.requests().mid(opening), cycle + cycle + cycle + cycle);
    // Within a cycle one request follows another after a reply; the next cycle must begin
    // about as soon, not wait for a later tick.
    qint64 longestInCycle = 0;
    for (int i = opening + 1; i < opening + cycle.size(); ++i)
        longestInCycle = std::max(longestInCycle, frames[i].first - frames[i - 1].first);
    for (int c = 1; c < 4; ++c) {
        const int first = opening + c * int(cycle.size());
        QVERIFY2(frames[first].first - frames[first - 1].first <= longestInCycle + 40,
                 qPrintable(QString::number(frames[first].first - frames[first - 1].first)));
    }
}

void DiagWindowTest::refusedMeasurementCloses()
{
    DiagBench bench;
    bench.declareCard(false);
    bench.panel.addFault({Fault::WrongDataCount, 19, 0, 1});   // the service voltage, 3 bytes
    bench.open();
    QVERIFY(bench.waitEnded());
    QCOMPARE(bench.requests().last(), QString("19:0"));
    QCOMPARE(bench.label(13), QString("Tension de service"));
    QCOMPARE(bench.label(14), QString("Tension de Batterie"));
    QVERIFY(!bench.link.DiagInProgress);
    QVERIFY(bench.prompts.messages().isEmpty());
}

void DiagWindowTest::closeTwiceEndsOnceAtCycleEnd_data()
{
    QTest::addColumn<QString>("presses");   // F: "FERMER", E: Escape, X: the window's close control
    QTest::newRow("FERMER twice") << "FF";
    QTest::newRow("Escape, then FERMER") << "EF";
    QTest::newRow("close control twice") << "XX";
}

void DiagWindowTest::closeTwiceEndsOnceAtCycleEnd()
{
    QFETCH(QString, presses);
    DiagBench bench;
    bench.declareCard(true);
    bench.open();
    QVERIFY(bench.activated());
    const int opening = int(bench.requests().size());
    const int cycle = 16;
    // Press twice in the middle of a cycle.
    int pressedAt = 0;
    int hourglass = 0;
    QVERIFY(bench.midCycle(opening, cycle, [&] {
        pressedAt = int(bench.requests().size());
        for (QChar press : presses) {
            if (press == 'F')
                bench.window->Fermer->click();
            else if (press == 'E')
                QTest::keyClick(bench.window.get(), Qt::Key_Escape);
            else
                bench.window->close();
        }
        hourglass = bench.prompts.busyDepth;
        QVERIFY(bench.window->isVisible());
    }));
    QCOMPARE(hourglass, 1);   // shown from the press until the cycle ends
    QVERIFY(bench.waitEnded());
    QTest::qWait(400);
    QCOMPARE(bench.ended, 1);
    const int cyclesRun = (pressedAt - opening) / cycle + 1;
    QCOMPARE(bench.requests().size(), opening + cyclesRun * cycle);
    QVERIFY(!bench.window->isVisible());
    QVERIFY(!bench.link.DiagInProgress);
    QCOMPARE(bench.prompts.busyDepth, 0);
}

void DiagWindowTest::writeSerial_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("sent");   // empty: nothing sent, the input error shown
    // (each field's range and form is pinned without a panel, in NumberMaskTest::serialFields)

    QTest::newRow("2 7 1000") << QStringList{"2", "7", "1000"} << "25:71,232,3";
    QTest::newRow("largest") << QStringList{"7", "15", "65279"} << "25:239,255,254";
    QTest::newRow("A out of range") << QStringList{"8", "7", "1000"} << "";
    QTest::newRow("not a number") << QStringList{"Text1", "Text2", "Text3"} << "";
}

void DiagWindowTest::writeSerial()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, sent);

    DiagBench bench;
    bench.declareCard(false);
    bench.open();
    QVERIFY(bench.activated());
    bench.window->Text1->setText(fields[0]);
    bench.window->Text2->setText(fields[1]);
    bench.window->Text3->setText(fields[2]);
    const int opening = int(bench.requests().size());
    // Pressed while a cycle waits: the write must wait for the cycle's end, not cut into it.
    QVERIFY(bench.midCycle(opening, 11, [&] {
        bench.window->Command2->click();
        bench.window->Command3->click();   // "NS UGA" does nothing
    }));

    const int before = int(bench.requests().size());
    // Two more cycles: the write, if any, has gone out by then.
    QVERIFY(QTest::qWaitFor([&] { return bench.requests().size() >= before + 2 * 11 + 1; }));
    const QStringList writes = bench.requests().filter(QRegularExpression("^25"));
    if (sent.isEmpty()) {
        QVERIFY(writes.isEmpty());
        QCOMPARE(bench.prompts.messages(),
                 QStringList{"ERREUR DE SAISIE|Numéro de série invalide !"});
    } else {
        QCOMPARE(writes, QStringList{sent});
        QVERIFY(bench.prompts.messages().isEmpty());
        // Whole cycles before and after the write.
        const int at = int(bench.requests().indexOf(sent));
        QCOMPARE((at - opening) % 11, 0);
        QCOMPARE(bench.requests().mid(at + 1, 11), cycleRequests(false));
    }
    // The cycles went on after the write.
    bench.window->Fermer->click();
    QVERIFY(bench.waitEnded());
    const QStringList all = bench.requests();
    QCOMPARE(all.last(), QString("19:3"));
}

void DiagWindowTest::runShowsModallyUntilClosed()
{
    DiagBench bench;
    bench.declareCard(false);
    bool sawModal = false;
    int busyWhileOpening = -1;
    QTimer pressClose;
    pressClose.setInterval(20);
    QObject::connect(&pressClose, &QTimer::timeout, [&] {
        auto *window = qobject_cast<DiagFrm *>(QApplication::activeModalWidget());
        if (!window)
            return;
        sawModal = true;
        if (busyWhileOpening < 0)
            busyWhileOpening = bench.prompts.busyDepth;
        if (window->Fermer->isEnabled()) {
            pressClose.stop();
            window->Fermer->click();
        }
    });
    pressClose.start();
    // A watchdog so that a window that never closes fails the test instead of hanging it.
    QTimer::singleShot(15000, [] {
        if (auto *window = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            window->done(QDialog::Rejected);
    });
    DiagFrm::run(bench.link, bench.session, bench.prompts, nullptr);
    QVERIFY(sawModal);
    QCOMPARE(busyWhileOpening, 1);
    QCOMPARE(bench.prompts.busyDepth, 0);
    QVERIFY(!bench.link.DiagInProgress);
    QVERIFY(bench.requests().size() >= 2 + 11);
    QCOMPARE(bench.requests().size() % 11, 2);   // ended at the end of a cycle
}

TORVA_TEST(DiagWindowTest)
#include "tst_diagwindow.moc"
