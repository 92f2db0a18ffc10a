#include "support/TestRegistry.h"
#include "TransferBench.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

// The frames of the reads every receive makes, up to the card presence.
QStringList panelReads()
{
    QStringList frames{frameHex(20), frameHex(4), frameHex(12, {0}), frameHex(12, {1}), frameHex(14)};
    for (int i = 0; i < 8; ++i)
        frames << frameHex(21, {i});
    frames << frameHex(30);
    return frames;
}

QStringList cardReads()
{
    QStringList frames{frameHex(5)};
    for (int i = 0; i < 8; ++i)
        frames << frameHex(2, {i});
    for (int k = 0; k < 3; ++k)
        frames << frameHex(3, {k});
    frames << frameHex(6) << frameHex(27);
    return frames;
}

// The items the emulated panel holds, as the editor would compute them from its controls.
ControlItems panelItems(const PanelState &s)
{
    ControlItems items;
    std::copy(s.commandMatrix.begin(), s.commandMatrix.end(), items.CommandMatrix.begin());
    std::copy(s.alarmModes.begin(), s.alarmModes.end(), items.AlarmModes.begin());
    std::copy(s.functionTypes.begin(), s.functionTypes.end(), items.FunctionTypes.begin());
    std::copy(s.relays.begin(), s.relays.end(), items.RelayMatrix.begin());
    items.Output12vMode = s.output12v;
    items.AesChoice = s.aes;
    return items;
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
        QCOMPARE(b.window.code(0), QStringLiteral("ABCA"));
        QCOMPARE(b.window.code(1), QStringLiteral("CABB"));
        QVERIFY(b.window.Up_Option[1]->isChecked());
        QCOMPARE(b.window.Tempo_Lbl->text(), QStringLiteral("Tempo UGA =  5 min."));
        QCOMPARE(b.progress.ProgressBar1->value(), 35);
        QCOMPARE(b.progress.ProgressBar1->maximum(), 38);
        QVERIFY(!b.progress.isVisible());
        QVERIFY(b.prompts.shown.isEmpty());
        QVERIFY(!b.session.ConfigSaved);
        QVERIFY(b.window.Frm_Cde->isVisibleTo(&b.window));
    }

    void panelWithoutCard()
    {
        TransferBench b;
        b.panel.state.cardFitted = false;
        const PanelConfig before = b.session.config;
        const QString tempoBefore = b.window.Tempo_Lbl->text();
        QVERIFY(receiveConfiguration(b.context));

        QCOMPARE(b.requestsHex(), panelReads());
        QVERIFY(b.prompts.shown.isEmpty());
        QVERIFY(b.window.Up_Option[0]->isChecked());
        QCOMPARE(int(b.session.config.UpCardPresent), 0);
        QCOMPARE(b.session.config.CommandMatrix, before.CommandMatrix);
        QCOMPARE(b.session.config.FunctionTypes, before.FunctionTypes);
        QCOMPARE(b.session.config.AesChoice, before.AesChoice);
        QCOMPARE(b.session.config.UgaTempo, before.UgaTempo);
        QCOMPARE(b.window.Tempo_Lbl->text(), tempoBefore);
        QCOMPARE(b.window.itemsFromControls().AlarmModes, panelItems(b.panel.state).AlarmModes);
    }

    void cardNotOperational_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("state 2: partial read") << 2 << QStringList{QStringLiteral(
            "CARTE UGA/CMSI|La carte UGA/CMSI semble ne pas être opérationnelle, Lecture partielle !")};
        QTest::newRow("state 0: silent") << 0 << QStringList{};
    }
    void cardNotOperational()
    {
        QFETCH(int, state);
        QFETCH(QStringList, messages);
        TransferBench b;
        b.panel.state.cardState = std::uint8_t(state);
        QVERIFY(receiveConfiguration(b.context));
        QCOMPARE(b.requestsHex(), panelReads() << frameHex(5));
        QCOMPARE(b.prompts.messages(), messages);
        QVERIFY(b.window.Up_Option[0]->isChecked());
        QVERIFY(!b.window.Frm_Cde->isVisibleTo(&b.window));
        QVERIFY(!b.window.Frame1->isVisibleTo(&b.window));
        QCOMPARE(int(b.session.config.UpCardPresent), 0);
    }

    void manualModeRefused()
    {
        TransferBench b;
        b.panel.state.manualMode = true;
        const ControlItems before = b.window.itemsFromControls();
        QVERIFY(!receiveConfiguration(b.context));
        QCOMPARE(b.requestsHex(), QStringList{frameHex(20)});
        QCOMPARE(b.prompts.messages(),
                 QStringList{QStringLiteral("ACCES ECS|Le mode de configuration manuelle est engagé, accès PC interdit !")});
        QCOMPARE(b.window.itemsFromControls(), before);
        QVERIFY(!b.progress.isVisible());
    }

    void noPanel()
    {
        TransferBench b;
        b.panel.addFault({Fault::Silence});
        QVERIFY(!receiveConfiguration(b.context));
        QCOMPARE(b.prompts.messages(), QStringList{timeOutMessage()});
        QCOMPARE(b.port->framesWritten().size(), 3);
        QVERIFY(!b.progress.isVisible());
        QVERIFY(!b.session.ConfigSaved);
    }

    void readFailingHalfwayKeepsEditor_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("index");
        QTest::newRow("fourth alarm mode") << 21 << 3;
        QTest::newRow("second relay") << 12 << 1;
        QTest::newRow("function types") << 3 << 2;
        QTest::newRow("AES choice, the last read") << 27 << -1;
    }
    void readFailingHalfwayKeepsEditor()
    {
        QFETCH(int, command);
        QFETCH(int, index);
        TransferBench b;
        b.panel.addFault({Fault::Silence, command, index});
        const ControlItems before = b.window.itemsFromControls();
        QVERIFY(!receiveConfiguration(b.context));
        QCOMPARE(b.window.itemsFromControls(), before);
        QVERIFY(b.window.Up_Option[1]->isChecked());
        // The codes are the exception: the read writes them straight into the boxes.
        QCOMPARE(b.window.code(0), QStringLiteral("ABCA"));
        QCOMPARE(b.prompts.messages(), QStringList{timeOutMessage()});
        QVERIFY(!b.progress.isVisible());
    }

    void portThatFailsStopsAfterMarkingUnsaved()
    {
        TransferBench b;
        b.context.selectPort = [] { return PortOutcome::Failed; };
        QVERIFY(b.session.ConfigSaved);
        QVERIFY(!receiveConfiguration(b.context));
        QVERIFY(!b.session.ConfigSaved);
        QVERIFY(b.panel.requests().isEmpty());
    }

    void cancelledPortSelectionDoesNothing()
    {
        TransferBench b;
        b.context.selectPort = [] { return PortOutcome::Cancelled; };
        QVERIFY(!receiveConfiguration(b.context));
        QVERIFY(b.session.ConfigSaved);
        QVERIFY(b.panel.requests().isEmpty());
    }

    void progressStaysWithinMaximum()
    {
        TransferBench b;
        int highest = 0;
        QObject::connect(b.progress.ProgressBar1, &QProgressBar::valueChanged,
                         [&](int v) { highest = std::max(highest, v); });
        QVERIFY(receiveConfiguration(b.context));
        QVERIFY(highest <= 38);
        QCOMPARE(highest, 35);
    }

    void secondReceiveRefusedWhileOneWaits()
    {
        TransferBench b;
        bool secondResult = true;
        int framesWhenRefused = -1;
        QTimer::singleShot(400, [&] {
            framesWhenRefused = int(b.panel.requests().size());
            secondResult = receiveConfiguration(b.context);
        });
        QVERIFY(receiveConfiguration(b.context));
        QVERIFY(!secondResult);
        QVERIFY(framesWhenRefused > 0);
        QCOMPARE(b.requestsHex(), panelReads() + cardReads());
        QVERIFY(b.prompts.shown.isEmpty());
    }

    void abortDuringReceiveEndsQuietly()
    {
        TransferBench b;
        b.panel.addFault({Fault::Silence, 21, 2});
        int framesAtAbort = -1;
        QTimer::singleShot(1500, [&] {
            framesAtAbort = int(b.port->framesWritten().size());
            b.link.abort();
        });
        QVERIFY(!receiveConfiguration(b.context));
        QVERIFY(framesAtAbort > 0);
        QCOMPARE(int(b.port->framesWritten().size()), framesAtAbort);
        QVERIFY(b.prompts.shown.isEmpty());
        QVERIFY(!b.progress.isVisible());
    }
};

TORVA_TEST(TestReceive)
#include "tst_receive.moc"
