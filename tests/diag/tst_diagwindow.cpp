// The diagnostic window against the emulated panel: what it reads and shows, its cycles, presses.
#include "support/TestRegistry.h"

#include "DiagBench.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QSignalSpy>

#include <functional>

using Setup = std::function<void(EmulatedPanel &)>;
Q_DECLARE_METATYPE(Setup)

// A change to the emulated panel: a stored value, or a reply with one data byte too many.
#define STATE(...) Setup([](EmulatedPanel &panel) { panel.state.__VA_ARGS__; })
#define TOO_LONG(...) Setup([](EmulatedPanel &panel) { panel.addFault({Fault::WrongDataCount, __VA_ARGS__}); })

class DiagWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }
    void shown_data();
    void shown();
    void interrupted_data();
    void interrupted();
    void cycles_data();
    void cycles();
    void pressedMidCycle_data();
    void pressedMidCycle();
};

void DiagWindowTest::shown_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stopsAfter");   // the failed request that ends the window by itself
    QTest::addColumn<QColor>("bar");           // loops only (Boucle 4)
    QTest::addColumn<double>("barLoad");       // loops only: the mA the bar stands for

    const auto row = [](const char *name, Setup setup, const QString &control, const QString &text,
                        const QString &stopsAfter = {}, QColor bar = {}, double barLoad = 0) {
        QTest::newRow(name) << setup << control << text << stopsAfter << bar << barLoad;
    };
    const QColor red(255, 0, 0), yellow(255, 255, 0), green(0, 255, 0);
    // The card's b0 differs from the panel's, so that swapped frames cannot pass.
    row("version 3.0", STATE(ecsVersion = {3, 0}), "Label1(3)", "Version du programme = 3.0");
    row("card version 12.7", STATE(cardVersion = {12, 7}), "Label1(4)", "Version du programme = 12.7");
    row("b0 0x23: 01 03", STATE(ecsSerial[0] = 0x23), "Label1(0)", "N° de Série =010312345");
    row("b0 0x33: bit 4 rounds A up", STATE(ecsSerial[0] = 0x33), "Label1(0)", "N° de Série =020312345");
    row("card b0 0x22", STATE(cardSerial[0] = 0x22), "Label1(7)", "N° de Série =010204321");
    row("b2 255: not stored", STATE(ecsSerial[2] = 255), "Label1(0)", "N° de Série = Non Disponible");
    row("counter above 32767", STATE(ecsSerial = {0x47, 0xFF, 0xFE}), "Label1(0)", "N° de Série =020765279");
    row("card present", STATE(cardState = 1), "Label1(8)", "Carte Présente = oui");
    row("loop 0: empty yellow bar", STATE(loopRaw[3] = 0), "Ib(3)", "0,0 mA", {}, yellow, 0.0);
    row("loop 135: green under 20 mA", STATE(loopRaw[3] = 135), "Ib(3)", "19,9 mA", {}, green, 19.87);
    row("loop 136: red from 20 mA", STATE(loopRaw[3] = 136), "Ib(3)", "20,0 mA", {}, red, 20.02);
    row("loop 300: red, 44 %", STATE(loopRaw[3] = 300), "Ib(3)", "44,2 mA", {}, red, 44.16);
    row("loop 680: full red", STATE(loopRaw[3] = 680), "Ib(3)", ">=100 mA", {}, red, 100.0);
    row("loop 6553: full red", STATE(loopRaw[3] = 6553), "Ib(3)", ">=100 mA", {}, red, 100.0);
    row("service 1023", STATE(ecsRaw[0] = 1023), "Label1(13)", "Tension de service = 25 v");
    row("service 574", STATE(ecsRaw[0] = 574), "Label1(13)", "Tension de service = 14 v");
    row("panel battery 212", STATE(ecsRaw[2] = 212), "Label1(14)", "Tension de Batterie = 05 v");
    row("panel charger 500", STATE(ecsRaw[3] = 500), "Label1(15)", "Tension du Chargeur = 12 v");
    row("card battery 1023", STATE(cardRaw[2] = 1023), "Label1(17)", "Tension de Batterie = 25 v");
    row("card charger 574", STATE(cardRaw[5] = 574), "Label1(18)", "Tension du Chargeur = 14 v");
    row("AES 1023", STATE(cardRaw[4] = 1023), "Label1(5)", "Tension AES = 65 v");
    row("sounder line 1 1023", STATE(cardRaw[0] = 1023), "Label1(2)", "Charge ligne diffuseurs 1 = 5,000 A");
    row("sounder line 2 82", STATE(cardRaw[1] = 82), "Label1(6)", "Charge ligne diffuseurs 2 = 0,401 A");
    row("version with 3 bytes", TOO_LONG(23), "Label1(3)", "Version du programme", "23");
    row("serial with 4 bytes", TOO_LONG(16), "Label1(0)", "N° de Série", "16");
    row("card version with 3 bytes", TOO_LONG(24), "Label1(4)", "Version du programme", "24");
    row("card serial with 4 bytes", TOO_LONG(17), "Label1(7)", "N° de Série", "17");
    row("service with 3 bytes", TOO_LONG(19, 0), "Label1(13)", "Tension de service", "19:0");
    row("loop high byte 128", STATE(loopRaw[3] = 0x8000), "Ib(3)", "mA", "19:4,3");
    row("loop above 6553", STATE(loopRaw[3] = 6554), "Ib(3)", "mA", "19:4,3");
    row("service high byte 128", STATE(ecsRaw[0] = 0x80FF), "Label1(13)", "Tension de service", "19:0");
    row("sounder line high byte 255", STATE(cardRaw[1] = 0xFF00), "Label1(6)", "Charge ligne diffuseurs 2", "18:1");
}

void DiagWindowTest::shown()
{
    QFETCH(Setup, setup);
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(QString, stopsAfter);
    QFETCH(QColor, bar);
    QFETCH(double, barLoad);

    DiagBench bench;   // the card present and operational
    setup(bench.panel);
    bench.open();
    if (stopsAfter.isEmpty()) {
        QVERIFY(bench.activated());
        bench.window->Fermer->click();   // exactly one cycle runs
    }
    QVERIFY(bench.waitEnded());
    QTest::qWait(stopsAfter.isEmpty() ? 0 : 400);   // after a failed read nothing may follow
    QCOMPARE(bench.requests().last(), stopsAfter.isEmpty() ? cycleRequests(true).last() : stopsAfter);
    QCOMPARE(bench.window->findChild<QLabel *>(control)->text(), text);
    if (bar.isValid()) {
        QCOMPARE(bench.window->Vu_Metre[3]->palette().color(QPalette::Window), bar);
        QCOMPARE(bench.window->Vu_Metre[3]->width(), qRound(bench.window->Cadre_Vu[3]->width() * barLoad / 100));
    }
    QCOMPARE(bench.ended, 1);
    QVERIFY(!bench.window->isVisible());
    QVERIFY(!bench.link.DiagInProgress);
    QVERIFY(bench.prompts.busyCalls > 0);   // the hourglass during the opening reads
    QCOMPARE(bench.prompts.busyDepth, 0);
    // A window that closes itself on a refused reply says why.
    QCOMPARE(bench.prompts.messages(), stopsAfter.isEmpty() ? QList<Message>() : QList<Message>{Msg::transferError()});
}

void DiagWindowTest::interrupted_data()
{
    QTest::addColumn<bool>("abandoned");   // the main window closes during a cycle; else the line goes
    QTest::addColumn<QList<Message>>("messages");
    QTest::newRow("abandoned during a cycle: silently") << true << QList<Message>();
    QTest::newRow("port lost during the wake-up: no reply") << false << QList<Message>{Msg::timeOut()};
}

void DiagWindowTest::interrupted()
{
    QFETCH(bool, abandoned);
    QFETCH(QList<Message>, messages);
    DiagBench bench;
    bench.declareCard(false);
    if (abandoned)
        bench.panel.addFault({Fault::Silence, 19, 4});   // the first loop load waits
    else
        bench.port->vanishAfterWrites(1);   // after the wake-up byte
    // The cycle waits inside its own event loop: the abort comes from a timer, as a close would.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (bench.requests().contains("19:4,0"))
            bench.link.abort();
    });
    if (abandoned)
        poll.start(10);
    bench.open();
    QVERIFY(bench.waitEnded());
    const qsizetype frames = bench.requests().size();
    QTest::qWait(100);   // time for a frame sent after the end to reach the panel
    QCOMPARE(bench.requests().size(), frames);
    QCOMPARE(frames, abandoned ? 3 : 0);
    QCOMPARE(bench.prompts.messages(), messages);
    QVERIFY(!bench.window->isVisible() && !bench.link.DiagInProgress);
    QCOMPARE(bench.prompts.busyDepth, 0);
}

void DiagWindowTest::cycles_data()
{
    QTest::addColumn<bool>("declared");
    QTest::addColumn<int>("state");
    QTest::addColumn<QStringList>("opening");
    QTest::addColumn<int>("turnaroundMs");   // 30: a cycle outlasts Timer1's 300 ms

    QTest::newRow("card absent: no 5, 24, 17") << false << 1 << QStringList{"23", "16"} << 5;
    QTest::newRow("card operational") << true << 1 << QStringList{"23", "16", "5", "24", "17"} << 5;
    QTest::newRow("card state 2: frame hidden, cycles go on") << true << 2 << QStringList{"23", "16", "5"} << 5;
    QTest::newRow("card state 0") << true << 0 << QStringList{"23", "16", "5"} << 5;
    QTest::newRow("slow panel: cycles follow at once") << false << 1 << QStringList{"23", "16"} << 30;
}

void DiagWindowTest::cycles()
{
    QFETCH(bool, declared);
    QFETCH(int, state);
    QFETCH(QStringList, opening);
    QFETCH(int, turnaroundMs);

    DiagBench bench;
    bench.declareCard(declared, std::uint8_t(state));
    EmulatedPort &port = *bench.port;
    port.setTurnaround(std::chrono::milliseconds(turnaroundMs));
    bench.open();
    QVERIFY(bench.activated());
    QCOMPARE(bench.window->Frame2->isVisible(), opening.size() == 5);
    // The card is polled whenever it is declared present, its frame shown or not.
    const QStringList cycle = cycleRequests(declared);
    const qsizetype first = opening.size(), n = cycle.size();
    QVERIFY(QTest::qWaitFor([&] { return bench.requests().size() >= first + 3 * n; }, 8000));
    QCOMPARE(bench.requests().mid(0, first + 3 * n), opening + cycle + cycle + cycle);
    bench.window->Fermer->click();
    QVERIFY(bench.waitEnded());
    QCOMPARE(bench.prompts.messages(), QList<Message>());   // no cycle ran into another

    // A cycle starts as soon after the last one as a request follows a reply within it.
    const auto frames = port.framesWritten();
    const auto gap = [&](qsizetype i) { return frames[i].first - frames[i - 1].first; };
    for (qsizetype i = first + n; turnaroundMs > 5 && i < first + 3 * n; i += n)
        QVERIFY2(gap(i) <= gap(i - 1) + 40, qPrintable(QString("%1 > %2 + 40").arg(gap(i)).arg(gap(i - 1))));
}

void DiagWindowTest::pressedMidCycle_data()
{
    QTest::addColumn<QString>("presses");   // F "FERMER", E Escape, X close control, S "NS ECS", U "NS UGA"
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("sent");      // the serial write, empty for none

    QTest::newRow("FERMER twice") << "FF" << QStringList() << "";
    QTest::newRow("Escape, then FERMER") << "EF" << QStringList() << "";
    QTest::newRow("close control twice") << "XX" << QStringList() << "";
    QTest::newRow("NS ECS 2 7 1000, NS UGA") << "SU" << QStringList{"2", "7", "1000"} << "25:71,232,3";
    QTest::newRow("NS ECS, then FERMER") << "SF" << QStringList{"7", "15", "65279"} << "25:239,255,254";
    QTest::newRow("NS ECS, blanks around") << "S" << QStringList{" 1 ", "3", " 12345"} << "25:35,57,48";
    QTest::newRow("NS ECS, A 8") << "S" << QStringList{"8", "7", "1000"} << "";
    QTest::newRow("NS ECS, B 16") << "S" << QStringList{"0", "16", "1"} << "";
    QTest::newRow("NS ECS, N 65280 would read not stored") << "S" << QStringList{"0", "0", "65280"} << "";
    QTest::newRow("NS ECS, N huge") << "S" << QStringList{"1", "2", "99999999999"} << "";
    QTest::newRow("NS ECS, designed texts") << "S" << QStringList{"Text1", "Text2", "Text3"} << "";
    QTest::newRow("NS ECS, leading number only") << "S" << QStringList{"2abc", "7", "1000"} << "";
    QTest::newRow("NS ECS, empty") << "S" << QStringList{"1", "", "10"} << "";
}

void DiagWindowTest::pressedMidCycle()
{
    QFETCH(QString, presses);
    QFETCH(QStringList, fields);
    QFETCH(QString, sent);
    const bool closes = presses.contains(QRegularExpression("[FEX]"));

    DiagBench bench;
    bench.declareCard(false);
    bench.open();
    QVERIFY(bench.activated());
    QLineEdit *const texts[] = {bench.window->Text1, bench.window->Text2, bench.window->Text3};
    for (qsizetype i = 0; i < fields.size(); ++i)
        texts[i]->setText(fields[i]);
    const qsizetype opening = bench.requests().size();
    const QStringList cycle = cycleRequests(false);
    QSignalSpy progress(&bench.link, &Link::dataByteReceived);
    // The presses land while a request in the middle of the second cycle waits for its reply.
    qsizetype requested = 0;
    int hourglass = -1;
    bool talking = false;
    QObject::connect(&bench.link, &Link::requestSent, bench.window.get(), [&] {
        if (++requested == cycle.size() * 3 / 2) {
            for (QChar press : presses) {
                if (press == 'F') bench.window->Fermer->click();
                if (press == 'E') QTest::keyClick(bench.window.get(), Qt::Key_Escape);
                if (press == 'X') bench.window->close();
                if (press == 'S') bench.window->Command2->click();
                if (press == 'U') bench.window->Command3->click();
            }
            hourglass = bench.prompts.busyDepth;
            talking = bench.window->isVisible() && bench.link.DiagInProgress;
        } else if (!closes && requested == cycle.size() * 5 / 2 + (sent.isEmpty() ? 0 : 1)) {
            bench.window->Fermer->click();
        }
    });
    QVERIFY(bench.waitEnded());
    QTest::qWait(400);
    QCOMPARE(bench.ended, 1);
    // Whole cycles only, the last one the cycle pressed in; a write goes out after the cycle it
    // was asked in, and the cycles go on after it.
    QStringList expected = cycle + cycle;
    if (!sent.isEmpty())
        expected << sent;
    if (!closes)
        expected += cycle;
    QCOMPARE(bench.requests().mid(opening), expected);
    QVERIFY(talking);
    QCOMPARE(hourglass, closes ? 1 : 0);   // from a close press until the cycle ends
    const bool refused = presses.contains('S') && sent.isEmpty();
    QCOMPARE(bench.prompts.messages(),
             refused ? QList<Message>{Msg::invalidSerial()} : QList<Message>());
    QVERIFY(!bench.link.DiagInProgress);
    QCOMPARE(bench.prompts.busyDepth, 0);
    // The receive's progress bar stood still during the diagnostic and moves again after it.
    QCOMPARE(progress.count(), 0);
    QVERIFY(bench.link.transaction(23, 5));
    QCOMPARE(progress.count(), 2);
}

TORVA_TEST(DiagWindowTest)
#include "tst_diagwindow.moc"
