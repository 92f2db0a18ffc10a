// The diagnostic window against the emulated panel: what it shows, what it asks and how it
// ends, and the presses during a cycle.
#include "support/PanelBench.h"
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "diag/DiagFrm.h"
#include "diagreads/DiagReader.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

struct DiagBench : PanelBench
{
    Session session;
    bool cardDeclared = true; // the editor shows the UP card present
    std::unique_ptr<DiagFrm> window;
    int ended = 0;

    DiagBench() { link.openPort(PortChoice::simulated()); }

    void open()
    {
        window = std::make_unique<DiagFrm>(link, session, prompts, cardDeclared);
        QObject::connect(window.get(), &DiagFrm::diagnosticEnded, [this] { ++ended; });
        window->show();
    }

    // The opening reads are done and the cycles are under way.
    bool activated()
    {
        (void)QTest::qWaitFor([this] { return ended > 0 || window->Timer1->isActive(); });
        return ended == 0 && window->Timer1->isActive();
    }

    bool waitEnded()
    {
        return QTest::qWaitFor([this] { return ended > 0; }, 8000);
    }
};

// What a case changes on the bench before the diagnostic starts: the panel's state, a fault of
// the panel or the line.
using Setup = std::function<void(DiagBench &)>;
Q_DECLARE_METATYPE(Setup)

inline Setup state(std::function<void(PanelState &)> change)
{
    return [change](DiagBench &bench) { change(bench.panel.state); };
}
// The panel answers `command` (with this first data byte) with one data byte too many.
inline Setup tooLong(PanelCommand command, int index = -1)
{
    return [=](DiagBench &bench) { bench.panel.addFault({Fault::WrongDataCount, int(command), index}); };
}

// The request frames the diagnostic sends.
inline QString request(PanelCommand command, std::initializer_list<int> data = {})
{
    return frameHex(int(command), data);
}
inline QString loopLoad(int loop) { return request(PanelCommand::PanelMeasurement, {4, loop}); }
inline QString panelReading(int subCode) { return request(PanelCommand::PanelMeasurement, {subCode}); }
inline QString cardReading(int subCode) { return request(PanelCommand::CardMeasurement, {subCode}); }

inline QStringList panelOpening()
{
    return {request(PanelCommand::PanelVersion), request(PanelCommand::PanelSerial)};
}
inline QStringList cardOpening()
{
    return {request(PanelCommand::CardState), request(PanelCommand::CardVersion),
            request(PanelCommand::CardSerial)};
}

// One measurement cycle: the loops in turn, the panel's service, battery and charger voltages,
// then the card's battery, charger, AES and its two sounder lines.
inline QStringList cycleRequests(bool card)
{
    QStringList cycle;
    for (int k = 0; k < 8; ++k)
        cycle << loopLoad(k);
    cycle << panelReading(0) << panelReading(2) << panelReading(3);
    if (card)
        cycle << cardReading(2) << cardReading(5) << cardReading(4) << cardReading(0) << cardReading(1);
    return cycle;
}

// The requests up to and including `last`.
inline QStringList upTo(const QStringList &requests, const QString &last)
{
    return requests.mid(0, requests.indexOf(last) + 1);
}

enum class Press { Fermer, CloseControl, NsEcs };
Q_DECLARE_METATYPE(Press)

class DiagWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }

    // The opening and one cycle against a panel whose every reading has a value of its own, so
    // that a reading shown in another's place cannot pass: each text, and each loop's bar.
    void shows()
    {
        DiagBench bench;
        PanelState &s = bench.panel.state;
        s.ecsSerial = {0x33, 0xFF, 0xFE}; // A 1.5 (bit 4 adds a half), B 3, N 65279
        s.cardVersion = {12, 7};
        s.cardSerial[2] = 0xFF; // none stored
        s.loopRaw = {0, 135, 136, 300, 680, 6553, 1, 20};
        s.ecsRaw[0] = 1023;
        s.ecsRaw[2] = 212;
        s.ecsRaw[3] = 500;
        s.cardRaw[0] = 1023;
        s.cardRaw[1] = 82;
        s.cardRaw[2] = 700;
        s.cardRaw[4] = 1023;
        s.cardRaw[5] = 574;
        bench.open();
        QVERIFY(bench.activated());
        bench.window->Fermer->click(); // exactly one cycle runs
        QVERIFY(bench.waitEnded());

        const std::pair<int, QString> labels[] = {
            {3, "Version du programme = 3.0"},
            {0, "N° de Série =020365279"},
            {13, "Tension de service = 25 v"},
            {14, "Tension de Batterie = 05 v"},
            {15, "Tension du Chargeur = 12 v"},
            {4, "Version du programme = 12.7"},
            {8, "Carte Présente = oui"},
            {7, "N° de Série = Non Disponible"},
            {17, "Tension de Batterie = 17 v"},
            {18, "Tension du Chargeur = 14 v"},
            {5, "Tension AES = 65 v"},
            {2, "Charge ligne diffuseurs 1 = 5,000 A"},
            {6, "Charge ligne diffuseurs 2 = 0,401 A"},
        };
        for (const auto &[label, text] : labels)
            QCOMPARE(bench.window->Label1[std::size_t(label)]->text(), text);
        QStringList loads;
        QList<QColor> colours;
        QList<int> widths;
        for (int k = 0; k < DiagReader::kLoops; ++k) {
            loads << bench.window->Ib[std::size_t(k)]->text();
            colours << bench.window->Vu_Metre[std::size_t(k)]->palette().color(QPalette::Window);
            widths << bench.window->Vu_Metre[std::size_t(k)]->width();
        }
        QCOMPARE(loads, (QStringList{"0,0 mA", "19,9 mA", "20,0 mA", "44,2 mA", ">=100 mA", ">=100 mA",
                                     "0,1 mA", "2,9 mA"}));
        // Yellow when empty, green under 20 mA, red from there; two pixels a mA.
        const QColor yellow(255, 255, 0);
        const QColor green(0, 255, 0);
        const QColor red(255, 0, 0);
        QCOMPARE(colours, (QList<QColor>{yellow, green, red, red, red, red, green, green}));
        QCOMPARE(widths, (QList<int>{0, 40, 40, 88, 200, 200, 0, 6}));
    }

    // What the diagnostic asks the panel, from its opening to its end: FERMER pressed once the
    // cycles are under way ends it after the cycle, a refused reply ends it at once and says why.
    void runs_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<bool>("declared"); // the editor shows the UP card present
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<QList<Message>>("messages");
        QTest::addColumn<bool>("cardShown");     // the card's frame, once the cycles are under way
        QTest::addColumn<QString>("serialKept"); // the panel's serial the session holds after; empty: none

        const QStringList opening = panelOpening();
        const QStringList withCard = opening + cardOpening();
        const QStringList cardAsked = opening + QStringList{request(PanelCommand::CardState)};
        const QString read = QStringLiteral("N° de Série =020712345");
        const QList<Message> none;
        const QList<Message> refused{Msg::transferError()};
        QTest::newRow("card operational")
            << Setup() << true << withCard + cycleRequests(true) << none << true << read;
        // A card declared but not operational is left out of the opening, and still polled.
        QTest::newRow("card state 2") << state([](PanelState &s) { s.cardState = 2; }) << true
                                      << cardAsked + cycleRequests(true) << none << false << read;
        QTest::newRow("card absent: never asked")
            << Setup() << false << opening + cycleRequests(false) << none << false << read;
        // A half-read panel is not kept.
        QTest::newRow("panel serial with 4 bytes")
            << tooLong(PanelCommand::PanelSerial) << true << opening << refused << false << QString();
        QTest::newRow("card version with 3 bytes")
            << tooLong(PanelCommand::CardVersion) << true
            << upTo(withCard, request(PanelCommand::CardVersion)) << refused << false << read;
        QTest::newRow("loop 4 above 6553")
            << state([](PanelState &s) { s.loopRaw[3] = 6554; }) << false
            << opening + upTo(cycleRequests(false), loopLoad(3)) << refused << false << read;
        QTest::newRow("sounder line 2 high byte 255")
            << state([](PanelState &s) { s.cardRaw[1] = 0xFF00; }) << true << withCard + cycleRequests(true)
            << refused << true << read;
        // The link has already said that the panel did not answer.
        QTest::newRow("panel silent") << Setup([](DiagBench &bench) {
            bench.panel.addFault({Fault::Silence, int(PanelCommand::PanelVersion)});
        }) << false << QStringList(3, request(PanelCommand::PanelVersion))
                                      << QList<Message>{Msg::timeOut()} << false << QString();
        QTest::newRow("port lost at the wake-up")
            << Setup([](DiagBench &bench) { bench.port->vanishAfterWrites(1); }) << false << QStringList()
            << QList<Message>{Msg::timeOut()} << false << QStringLiteral("read by an earlier diagnostic");
        // The cycle waits inside its own event loop: the abort comes from a timer, as a close would.
        QTest::newRow("abandoned during a cycle: silently") << Setup([](DiagBench &bench) {
            bench.panel.addFault({Fault::Silence, int(PanelCommand::PanelMeasurement), 4});
            auto *poll = new QTimer(&bench.link);
            QObject::connect(poll, &QTimer::timeout, [&bench] {
                if (bench.requestsHex().contains(loopLoad(0)))
                    bench.link.abort();
            });
            poll->start(10);
        }) << false << opening + QStringList{loopLoad(0)} << none
                                                            << false << read;
    }
    void runs()
    {
        QFETCH(Setup, setup);
        QFETCH(bool, declared);
        QFETCH(QStringList, requests);
        QFETCH(QList<Message>, messages);
        QFETCH(bool, cardShown);
        QFETCH(QString, serialKept);
        DiagBench bench;
        bench.cardDeclared = declared;
        bench.session.PanelVersion = bench.session.PanelSerial =
            QStringLiteral("read by an earlier diagnostic");
        if (setup)
            setup(bench);
        bench.open();
        bool frameShown = false;
        if (bench.activated()) {
            frameShown = bench.window->Frame2->isVisible();
            bench.window->Fermer->click();
        }
        QVERIFY(bench.waitEnded());
        QTest::qWait(400); // time for a frame sent after the end to reach the panel
        QCOMPARE(bench.requestsHex(), requests);
        QCOMPARE(bench.prompts.messages(), messages);
        QCOMPARE(frameShown, cardShown);
        QCOMPARE(bench.ended, 1);
        QVERIFY(!bench.window->isVisible());
        QVERIFY(!bench.link.inDiagnosticMode());
        QCOMPARE(bench.prompts.busyDepth, 0);
        // The panel's version and serial number are kept both or neither.
        QCOMPARE(bench.session.PanelSerial.value_or(QString()), serialKept);
        QCOMPARE(bench.session.PanelVersion.has_value(), bench.session.PanelSerial.has_value());
    }

    void pressedMidCycle_data()
    {
        QTest::addColumn<QList<Press>>("presses");
        QTest::addColumn<QStringList>("fields"); // Text1, Text2, Text3: the serial's A, B and N
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QList<Message>>("messages");

        const QList<Message> none;
        QTest::newRow("close control twice") << QList<Press>{Press::CloseControl, Press::CloseControl}
                                             << QStringList() << QStringList() << none;
        QTest::newRow("NS ECS 1 3 12345, blanks around: cycles go on")
            << QList<Press>{Press::NsEcs} << QStringList{" 1 ", "3", " 12345"}
            << QStringList{request(PanelCommand::WritePanelSerial, {35, 57, 48})} << none;
        QTest::newRow("NS ECS, then FERMER: written before the end")
            << QList<Press>{Press::NsEcs, Press::Fermer} << QStringList{"7", "15", "65279"}
            << QStringList{request(PanelCommand::WritePanelSerial, {239, 255, 254})} << none;
        // A serial number out of its fields' ranges is refused, never written malformed.
        const QList<Message> invalid{Msg::invalidSerial()};
        QTest::newRow("NS ECS with A 8")
            << QList<Press>{Press::NsEcs} << QStringList{"8", "7", "1000"} << QStringList() << invalid;
        QTest::newRow("NS ECS with B 16")
            << QList<Press>{Press::NsEcs} << QStringList{"0", "16", "1"} << QStringList() << invalid;
        QTest::newRow("NS ECS with N 65280, which would read not stored")
            << QList<Press>{Press::NsEcs} << QStringList{"0", "0", "65280"} << QStringList() << invalid;
        QTest::newRow("NS ECS with N past any integer")
            << QList<Press>{Press::NsEcs} << QStringList{"1", "2", "99999999999"} << QStringList() << invalid;
    }
    void pressedMidCycle()
    {
        QFETCH(QList<Press>, presses);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, written);
        QFETCH(QList<Message>, messages);
        const bool closes = presses.contains(Press::Fermer) || presses.contains(Press::CloseControl);

        DiagBench bench;
        bench.cardDeclared = false;
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
        QObject::connect(&bench.link, &Link::requestSent, bench.window.get(), [&] {
            if (++requested == cycle.size() * 3 / 2) {
                for (Press press : presses) {
                    switch (press) {
                    case Press::Fermer:
                        bench.window->Fermer->click();
                        break;
                    case Press::CloseControl:
                        bench.window->close();
                        break;
                    case Press::NsEcs:
                        bench.window->Command2->click();
                        break;
                    }
                }
                hourglass = bench.prompts.busyDepth;
            } else if (!closes && requested == cycle.size() * 5 / 2 + written.size()) {
                bench.window->Fermer->click();
            }
        });
        QVERIFY(bench.waitEnded());
        QTest::qWait(400);
        QCOMPARE(bench.ended, 1);
        // Whole cycles only, the last one the cycle pressed in; a write goes out after the cycle it
        // was asked in, and the cycles go on after it.
        QCOMPARE(bench.requestsHex().mid(opening),
                 cycle + cycle + written + (closes ? QStringList() : cycle));
        QCOMPARE(hourglass, closes ? 1 : 0); // from a close press until the cycle ends
        QCOMPARE(bench.prompts.messages(), messages);
        QVERIFY(!bench.link.inDiagnosticMode());
        QCOMPARE(bench.prompts.busyDepth, 0);
    }
};

TORVA_TEST(DiagWindowTest)
#include "tst_diagwindow.moc"
