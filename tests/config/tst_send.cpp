#include "support/TestRegistry.h"
#include "TransferBench.h"

#include <QCheckBox>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>

namespace {

// A configuration of the editor that shows every example frame of the write commands:
// relay 1 on loops 1 and 8, 12 V permanent, loop 8 double (with loop 7), loop 3 temporised
// driving functions 1 and 3, function 2 RSC_UGA with all four option boxes, AES external.
void setExampleConfiguration(MainWindow &w)
{
    w.Check_Alb[0]->setChecked(true);
    w.Check_Alb[7]->setChecked(true);
    w.OptionRearm[1]->setChecked(true);
    w.Mode_Double[7]->setChecked(true);
    w.Option1[3 * 2 + 2]->setChecked(true);
    w.Check_CMSI1[3 * 2 + 0]->setChecked(true);
    w.Check_CMSI1[3 * 2 + 1]->setChecked(false);
    w.Check_CMSI1[3 * 2 + 2]->setChecked(true);
    w.Option_RSC_UGA[1]->setChecked(true);
    w.Check_Hs_Ctc_Aux[1]->setChecked(true);
    w.Check_Tempo[1]->setChecked(true);
    w.Check_Rgp[1]->setChecked(true);
    w.Check_Bp_Actif[1]->setChecked(true);
    w.AES_Option[1]->setChecked(true);
    w.setCode(0, QStringLiteral("ABCA"));
    w.setCode(1, QStringLiteral("CCAB"));
}

// The frames of a complete send of the editor's items, reads of verification included.
QStringList expectedSend(const ControlItems &items, const QString &codes, bool card)
{
    std::initializer_list<int> noData;
    QList<int> letters;
    for (QChar ch : codes)
        letters << 3 + (ch.unicode() - 'A');
    QStringList f{frameHex(20)};
    for (int r = 0; r < 2; ++r)
        f << frameHex(13, {r, items.RelayMatrix[r]});
    f << frameHex(12, {0}) << frameHex(12, {1});
    f << frameHex(15, {items.Output12vMode}) << frameHex(14);
    for (int i = 0; i < 8; ++i)
        f << frameHex(22, {i, items.AlarmModes[i]});
    for (int i = 0; i < 8; ++i)
        f << frameHex(21, {i});
    f << frameHex(10, {letters[0], letters[1], letters[2], letters[3], letters[4], letters[5],
                       letters[6], letters[7]})
      << frameHex(4, noData);
    f << frameHex(29, {card ? 1 : 0}) << frameHex(30);
    if (!card)
        return f;
    for (int i = 0; i < 8; ++i)
        f << frameHex(8, {i, items.CommandMatrix[i]});
    for (int i = 0; i < 8; ++i)
        f << frameHex(2, {i});
    for (int k = 0; k < 3; ++k)
        f << frameHex(9, {k, items.FunctionTypes[k]});
    for (int k = 0; k < 3; ++k)
        f << frameHex(3, {k});
    f << frameHex(28, {items.AesChoice}) << frameHex(27);
    return f;
}

} // namespace

class TestSend : public QObject
{
    Q_OBJECT

private slots:
    void fullSendWritesAndVerifiesEveryItem()
    {
        TransferBench b;
        setExampleConfiguration(b.window);
        const ControlItems items = b.window.itemsFromControls();
        const bool savedBefore = b.session.ConfigSaved;
        QVERIFY(sendConfiguration(b.context));

        // The exact frames: nothing else goes out, the UGA tempo in particular.
        const QStringList frames = b.requestsHex();
        QCOMPARE(frames, expectedSend(items, "ABCACCAB", true));
        for (const char *example : {"01 07 0D 00 81 96 00", "01 06 0F 00 16 00", "01 07 16 07 02 27 00",
                                    "01 07 08 02 16 28 00", "01 07 09 01 F5 07 01", "01 06 1D 01 25 00",
                                    "01 06 1C 01 24 00"})
            QVERIFY2(frames.contains(QString::fromLatin1(example)), example);

        QCOMPARE(panelItems(b.panel.state), items);
        QCOMPARE(b.panel.state.codes, (std::array<std::uint8_t, 8>{3, 4, 5, 3, 5, 5, 3, 4}));

        QVERIFY(b.prompts.shown.isEmpty());
        QVERIFY(!b.progress.isVisible());
        QVERIFY(b.progress.ProgressBar1->value() <= b.progress.ProgressBar1->maximum());
        QCOMPARE(b.progress.ProgressBar1->maximum(), 42);
        QCOMPARE(b.session.ConfigSaved, savedBefore);   // sending is not saving
    }

    void withoutCardStopsAfterPresence()
    {
        TransferBench b;
        b.window.Up_Option[0]->setChecked(true);
        const ControlItems items = b.window.itemsFromControls();
        QVERIFY(sendConfiguration(b.context));
        // The mode read, 13 writes and 5 verification reads; nothing after the presence.
        QCOMPARE(b.requestsHex(), expectedSend(items, "BCABCCBA", false));
        QVERIFY(b.prompts.shown.isEmpty());
    }

    void verificationDifferenceStops_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("lastWrite");   // the command of the last write that went out
        QTest::newRow("fifth loop mode") << 21 << 4 << 22;
        QTest::newRow("second relay") << 12 << 1 << 13;
        QTest::newRow("codes") << 4 << -1 << 10;
        QTest::newRow("matrix of loop 8") << 2 << 7 << 8;
        QTest::newRow("AES") << 27 << -1 << 28;
    }
    void verificationDifferenceStops()
    {
        QFETCH(int, command);
        QFETCH(int, index);
        QFETCH(int, lastWrite);
        TransferBench b;
        bool progressShownAtMessage = true;
        b.panel.addFault({Fault::ReadBackDiffers, command, index});
        b.prompts.onShown = [&](const FakePrompts::Shown &) { progressShownAtMessage = b.progress.isVisible(); };
        const ControlItems items = b.window.itemsFromControls();
        QVERIFY(!sendConfiguration(b.context));
        QCOMPARE(b.prompts.messages(), QList<Message>{Msg::transferError()});
        QVERIFY(!progressShownAtMessage);
        const QList<QByteArray> requests = b.panel.requests();
        int lastWriteSeen = -1;
        for (const QByteArray &f : requests)
            if (QList<int>{13, 15, 22, 10, 29, 8, 9, 28}.contains(quint8(f[2])))
                lastWriteSeen = quint8(f[2]);
        QCOMPARE(lastWriteSeen, lastWrite);
        // Nothing is written after the failing item, and what came before stays written.
        QCOMPARE(b.panel.state.relays[0], items.RelayMatrix[0]);
    }

    // A write without reply, a panel that refuses the PC or a line lost before the first command
    // ends with that one message, and nothing more is sent.
    void stopsWithoutWriting_data()
    {
        QTest::addColumn<bool>("manual");
        QTest::addColumn<FaultRule>("fault");
        QTest::addColumn<QString>("lastFrame");   // empty: nothing reached the panel
        QTest::addColumn<Message>("message");
        const FaultRule thirdMode{Fault::Silence, 22, 2};
        QTest::newRow("third loop mode unanswered") << false << thirdMode << frameHex(22, {2, 0}) << Msg::timeOut();
        QTest::newRow("manual mode: no write") << true << thirdMode << frameHex(20) << Msg::manualMode();
        QTest::newRow("mode read without its data byte")
            << false << FaultRule{Fault::MissingDataByte, 20} << frameHex(20) << Msg::transferError();
        QTest::newRow("port lost during the wake-up") << false << thirdMode << QString() << Msg::timeOut();
    }
    void stopsWithoutWriting()
    {
        QFETCH(bool, manual);
        QFETCH(FaultRule, fault);
        QFETCH(QString, lastFrame);
        QFETCH(Message, message);
        TransferBench b;
        b.panel.state.manualMode = manual;
        b.panel.addFault(fault);
        if (lastFrame.isEmpty()) {
            b.context.selectPort = [&b] {
                const bool opened = b.link.openPort(PortChoice::simulated());
                b.port->vanishAfterWrites(1);   // the wake-up byte goes, then the adapter
                return opened ? PortOutcome::Opened : PortOutcome::Failed;
            };
        }
        QVERIFY(!sendConfiguration(b.context));
        QCOMPARE(b.prompts.messages(), QList<Message>{message});
        QCOMPARE(b.requestsHex().value(b.requestsHex().size() - 1), lastFrame);
        QVERIFY(!b.progress.isVisible());
    }

    void codesRefusedBeforePort_data()
    {
        QTest::addColumn<QString>("level2");
        QTest::addColumn<QString>("level3");
        QTest::addColumn<Message>("message");
        QTest::newRow("two letters") << "AB" << "CCBA" << Msg::shortCodes();
        QTest::newRow("empty level 3") << "BCAB" << "" << Msg::shortCodes();
        QTest::newRow("equal codes") << "ABCA" << "ABCA" << Msg::equalCodes();
    }
    void codesRefusedBeforePort()
    {
        QFETCH(QString, level2);
        QFETCH(QString, level3);
        QFETCH(Message, message);
        TransferBench b;
        b.window.setCode(0, level2);
        b.window.setCode(1, level3);
        QVERIFY(!sendConfiguration(b.context));
        QCOMPARE(b.prompts.messages(), QList<Message>{message});
        QCOMPARE(b.portSelections, 0);
        QVERIFY(b.panel.requests().isEmpty());
    }

    void failedCodesReadKeepsInstallersCodes()
    {
        TransferBench b;
        b.window.setCode(0, QStringLiteral("AAAB"));
        b.window.setCode(1, QStringLiteral("CCCA"));
        b.panel.addFault({Fault::MissingDataByte, 4});
        QVERIFY(!sendConfiguration(b.context));
        QCOMPARE(b.prompts.messages(), QList<Message>{Msg::transferError()});
        QCOMPARE(b.window.code(0), QStringLiteral("AAAB"));
        QCOMPARE(b.window.code(1), QStringLiteral("CCCA"));
    }
};

TORVA_TEST(TestSend)
#include "tst_send.moc"
