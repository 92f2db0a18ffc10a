#include "ConfigBench.h"
#include "support/TestRegistry.h"

#include <QTest>

namespace {

// The frames of the reads every receive makes, up to the card presence.
QStringList panelReads()
{
    QStringList frames{frameHex(20), frameHex(4), frameHex(12, {0}), frameHex(12, {1}), frameHex(14)};
    for (int i = 0; i < 8; ++i)
        frames << frameHex(21, {i});
    return frames << frameHex(30);
}

QStringList cardReads()
{
    QStringList frames{frameHex(5)};
    for (int i = 0; i < 8; ++i)
        frames << frameHex(2, {i});
    for (int k = 0; k < 3; ++k)
        frames << frameHex(3, {k});
    return frames << frameHex(6) << frameHex(27);
}

// The panel's own items (not the card's) over another configuration.
PanelConfig withPanelItems(PanelConfig config, const PanelState &panel)
{
    const PanelConfig read = configOf(panel);
    config.AccessCodes = read.AccessCodes;
    config.RelayMatrix = read.RelayMatrix;
    config.Output12vMode = read.Output12vMode;
    config.AlarmModes = read.AlarmModes;
    return config;
}

} // namespace

class TestReceive : public QObject
{
    Q_OBJECT

private slots:
    void fullReceiveWithCard()
    {
        ConfigBench b;
        QCOMPARE(receiveConfiguration(b.context), TransferResult::Done);
        QCOMPARE(b.requestsHex(), panelReads() + cardReads());
        QVERIFY(b.port->written().startsWith('\0')); // the wake-up went first, alone
        PanelConfig expected = configOf(b.panel.state);
        expected.UgaTempo = b.panel.state.ugaTempo;
        QCOMPARE(b.editor.showCalls, QList<PanelConfig>{expected});
        QCOMPARE(b.editor.cardFrames, std::optional(true));
        QCOMPARE(b.progress.title, QStringLiteral("RECEPTION EN COURS..."));
        QCOMPARE(b.progress.steps,
                 (QStringList{"Lecture mode ECS", "Lecture codes d'accès", "Lecture relais programmable",
                              "Lecture mode sortie 12v", "Lecture modes alarme",
                              "Vérification présence Carte UGA/CMSI", "Lecture matrice des commandes",
                              "Lecture type des fonctions", "Lecture tempo UGA", "Lecture choix AES"}));
        QCOMPARE(b.progress.value, 35);
        QCOMPARE(b.progress.maximum, 38);
        QVERIFY(!b.progress.visible);
        QVERIFY(b.prompts.shown.isEmpty());
        QVERIFY(!b.session.ConfigSaved);
    }

    // Without a working card, only the panel's own items are read and shown; the card's items
    // keep what the editor showed.
    void withoutWorkingCard_data()
    {
        QTest::addColumn<bool>("fitted");
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("extraFrames");
        QTest::addColumn<QList<Message>>("messages");
        QTest::newRow("no card: six reads, silent") << false << 1 << QStringList{} << QList<Message>{};
        QTest::newRow("state 0: silent") << true << 0 << QStringList{frameHex(5)} << QList<Message>{};
        QTest::newRow("state 2: partial read")
            << true << 2 << QStringList{frameHex(5)} << QList<Message>{Msg::partialRead()};
    }
    void withoutWorkingCard()
    {
        QFETCH(bool, fitted);
        QFETCH(int, state);
        QFETCH(QStringList, extraFrames);
        QFETCH(QList<Message>, messages);
        ConfigBench b;
        b.panel.state.cardFitted = fitted;
        b.panel.state.cardState = std::uint8_t(state);
        b.editor.shown.UgaTempo = 9;
        PanelConfig expected = withPanelItems(b.editor.shown, b.panel.state);
        expected.setCardPresent(false);
        QCOMPARE(receiveConfiguration(b.context), TransferResult::Done);
        QCOMPARE(b.requestsHex(), panelReads() + extraFrames);
        QCOMPARE(b.prompts.messages(), messages);
        QCOMPARE(b.editor.showCalls, QList<PanelConfig>{expected});
        // A card the panel does not declare is shown absent without touching the frames first.
        QCOMPARE(b.editor.cardFrames, fitted ? std::optional(false) : std::nullopt);
    }

    // A receive that stops early says why once, shows nothing (the code boxes excepted: the
    // codes read writes them directly) and closes the progress window. The boxes hold AAAB, CCCA.
    void stopsEarly_data()
    {
        QTest::addColumn<bool>("manual");
        QTest::addColumn<std::optional<FaultRule>>(
            "fault"); // none, with no frame: the line lost at the wake-up
        QTest::addColumn<int>("frames");
        QTest::addColumn<Message>("message");
        QTest::addColumn<QString>("level2"); // the level-2 box afterwards
        const std::optional<FaultRule> none;
        const auto silent = [](int command) { return std::optional(FaultRule{Fault::Silence, command}); };
        const auto short1 = [](int command) {
            return std::optional(FaultRule{Fault::MissingDataByte, command});
        };
        QTest::newRow("manual mode: only the mode read") << true << none << 1 << Msg::manualMode() << "AAAB";
        QTest::newRow("port lost during the wake-up") << false << none << 0 << Msg::timeOut() << "AAAB";
        QTest::newRow("mode read without its data byte")
            << false << short1(20) << 1 << Msg::transferError() << "AAAB";
        QTest::newRow("codes unanswered: boxes kept") << false << silent(4) << 4 << Msg::timeOut() << "AAAB";
        QTest::newRow("codes one byte short: boxes kept")
            << false << short1(4) << 2 << Msg::transferError() << "AAAB";
        QTest::newRow("first relay without its data byte")
            << false << short1(12) << 3 << Msg::transferError() << "ABCA";
        QTest::newRow("card state without its data byte")
            << false << short1(5) << 15 << Msg::transferError() << "ABCA";
        QTest::newRow("AES choice, the last read")
            << false << short1(27) << 28 << Msg::transferError() << "ABCA";
    }
    void stopsEarly()
    {
        QFETCH(bool, manual);
        QFETCH(std::optional<FaultRule>, fault);
        QFETCH(int, frames);
        QFETCH(Message, message);
        QFETCH(QString, level2);
        ConfigBench b;
        b.editor.shown.AccessCodes = {QStringLiteral("AAAB"), QStringLiteral("CCCA")};
        b.panel.state.manualMode = manual;
        if (fault)
            b.panel.addFault(*fault);
        if (frames == 0)
            b.loseLineAtWakeUp();
        QVERIFY(receiveConfiguration(b.context) != TransferResult::Done);
        QCOMPARE(b.panel.requests().size(), frames);
        QCOMPARE(b.prompts.messages(), QList<Message>{message});
        QVERIFY(b.editor.showCalls.isEmpty());
        QCOMPARE(b.editor.shown.AccessCodes[0], level2);
        QVERIFY(!b.progress.visible);
        QVERIFY(!b.session.ConfigSaved);
    }

    void portSelection_data()
    {
        QTest::addColumn<PortOutcome>("outcome");
        QTest::addColumn<bool>("savedAfter");
        QTest::addColumn<TransferResult>("result");
        QTest::newRow("port failed: marked unsaved, nothing sent")
            << PortOutcome::Failed << false << TransferResult::PortFailed;
        QTest::newRow("cancelled: nothing at all")
            << PortOutcome::Cancelled << true << TransferResult::Cancelled;
    }
    void portSelection()
    {
        QFETCH(PortOutcome, outcome);
        QFETCH(bool, savedAfter);
        QFETCH(TransferResult, result);
        ConfigBench b;
        b.context.selectPort = [outcome] { return outcome; };
        QCOMPARE(receiveConfiguration(b.context), result);
        QCOMPARE(b.session.ConfigSaved, savedAfter);
        QVERIFY(b.panel.requests().isEmpty());
    }
};

TORVA_TEST(TestReceive)
#include "tst_receive.moc"
