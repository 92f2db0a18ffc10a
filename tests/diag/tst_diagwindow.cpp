// The diagnostic window against the emulated panel: what it shows, its cycles, how it closes
// and the presses during a cycle.
#include "support/TestRegistry.h"

#include "DiagBench.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>

enum class Press { Fermer, Escape, CloseControl, NsEcs, NsUga };
Q_DECLARE_METATYPE(Press)

class DiagWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }
    void shows_data();
    void shows();
    void closesItself_data();
    void closesItself();
    void cycles_data();
    void cycles();
    void pressedMidCycle_data();
    void pressedMidCycle();
};

void DiagWindowTest::shows_data()
{
    QTest::addColumn<int>("raw"); // the load of Boucle 4 as the panel measures it
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("bar");
    QTest::addColumn<double>("barLoad"); // the mA the bar stands for

    const QColor red(255, 0, 0), yellow(255, 255, 0), green(0, 255, 0);
    QTest::newRow("loop 0: empty yellow bar") << 0 << "0,0 mA" << yellow << 0.0;
    QTest::newRow("loop 135: green under 20 mA") << 135 << "19,9 mA" << green << 19.87;
    QTest::newRow("loop 136: red from 20 mA") << 136 << "20,0 mA" << red << 20.02;
    QTest::newRow("loop 300: red, 44 %") << 300 << "44,2 mA" << red << 44.16;
    QTest::newRow("loop 680: full red") << 680 << ">=100 mA" << red << 100.0;
}

// One cycle: the load of Boucle 4 as text and as a bar.
void DiagWindowTest::shows()
{
    QFETCH(int, raw);
    QFETCH(QString, text);
    QFETCH(QColor, bar);
    QFETCH(double, barLoad);

    DiagBench bench;
    bench.panel.state.loopRaw[3] = std::uint16_t(raw);
    bench.open();
    QVERIFY(bench.activated());
    bench.window->Fermer->click(); // exactly one cycle runs
    QVERIFY(bench.waitEnded());
    QCOMPARE(bench.window->Ib[3]->text(), text);
    QCOMPARE(bench.window->Vu_Metre[3]->palette().color(QPalette::Window), bar);
    QCOMPARE(bench.window->Vu_Metre[3]->width(), qRound(bench.window->Cadre_Vu[3]->width() * barLoad / 100));
}

void DiagWindowTest::closesItself_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<QList<Message>>("messages");

    const QStringList opening = panelOpening();
    const QList<Message> none;
    QTest::newRow("version with 3 bytes: says why")
        << tooLong(PanelCommand::PanelVersion) << QStringList{request(PanelCommand::PanelVersion)}
        << QList<Message>{Msg::transferError()};
    QTest::newRow("loop out of range: says why")
        << state([](PanelState &s) { s.loopRaw[3] = 6554; })
        << opening + upTo(cycleRequests(false), loopLoad(3)) << QList<Message>{Msg::transferError()};
    QTest::newRow("panel silent: the link's message only") << Setup([](DiagBench &bench) {
        bench.panel.addFault({Fault::Silence, int(PanelCommand::PanelVersion)});
    }) << QStringList(3, request(PanelCommand::PanelVersion))
                                                           << QList<Message>{Msg::timeOut()};
    QTest::newRow("port lost at the wake-up: no reply")
        << Setup([](DiagBench &bench) { bench.port->vanishAfterWrites(1); }) << QStringList()
        << QList<Message>{Msg::timeOut()};
    // The cycle waits inside its own event loop: the abort comes from a timer, as a close would.
    QTest::newRow("abandoned during a cycle: silently") << Setup([](DiagBench &bench) {
        bench.panel.addFault({Fault::Silence, int(PanelCommand::PanelMeasurement), 4});
        auto *poll = new QTimer(&bench.link);
        QObject::connect(poll, &QTimer::timeout, [&bench] {
            if (bench.requestsHex().contains(loopLoad(0)))
                bench.link.abort();
        });
        poll->start(10);
    }) << opening + QStringList{loopLoad(0)} << none;
}

void DiagWindowTest::closesItself()
{
    QFETCH(Setup, setup);
    QFETCH(QStringList, requests);
    QFETCH(QList<Message>, messages);
    DiagBench bench;
    bench.declareCard(false);
    setup(bench);
    bench.open();
    QVERIFY(bench.waitEnded());
    QTest::qWait(400); // time for a frame sent after the end to reach the panel
    QCOMPARE(bench.requestsHex(), requests);
    QCOMPARE(bench.prompts.messages(), messages);
    QCOMPARE(bench.ended, 1);
    QVERIFY(!bench.window->isVisible());
    QVERIFY(!bench.link.inDiagnosticMode());
    QCOMPARE(bench.prompts.busyDepth, 0);
}

void DiagWindowTest::cycles_data()
{
    QTest::addColumn<bool>("declared");
    QTest::addColumn<int>("cardState");
    QTest::addColumn<QStringList>("opening");
    QTest::addColumn<bool>("cardShown");
    QTest::addColumn<int>("turnaroundMs"); // 30: a cycle outlasts Timer1's 300 ms

    const QStringList cardAsked = panelOpening() << request(PanelCommand::CardState);
    QTest::newRow("card operational") << true << 1 << panelOpening() + cardOpening() << true << 5;
    QTest::newRow("card state 2: frame hidden, card still polled") << true << 2 << cardAsked << false << 5;
    QTest::newRow("slow panel: cycles follow at once") << false << 1 << panelOpening() << false << 30;
}

void DiagWindowTest::cycles()
{
    QFETCH(bool, declared);
    QFETCH(int, cardState);
    QFETCH(QStringList, opening);
    QFETCH(bool, cardShown);
    QFETCH(int, turnaroundMs);

    DiagBench bench;
    bench.declareCard(declared, std::uint8_t(cardState));
    bench.port->setTurnaround(std::chrono::milliseconds(turnaroundMs));
    QSignalSpy progress(&bench.link, &Link::dataByteReceived);
    bench.open();
    QVERIFY(bench.activated());
    QVERIFY(bench.prompts.busyCalls > 0); // the hourglass during the opening reads
    QCOMPARE(bench.window->Frame2->isVisible(), cardShown);
    const QStringList cycle = cycleRequests(declared);
    const qsizetype first = opening.size(), n = cycle.size();
    QVERIFY(QTest::qWaitFor([&] { return bench.requestsHex().size() >= first + 3 * n; }, 8000));
    QCOMPARE(bench.requestsHex().mid(0, first + 3 * n), opening + cycle + cycle + cycle);
    bench.window->Fermer->click();
    QVERIFY(bench.waitEnded());
    QCOMPARE(bench.prompts.messages(), QList<Message>()); // no cycle ran into another

    // A cycle starts as soon after the last one as a request follows a reply within it: no pause
    // between cycles. Loose (three times that gap), so that a busy machine does not fail it.
    const auto frames = bench.port->framesWritten();
    const auto gap = [&](qsizetype i) { return frames[i].first - frames[i - 1].first; };
    for (qsizetype i = first + n; turnaroundMs > 5 && i < first + 3 * n; i += n)
        QVERIFY2(gap(i) <= 3 * (gap(i - 1) + 40),
                 qPrintable(QString("%1 > 3 x (%2 + 40)").arg(gap(i)).arg(gap(i - 1))));

    // The receive's progress bar stood still during the diagnostic and moves again after it.
    QCOMPARE(progress.count(), 0);
    QVERIFY(bench.link.request(PanelCommand::PanelVersion).ok());
    QCOMPARE(progress.count(), 2);
}

void DiagWindowTest::pressedMidCycle_data()
{
    QTest::addColumn<QList<Press>>("presses");
    QTest::addColumn<QStringList>("fields"); // Text1, Text2, Text3: the serial's A, B and N
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<QList<Message>>("messages");

    const QList<Message> none;
    QTest::newRow("FERMER twice: one close")
        << QList<Press>{Press::Fermer, Press::Fermer} << QStringList() << QStringList() << none;
    QTest::newRow("Escape: like FERMER")
        << QList<Press>{Press::Escape} << QStringList() << QStringList() << none;
    QTest::newRow("close control twice")
        << QList<Press>{Press::CloseControl, Press::CloseControl} << QStringList() << QStringList() << none;
    QTest::newRow("NS ECS 2 7 1000: cycles go on")
        << QList<Press>{Press::NsEcs} << QStringList{"2", "7", "1000"}
        << QStringList{request(PanelCommand::WritePanelSerial, {71, 232, 3})} << none;
    QTest::newRow("NS UGA: no action")
        << QList<Press>{Press::NsUga} << QStringList{"2", "7", "1000"} << QStringList() << none;
    QTest::newRow("NS ECS, then FERMER: written before the end")
        << QList<Press>{Press::NsEcs, Press::Fermer} << QStringList{"7", "15", "65279"}
        << QStringList{request(PanelCommand::WritePanelSerial, {239, 255, 254})} << none;
    QTest::newRow("NS ECS with A 8: refused") << QList<Press>{Press::NsEcs} << QStringList{"8", "7", "1000"}
                                              << QStringList() << QList<Message>{Msg::invalidSerial()};
}

void DiagWindowTest::pressedMidCycle()
{
    QFETCH(QList<Press>, presses);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, written);
    QFETCH(QList<Message>, messages);
    const bool closes = presses.contains(Press::Fermer) || presses.contains(Press::Escape) ||
                        presses.contains(Press::CloseControl);

    DiagBench bench;
    bench.declareCard(false);
    bench.open();
    QVERIFY(bench.activated());
    QLineEdit *const texts[] = {bench.window->Text1, bench.window->Text2, bench.window->Text3};
    for (qsizetype i = 0; i < fields.size(); ++i)
        texts[i]->setText(fields[i]);
    const qsizetype opening = bench.requestsHex().size();
    const QStringList cycle = cycleRequests(false);
    // The presses land while a request in the middle of the second cycle waits for its reply.
    qsizetype requested = 0;
    int hourglass = -1;
    bool talking = false;
    QObject::connect(&bench.link, &Link::requestSent, bench.window.get(), [&] {
        if (++requested == cycle.size() * 3 / 2) {
            for (Press press : presses) {
                switch (press) {
                case Press::Fermer:
                    bench.window->Fermer->click();
                    break;
                case Press::Escape:
                    QTest::keyClick(bench.window.get(), Qt::Key_Escape);
                    break;
                case Press::CloseControl:
                    bench.window->close();
                    break;
                case Press::NsEcs:
                    bench.window->Command2->click();
                    break;
                case Press::NsUga:
                    bench.window->Command3->click();
                    break;
                }
            }
            hourglass = bench.prompts.busyDepth;
            talking = bench.window->isVisible() && bench.link.inDiagnosticMode();
        } else if (!closes && requested == cycle.size() * 5 / 2 + written.size()) {
            bench.window->Fermer->click();
        }
    });
    QVERIFY(bench.waitEnded());
    QTest::qWait(400);
    QCOMPARE(bench.ended, 1);
    // Whole cycles only, the last one the cycle pressed in; a write goes out after the cycle it
    // was asked in, and the cycles go on after it.
    QCOMPARE(bench.requestsHex().mid(opening), cycle + cycle + written + (closes ? QStringList() : cycle));
    QVERIFY(talking);
    QCOMPARE(hourglass, closes ? 1 : 0); // from a close press until the cycle ends
    QCOMPARE(bench.prompts.messages(), messages);
    QVERIFY(!bench.link.inDiagnosticMode());
    QCOMPARE(bench.prompts.busyDepth, 0);
}

TORVA_TEST(DiagWindowTest)
#include "tst_diagwindow.moc"
