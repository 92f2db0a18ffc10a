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

const QString kManualMode =
    QStringLiteral("ACCES ECS|Le mode de configuration manuelle est engagé, accès PC interdit !");

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
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("no card: six reads, silent") << false << 1 << QStringList{} << QStringList{};
        QTest::newRow("state 0: silent") << true << 0 << QStringList{frameHex(5)} << QStringList{};
        QTest::newRow("state 2: partial read") << true << 2 << QStringList{frameHex(5)} << QStringList{QStringLiteral(
            "CARTE UGA/CMSI|La carte UGA/CMSI semble ne pas être opérationnelle, Lecture partielle !")};
    }
    void withoutWorkingCard()
    {
        QFETCH(bool, fitted);
        QFETCH(int, state);
        QFETCH(QStringList, extraFrames);
        QFETCH(QStringList, messages);
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

    // A receive that stops early leaves the editor as it was (the codes excepted: their read
    // writes the boxes directly) and closes the progress window.
    void stopsEarly_data()
    {
        QTest::addColumn<bool>("manual");
        QTest::addColumn<int>("command");   // the read that gets no reply (-1: every read)
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QString>("message");
        QTest::newRow("manual mode: only the mode read") << true << 0 << -1 << 1 << kManualMode;
        QTest::newRow("no panel: three attempts") << false << -1 << -1 << 3 << timeOutMessage();
        QTest::newRow("fourth alarm mode") << false << 21 << 3 << 11 << timeOutMessage();
        QTest::newRow("second relay") << false << 12 << 1 << 6 << timeOutMessage();
        QTest::newRow("third function type") << false << 3 << 2 << 28 << timeOutMessage();
        QTest::newRow("AES choice, the last read") << false << 27 << -1 << 30 << timeOutMessage();
    }
    void stopsEarly()
    {
        QFETCH(bool, manual);
        QFETCH(int, command);
        QFETCH(int, index);
        QFETCH(int, frames);
        QFETCH(QString, message);
        TransferBench b;
        b.panel.state.manualMode = manual;
        if (command != 0)
            b.panel.addFault({Fault::Silence, command, index});
        const ControlItems before = b.window.itemsFromControls();
        QVERIFY(!receiveConfiguration(b.context));
        QCOMPARE(b.panel.requests().size(), frames);
        QCOMPARE(b.prompts.messages(), QStringList{message});
        QCOMPARE(b.window.itemsFromControls(), before);
        QVERIFY(b.window.Up_Option[1]->isChecked());
        QCOMPARE(b.window.code(0), QString::fromLatin1(frames > 3 ? "ABCA" : "BCAB"));
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
