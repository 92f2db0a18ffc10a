#include "support/TestRegistry.h"
#include "TransferBench.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
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

} // namespace

class TestReceive : public QObject
{
    Q_OBJECT

private slots:
    void fullReceiveWithCard()
    {
        TransferBench b;
        QVERIFY(receiveConfiguration(b.context));
        QCOMPARE(b.requestsHex(), panelReads() + cardReads());
        QVERIFY(b.port->written().startsWith('\0'));   // the wake-up went first, alone
        QCOMPARE(b.window.itemsFromControls(), panelItems(b.panel.state));
        QCOMPARE(b.window.code(0) + b.window.code(1), QStringLiteral("ABCACABB"));
        QVERIFY(b.window.Up_Option[1]->isChecked() && b.window.Frm_Cde->isVisibleTo(&b.window));
        QCOMPARE(b.window.Tempo_Lbl->text(), QStringLiteral("Tempo UGA =  5 min."));
        QCOMPARE(b.progress.ProgressBar1->value(), 35);
        QCOMPARE(b.progress.ProgressBar1->maximum(), 38);
        QVERIFY(!b.progress.isVisible());
        QVERIFY(b.prompts.shown.isEmpty());
        QVERIFY(!b.session.ConfigSaved);
    }

    // Without a working card, only the panel's own items are read and shown; the card's items
    // keep their previous values in the record and in the editor.
    void withoutWorkingCard_data()
    {
        QTest::addColumn<bool>("fitted");
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("extraFrames");
        QTest::addColumn<QList<Message>>("messages");
        QTest::newRow("no card: six reads, silent") << false << 1 << QStringList{} << QList<Message>{};
        QTest::newRow("state 0: silent") << true << 0 << QStringList{frameHex(5)} << QList<Message>{};
        QTest::newRow("state 2: partial read") << true << 2 << QStringList{frameHex(5)}
                                                << QList<Message>{Msg::partialRead()};
    }
    void withoutWorkingCard()
    {
        QFETCH(bool, fitted);
        QFETCH(int, state);
        QFETCH(QStringList, extraFrames);
        QFETCH(QList<Message>, messages);
        TransferBench b;
        b.panel.state.cardFitted = fitted;
        b.panel.state.cardState = std::uint8_t(state);
        const PanelConfig before = b.session.config;
        const ControlItems controlsBefore = b.window.itemsFromControls();
        const QString tempoBefore = b.window.Tempo_Lbl->text();
        QVERIFY(receiveConfiguration(b.context));
        QCOMPARE(b.requestsHex(), panelReads() + extraFrames);
        QCOMPARE(b.prompts.messages(), messages);
        QVERIFY(b.window.Up_Option[0]->isChecked());
        QVERIFY(!b.window.Frm_Cde->isVisibleTo(&b.window) && !b.window.Frame1->isVisibleTo(&b.window));
        QCOMPARE(int(b.session.config.UpCardPresent), 0);
        QCOMPARE(b.session.config.CommandMatrix, before.CommandMatrix);
        QCOMPARE(b.session.config.FunctionTypes, before.FunctionTypes);
        QCOMPARE(b.session.config.UgaTempo, before.UgaTempo);
        const ControlItems after = b.window.itemsFromControls();
        QCOMPARE(after.CommandMatrix, controlsBefore.CommandMatrix);
        QCOMPARE(after.FunctionTypes, controlsBefore.FunctionTypes);
        QCOMPARE(after.AesChoice, controlsBefore.AesChoice);
        QCOMPARE(b.window.Tempo_Lbl->text(), tempoBefore);
        QCOMPARE(after.AlarmModes, panelItems(b.panel.state).AlarmModes);
    }

    // A receive that stops early says why once, leaves the editor as it was (the codes excepted:
    // their read writes the boxes directly), the card presence in the record as the editor shows it,
    // and closes the progress window. The editor shows the card absent and the codes AAAB, CCCA.
    void stopsEarly_data()
    {
        QTest::addColumn<bool>("manual");
        QTest::addColumn<std::optional<FaultRule>>("fault");
        QTest::addColumn<int>("frames");
        QTest::addColumn<Message>("message");
        QTest::addColumn<QString>("level2");   // the level-2 box afterwards
        const auto silent = [](int command, int index = -1) { return std::optional(FaultRule{Fault::Silence, command, index}); };
        const auto short1 = [](int command) { return std::optional(FaultRule{Fault::MissingDataByte, command}); };
        QTest::newRow("manual mode: only the mode read") << true << std::optional<FaultRule>() << 1 << Msg::manualMode() << "AAAB";
        QTest::newRow("no panel: three attempts") << false << silent(-1) << 3 << Msg::timeOut() << "AAAB";
        QTest::newRow("port lost during the wake-up") << false << std::optional<FaultRule>() << 0 << Msg::timeOut() << "AAAB";
        QTest::newRow("mode read without its data byte") << false << short1(20) << 1 << Msg::transferError() << "AAAB";
        QTest::newRow("codes unanswered: delivery codes") << false << silent(4) << 4 << Msg::timeOut() << "BCAB";
        QTest::newRow("codes one byte short: boxes kept") << false << short1(4) << 2 << Msg::transferError() << "AAAB";
        QTest::newRow("fourth alarm mode") << false << silent(21, 3) << 11 << Msg::timeOut() << "ABCA";
        QTest::newRow("second relay") << false << silent(12, 1) << 6 << Msg::timeOut() << "ABCA";
        QTest::newRow("card state without its data byte") << false << short1(5) << 15 << Msg::transferError() << "ABCA";
        QTest::newRow("third function type") << false << silent(3, 2) << 28 << Msg::timeOut() << "ABCA";
        QTest::newRow("AES choice, the last read") << false << silent(27) << 30 << Msg::timeOut() << "ABCA";
    }
    void stopsEarly()
    {
        QFETCH(bool, manual);
        QFETCH(std::optional<FaultRule>, fault);
        QFETCH(int, frames);
        QFETCH(Message, message);
        QFETCH(QString, level2);
        TransferBench b;
        b.window.Up_Option[0]->setChecked(true);
        b.window.setCode(0, QStringLiteral("AAAB"));
        b.window.setCode(1, QStringLiteral("CCCA"));
        b.panel.state.manualMode = manual;
        if (fault)
            b.panel.addFault(*fault);
        if (frames == 0) {
            b.context.selectPort = [&b] {
                const bool opened = b.link.openPort(PortChoice::simulated());
                b.port->vanishAfterWrites(1);   // the wake-up byte goes, then the adapter
                return opened ? PortOutcome::Opened : PortOutcome::Failed;
            };
        }
        const ControlItems before = b.window.itemsFromControls();
        QVERIFY(!receiveConfiguration(b.context));
        QCOMPARE(b.panel.requests().size(), frames);
        QCOMPARE(b.prompts.messages(), QList<Message>{message});
        QCOMPARE(b.window.itemsFromControls(), before);
        QVERIFY(b.window.Up_Option[0]->isChecked());
        QCOMPARE(int(b.session.config.UpCardPresent), 0);
        QCOMPARE(b.window.code(0), level2);
        QVERIFY(!b.progress.isVisible());
        QVERIFY(!b.session.ConfigSaved);
    }

    void portSelection_data()
    {
        QTest::addColumn<int>("outcome");
        QTest::addColumn<bool>("savedAfter");
        QTest::newRow("port failed: marked unsaved, nothing sent") << int(PortOutcome::Failed) << false;
        QTest::newRow("cancelled: nothing at all") << int(PortOutcome::Cancelled) << true;
    }
    void portSelection()
    {
        QFETCH(int, outcome);
        QFETCH(bool, savedAfter);
        TransferBench b;
        b.context.selectPort = [outcome] { return PortOutcome(outcome); };
        QVERIFY(!receiveConfiguration(b.context));
        QCOMPARE(b.session.ConfigSaved, savedAfter);
        QVERIFY(b.panel.requests().isEmpty());
    }
};

TORVA_TEST(TestReceive)
#include "tst_receive.moc"
