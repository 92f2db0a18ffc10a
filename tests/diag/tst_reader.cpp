// The diagnostic's reads against the emulated panel, without the window: what each read shows,
// in what order the requests go, and where a failed read stops the rest.
#include "support/TestRegistry.h"

#include "DiagBench.h"

using Shown = DiagReader::Shown;
using Outcome = DiagReader::Outcome;
Q_DECLARE_METATYPE(Shown)
Q_DECLARE_METATYPE(Outcome)

char *toString(const Shown &shown)
{
    if (shown.loop < 0 && shown.label < 0)
        return qstrdup("nothing shown");
    const QString place = shown.loop >= 0 ? QStringLiteral("Ib(%1)").arg(shown.loop)
                                          : QStringLiteral("Label1(%1)").arg(shown.label);
    return qstrdup(qPrintable(place + QStringLiteral(": ") + shown.text));
}

namespace {

// The text a read showed in the same place as `expected`, or nothing.
Shown shownLike(const QList<Shown> &shown, const Shown &expected)
{
    for (const Shown &s : shown)
        if (s.label == expected.label && s.loop == expected.loop)
            return s;
    return {};
}

} // namespace

class DiagReaderTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }
    void shows_data();
    void shows();
    void openingSteps_data();
    void openingSteps();
    void cycleSteps_data();
    void cycleSteps();
};

// The panel holds version 3.0 and serial 02 07 12345; its operational card 2.1 and 01 03 04321.
void DiagReaderTest::shows_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<Shown>("shown");
    // The card's b0 differs from the panel's, so that swapped frames cannot pass.
    QTest::newRow("panel version") << Setup() << Shown::inLabel(3, "Version du programme = 3.0");
    QTest::newRow("panel serial") << state([](PanelState &s) {
        s.ecsSerial = {0x63, 0x39, 0x30};
    }) << Shown::inLabel(0, "N° de Série =030312345");
    QTest::newRow("card version 12.7") << state([](PanelState &s) {
        s.cardVersion = {12, 7};
    }) << Shown::inLabel(4, "Version du programme = 12.7");
    QTest::newRow("card present") << Setup() << Shown::inLabel(8, "Carte Présente = oui");
    QTest::newRow("card serial") << state([](PanelState &s) { s.cardSerial[0] = 0x22; })
                                 << Shown::inLabel(7, "N° de Série =010204321");
    const auto loop3 = [](int raw) {
        return state([raw](PanelState &s) { s.loopRaw[3] = std::uint16_t(raw); });
    };
    QTest::newRow("loop 6553: highest accepted") << loop3(6553) << Shown::inLoop(3, ">=100 mA");
    QTest::newRow("service 1023") << state([](PanelState &s) { s.ecsRaw[0] = 1023; })
                                  << Shown::inLabel(13, "Tension de service = 25 v");
    QTest::newRow("panel battery 212") << state([](PanelState &s) { s.ecsRaw[2] = 212; })
                                       << Shown::inLabel(14, "Tension de Batterie = 05 v");
    QTest::newRow("panel charger 500") << state([](PanelState &s) { s.ecsRaw[3] = 500; })
                                       << Shown::inLabel(15, "Tension du Chargeur = 12 v");
    QTest::newRow("card battery 1023") << state([](PanelState &s) { s.cardRaw[2] = 1023; })
                                       << Shown::inLabel(17, "Tension de Batterie = 25 v");
    QTest::newRow("card charger 574") << state([](PanelState &s) { s.cardRaw[5] = 574; })
                                      << Shown::inLabel(18, "Tension du Chargeur = 14 v");
    QTest::newRow("AES 1023") << state([](PanelState &s) { s.cardRaw[4] = 1023; })
                              << Shown::inLabel(5, "Tension AES = 65 v");
    QTest::newRow("sounder line 1 1023") << state([](PanelState &s) { s.cardRaw[0] = 1023; })
                                         << Shown::inLabel(2, "Charge ligne diffuseurs 1 = 5,000 A");
    QTest::newRow("sounder line 2 82") << state([](PanelState &s) { s.cardRaw[1] = 82; })
                                       << Shown::inLabel(6, "Charge ligne diffuseurs 2 = 0,401 A");
}

// The opening reads, then one cycle.
void DiagReaderTest::shows()
{
    QFETCH(Setup, setup);
    QFETCH(Shown, shown);
    DiagBench bench;
    if (setup)
        setup(bench);
    QVERIFY(bench.link.wakeUp());
    DiagReader reader(bench.link, bench.session, true);
    const DiagReader::Opening opening = reader.readOpening();
    const DiagReader::Result cycle = reader.readCycle();
    QCOMPARE(opening.outcome, Outcome::Read);
    QCOMPARE(cycle.outcome, Outcome::Read);
    QCOMPARE(shownLike(opening.shown + cycle.shown, shown), shown);
}

void DiagReaderTest::openingSteps_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<bool>("declared"); // the editor shows the UP card present
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<bool>("cardShown");
    QTest::addColumn<bool>("panelKept"); // the session holds the panel's version and serial

    const auto row = [](const char *name, Setup setup, bool declared, const QStringList &requests,
                        Outcome outcome, bool cardShown, bool panelKept) {
        QTest::newRow(name) << setup << declared << requests << outcome << cardShown << panelKept;
    };
    const auto cardState = [](int answer) {
        return state([answer](PanelState &s) { s.cardState = std::uint8_t(answer); });
    };
    const QStringList cardAsked = panelOpening() << request(PanelCommand::CardState);
    const QStringList all = panelOpening() + cardOpening();
    row("card absent: never asked", {}, false, panelOpening(), Outcome::Read, false, true);
    row("card operational", {}, true, all, Outcome::Read, true, true);
    row("card state 0: left out", cardState(0), true, cardAsked, Outcome::Read, false, true);
    row("card state 2: left out", cardState(2), true, cardAsked, Outcome::Read, false, true);
    row("card state with 2 bytes: left out", tooLong(PanelCommand::CardState), true, cardAsked, Outcome::Read,
        false, true);
    row("serial with 4 bytes: no half-read panel", tooLong(PanelCommand::PanelSerial), true, panelOpening(),
        Outcome::Refused, false, false);
    row("card version with 3 bytes", tooLong(PanelCommand::CardVersion), true,
        upTo(all, request(PanelCommand::CardVersion)), Outcome::Refused, true, true);
    row("card serial with 4 bytes", tooLong(PanelCommand::CardSerial), true, all, Outcome::Refused, true,
        true);
}

void DiagReaderTest::openingSteps()
{
    QFETCH(Setup, setup);
    QFETCH(bool, declared);
    QFETCH(QStringList, requests);
    QFETCH(Outcome, outcome);
    QFETCH(bool, cardShown);
    QFETCH(bool, panelKept);
    DiagBench bench;
    if (setup)
        setup(bench);
    bench.session.PanelVersion = bench.session.PanelSerial = QStringLiteral("read by an earlier diagnostic");
    QVERIFY(bench.link.wakeUp());
    const DiagReader::Opening opening = DiagReader(bench.link, bench.session, declared).readOpening();
    QCOMPARE(opening.outcome, outcome);
    QCOMPARE(opening.cardShown, cardShown);
    QCOMPARE(bench.requestsHex(), requests);
    const auto kept = [panelKept](const char *text) {
        return panelKept ? std::optional(QString::fromUtf8(text)) : std::nullopt;
    };
    QCOMPARE(bench.session.PanelVersion, kept("Version du programme = 3.0"));
    QCOMPARE(bench.session.PanelSerial, kept("N° de Série =020712345"));
    QCOMPARE(bench.prompts.messages(), QList<Message>());
}

void DiagReaderTest::cycleSteps_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<bool>("declared");
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<Outcome>("outcome");

    const QStringList withCard = cycleRequests(true);
    QTest::newRow("card absent: 11 readings") << Setup() << false << cycleRequests(false) << Outcome::Read;
    QTest::newRow("card declared: 16 readings") << Setup() << true << withCard << Outcome::Read;
    QTest::newRow("service with 3 bytes") << tooLong(PanelCommand::PanelMeasurement, 0) << true
                                          << upTo(withCard, panelReading(0)) << Outcome::Refused;
    QTest::newRow("loop high byte 128") << state([](PanelState &s) { s.loopRaw[3] = 0x8000; }) << true
                                        << upTo(withCard, loopLoad(3)) << Outcome::Refused;
    QTest::newRow("service high byte 128") << state([](PanelState &s) { s.ecsRaw[0] = 0x80FF; }) << true
                                           << upTo(withCard, panelReading(0)) << Outcome::Refused;
    QTest::newRow("sounder line 2 high byte 255")
        << state([](PanelState &s) { s.cardRaw[1] = 0xFF00; }) << true << withCard << Outcome::Refused;
}

void DiagReaderTest::cycleSteps()
{
    QFETCH(Setup, setup);
    QFETCH(bool, declared);
    QFETCH(QStringList, requests);
    QFETCH(Outcome, outcome);
    DiagBench bench;
    if (setup)
        setup(bench);
    QVERIFY(bench.link.wakeUp());
    const DiagReader::Result cycle = DiagReader(bench.link, bench.session, declared).readCycle();
    QCOMPARE(cycle.outcome, outcome);
    QCOMPARE(bench.requestsHex(), requests);
    // Each accepted reading shows once; a refused one shows nothing.
    QCOMPARE(cycle.shown.size(), requests.size() - (outcome == Outcome::Read ? 0 : 1));
    QCOMPARE(bench.prompts.messages(), QList<Message>());
}

TORVA_TEST(DiagReaderTest)
#include "tst_reader.moc"
