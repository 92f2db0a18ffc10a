#include "ConfigBench.h"
#include "support/TestRegistry.h"

#include <QTest>

Q_DECLARE_METATYPE(TransferResult)

namespace {

// A configuration that shows every example frame of the write commands: relay 1 on loops 1 and 8,
// 12 V permanent, loop 8 double (with loop 7), loop 3 temporised driving functions 1 and 3,
// function 2 RSC_UGA with all four option boxes, AES external.
PanelConfig exampleConfiguration()
{
    PanelConfig c;
    c.setRelayFollows(0, 0, true);
    c.setRelayFollows(0, 7, true);
    c.setAlarmMode(6, AlarmMode::Double);
    c.setAlarmMode(7, AlarmMode::Double);
    c.setUgaCommand(2, UgaCommand::Temporised);
    c.setDrivesFunction(2, 1, false);
    c.setFunctionType(1, FunctionType::RSC_UGA);
    for (FunctionFlag flag : kFunctionFlags)
        c.setFunctionFlag(1, flag, true);
    c.setAes(Aes::External);
    c.AccessCodes = {QStringLiteral("ABCA"), QStringLiteral("CCAB")};
    return c;
}

// The frames of a complete send, reads of verification included.
QStringList expectedSend(const PanelConfig &c)
{
    QList<int> letters;
    for (const QString &code : c.AccessCodes)
        for (QChar ch : code)
            letters << 3 + (ch.unicode() - 'A');
    QStringList f{frameHex(20)};
    for (int r = 0; r < 2; ++r)
        f << frameHex(13, {r, c.RelayMatrix[r]});
    f << frameHex(12, {0}) << frameHex(12, {1});
    f << frameHex(15, {c.Output12vMode}) << frameHex(14);
    for (int i = 0; i < 8; ++i)
        f << frameHex(22, {i, c.AlarmModes[i]});
    for (int i = 0; i < 8; ++i)
        f << frameHex(21, {i});
    f << frameHex(10, {letters[0], letters[1], letters[2], letters[3], letters[4], letters[5], letters[6],
                       letters[7]})
      << frameHex(4);
    f << frameHex(29, {c.UpCardPresent}) << frameHex(30);
    if (!c.cardPresent())
        return f;
    for (int i = 0; i < 8; ++i)
        f << frameHex(8, {i, c.CommandMatrix[i]});
    for (int i = 0; i < 8; ++i)
        f << frameHex(2, {i});
    for (int k = 0; k < 3; ++k)
        f << frameHex(9, {k, c.FunctionTypes[k]});
    for (int k = 0; k < 3; ++k)
        f << frameHex(3, {k});
    f << frameHex(28, {c.AesChoice}) << frameHex(27);
    return f;
}

} // namespace

class TestSend : public QObject
{
    Q_OBJECT

private slots:
    void fullSendWritesAndVerifiesEveryItem()
    {
        ConfigBench b;
        b.editor.shown = exampleConfiguration();
        QCOMPARE(sendConfiguration(b.context), TransferResult::Done);

        // The exact frames: nothing else goes out, the UGA tempo in particular.
        const QStringList frames = b.requestsHex();
        QCOMPARE(frames, expectedSend(b.editor.shown));
        for (const char *example :
             {"01 07 0D 00 81 96 00", "01 06 0F 00 16 00", "01 07 16 07 02 27 00", "01 07 08 02 16 28 00",
              "01 07 09 01 F5 07 01", "01 06 1D 01 25 00", "01 06 1C 01 24 00"})
            QVERIFY2(frames.contains(QString::fromLatin1(example)), example);

        QCOMPARE(configOf(b.panel.state), exampleConfiguration());
        QCOMPARE(b.editor.shown, exampleConfiguration());
        QVERIFY(b.prompts.shown.isEmpty());
        QCOMPARE(b.progress.title, QStringLiteral("EMISSION EN COURS..."));
        QCOMPARE(b.progress.steps.mid(0, 3), (QStringList{"Lecture mode ECS", "Ecriture Relais programmables",
                                                          "Vérification Relais programmables"}));
        QCOMPARE(b.progress.steps.size(), 1 + 2 * 8);
        QVERIFY(!b.progress.visible);
        QCOMPARE(b.progress.maximum, 42);
        QVERIFY(b.session.ConfigSaved); // sending is not saving
    }

    void withoutCardStopsAfterPresence()
    {
        ConfigBench b;
        b.editor.shown.setCardPresent(false);
        QCOMPARE(sendConfiguration(b.context), TransferResult::Done);
        // The mode read, 13 writes and 5 verification reads; nothing after the presence.
        QCOMPARE(b.requestsHex(), expectedSend(b.editor.shown));
        QVERIFY(b.prompts.shown.isEmpty());
    }

    void verificationDifferenceStops_data()
    {
        QTest::addColumn<PanelCommand>("read");
        QTest::addColumn<int>("index");
        QTest::addColumn<PanelCommand>("lastWrite");
        QTest::newRow("fifth loop mode") << PanelCommand::AlarmMode << 4 << PanelCommand::WriteAlarmMode;
        QTest::newRow("second relay") << PanelCommand::Relay << 1 << PanelCommand::WriteRelay;
        QTest::newRow("codes") << PanelCommand::AccessCodes << -1 << PanelCommand::WriteAccessCodes;
        QTest::newRow("matrix of loop 8")
            << PanelCommand::CommandMatrix << 7 << PanelCommand::WriteCommandMatrix;
        QTest::newRow("AES") << PanelCommand::AesChoice << -1 << PanelCommand::WriteAesChoice;
    }
    void verificationDifferenceStops()
    {
        QFETCH(PanelCommand, read);
        QFETCH(int, index);
        QFETCH(PanelCommand, lastWrite);
        ConfigBench b;
        b.editor.shown = exampleConfiguration();
        bool progressShownAtMessage = true;
        b.panel.addFault({Fault::ReadBackDiffers, int(read), index});
        b.prompts.onShown = [&](const FakePrompts::Shown &) { progressShownAtMessage = b.progress.visible; };
        QCOMPARE(sendConfiguration(b.context), TransferResult::VerifyFailed);
        QCOMPARE(b.prompts.messages(), QList<Message>{Msg::transferError()});
        QVERIFY(!progressShownAtMessage);
        int lastWriteSeen = -1;
        for (const QByteArray &f : b.panel.requests())
            if (QList<int>{13, 15, 22, 10, 29, 8, 9, 28}.contains(quint8(f[2])))
                lastWriteSeen = quint8(f[2]);
        QCOMPARE(lastWriteSeen, int(lastWrite));
        // Nothing is written after the failing item, and what came before stays written.
        QCOMPARE(b.panel.state.relays[0], exampleConfiguration().RelayMatrix[0]);
    }

    // A write or a verification read without reply, a panel that refuses the PC or a line lost
    // before the first command ends with that one message, and nothing more is sent.
    void stopsWithoutWriting_data()
    {
        QTest::addColumn<bool>("manual");
        QTest::addColumn<FaultRule>("fault");
        QTest::addColumn<QString>("lastFrame"); // empty: nothing reached the panel
        QTest::addColumn<Message>("message");
        QTest::addColumn<TransferResult>("result");
        const FaultRule thirdMode{Fault::Silence, 22, 2};
        QTest::newRow("third loop mode unanswered")
            << false << thirdMode << frameHex(22, {2, 0}) << Msg::timeOut() << TransferResult::NoReply;
        QTest::newRow("second relay read back unanswered")
            << false << FaultRule{Fault::Silence, 12, 1} << frameHex(12, {1}) << Msg::timeOut()
            << TransferResult::NoReply;
        QTest::newRow("manual mode: no write")
            << true << thirdMode << frameHex(20) << Msg::manualMode() << TransferResult::ManualMode;
        QTest::newRow("mode read without its data byte")
            << false << FaultRule{Fault::MissingDataByte, 20} << frameHex(20) << Msg::transferError()
            << TransferResult::Refused;
        QTest::newRow("port lost during the wake-up")
            << false << thirdMode << QString() << Msg::timeOut() << TransferResult::NoReply;
    }
    void stopsWithoutWriting()
    {
        QFETCH(bool, manual);
        QFETCH(FaultRule, fault);
        QFETCH(QString, lastFrame);
        QFETCH(Message, message);
        QFETCH(TransferResult, result);
        ConfigBench b;
        b.panel.state.manualMode = manual;
        b.panel.addFault(fault);
        if (lastFrame.isEmpty())
            b.loseLineAtWakeUp();
        QCOMPARE(sendConfiguration(b.context), result);
        QCOMPARE(b.prompts.messages(), QList<Message>{message});
        QCOMPARE(b.requestsHex().value(b.requestsHex().size() - 1), lastFrame);
        QVERIFY(!b.progress.visible);
    }

    void codesRefusedBeforePort_data()
    {
        QTest::addColumn<QString>("level2");
        QTest::addColumn<QString>("level3");
        QTest::addColumn<Message>("message");
        QTest::newRow("two letters") << "AB"
                                     << "CCBA" << Msg::shortCodes();
        QTest::newRow("empty level 3") << "BCAB"
                                       << "" << Msg::shortCodes();
        QTest::newRow("a letter D") << "BCAD"
                                    << "CCBA" << Msg::shortCodes();
        QTest::newRow("equal codes") << "ABCA"
                                     << "ABCA" << Msg::equalCodes();
    }
    void codesRefusedBeforePort()
    {
        QFETCH(QString, level2);
        QFETCH(QString, level3);
        QFETCH(Message, message);
        ConfigBench b;
        b.editor.shown.AccessCodes = {level2, level3};
        QCOMPARE(sendConfiguration(b.context), TransferResult::CodesRefused);
        QCOMPARE(b.prompts.messages(), QList<Message>{message});
        QCOMPARE(b.portSelections, 0);
        QVERIFY(b.panel.requests().isEmpty());
    }

    // A codes read that fails during the verification leaves the installer's codes in the boxes;
    // a reply that cannot be used is a transfer error, not an item read back otherwise.
    void failedCodesReadKeepsInstallersCodes()
    {
        ConfigBench b;
        b.editor.shown.AccessCodes = {QStringLiteral("AAAB"), QStringLiteral("CCCA")};
        b.panel.addFault({Fault::MissingDataByte, 4});
        QCOMPARE(sendConfiguration(b.context), TransferResult::Refused);
        QCOMPARE(b.prompts.messages(), QList<Message>{Msg::transferError()});
        QCOMPARE(b.editor.shown.AccessCodes, (std::array<QString, 2>{"AAAB", "CCCA"}));
    }
};

TORVA_TEST(TestSend)
#include "tst_send.moc"
