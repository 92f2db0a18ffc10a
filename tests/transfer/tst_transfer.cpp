// The receive and send procedures against the emulated panel: the frames they send, what the
// editor and the progress window show, and where they stop when the panel or the line fails.
#include "support/FakeEditor.h"
#include "support/PanelBench.h"
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "transfer/Transfer.h"

#include <QTest>

#include <functional>

namespace {

// The procedures with the editor and the progress window replaced by recording fakes.
struct ConfigBench : PanelBench
{
    Session session;
    FakeEditor editor;
    FakeProgress progress{link};
    // The port selection opens the emulated line, whose adapter is pulled out right after the
    // wake-up byte when `lineLostAtWakeUp`.
    bool lineLostAtWakeUp = false;
    TransferContext context{link, session, editor, prompts, progress, [this] {
                                if (!link.openPort(PortChoice::simulated()))
                                    return PortOutcome::Failed;
                                if (lineLostAtWakeUp)
                                    port->vanishAfterWrites(1);
                                return PortOutcome::Opened;
                            }};
};

enum class Procedure { Receive, Send };

// What a row does to the panel or the line before the procedure runs.
using Spoil = std::function<void(ConfigBench &)>;

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

} // namespace

class TestTransfer : public QObject
{
    Q_OBJECT

private slots:
    void fullReceiveWithCard()
    {
        ConfigBench b;
        QCOMPARE(receiveConfiguration(b.context), TransferResult::Done);
        // The mode, the panel's identity (2) and its 13 reads, then the card's state, its identity (2)
        // and its 13.
        QCOMPARE(b.requestsHex().size(), 32);
        PanelConfig expected = configOf(b.panel.state);
        expected.UgaTempo = b.panel.state.ugaTempo;
        QCOMPARE(b.editor.showCalls, QList<PanelConfig>{expected});
        QCOMPARE(b.editor.shown.AccessCodes, (std::array<QString, 2>{"ABCA", "CABB"}));
        QCOMPARE(b.editor.cardFrames, std::optional(true));
        QCOMPARE(b.progress.title, QStringLiteral("RECEPTION EN COURS..."));
        QCOMPARE(b.progress.steps,
                 (QStringList{"Lecture mode ECS", "Lecture identité ECS", "Lecture codes d'accès",
                              "Lecture relais programmable", "Lecture mode sortie 12v",
                              "Lecture modes alarme", "Vérification présence Carte UGA/CMSI",
                              "Lecture identité carte UGA/CMSI", "Lecture matrice des commandes",
                              "Lecture type des fonctions", "Lecture tempo UGA", "Lecture choix AES"}));
        QVERIFY(!b.progress.visible);
        QVERIFY(b.prompts.shown.isEmpty());
        QVERIFY(!b.session.ConfigSaved);
    }

    // Without a working card, only the panel's own items are read and shown; the card's items
    // keep what the editor showed. Any state above 1 is a card that does not work.
    void withoutWorkingCard_data()
    {
        QTest::addColumn<bool>("fitted");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QString>("lastFrame");
        QTest::addColumn<QList<Message>>("messages");
        QTest::newRow("no card: six reads, silent") << false << 1 << 16 << frameHex(30) << QList<Message>{};
        QTest::newRow("state 200: partial read")
            << true << 200 << 17 << frameHex(5) << QList<Message>{Msg::partialRead()};
    }
    void withoutWorkingCard()
    {
        QFETCH(bool, fitted);
        QFETCH(int, state);
        QFETCH(int, frames);
        QFETCH(QString, lastFrame);
        QFETCH(QList<Message>, messages);
        ConfigBench b;
        b.panel.state.cardFitted = fitted;
        b.panel.state.cardState = std::uint8_t(state);
        b.editor.shown.UgaTempo = 9;
        // The panel's own items over what the editor showed, the card absent.
        PanelConfig expected = b.editor.shown;
        const PanelConfig panel = configOf(b.panel.state);
        expected.AccessCodes = panel.AccessCodes;
        expected.RelayMatrix = panel.RelayMatrix;
        expected.Output12vMode = panel.Output12vMode;
        expected.AlarmModes = panel.AlarmModes;
        expected.setCardPresent(false);
        QCOMPARE(receiveConfiguration(b.context), TransferResult::Done);
        QCOMPARE(b.requestsHex().size(), frames);
        QCOMPARE(b.requestsHex().last(), lastFrame);
        QCOMPARE(b.prompts.messages(), messages);
        QCOMPARE(b.editor.showCalls, QList<PanelConfig>{expected});
        // A card the panel does not declare is shown absent without touching the frames first.
        QCOMPARE(b.editor.cardFrames, fitted ? std::optional(false) : std::nullopt);
    }

    void fullSendWritesAndVerifiesEveryItem()
    {
        ConfigBench b;
        b.editor.shown = exampleConfiguration();
        QCOMPARE(sendConfiguration(b.context), TransferResult::Done);

        // Nothing else goes out, the UGA tempo in particular.
        const QStringList frames = b.requestsHex();
        // The mode read, the panel's identity, the configuration read before writing (the receive's
        // 29 reads after the panel's identity), then each item written and read back:
        // 1 + 2 + 29 + 2 * (2 + 1 + 8 + 1 + 1 + 8 + 3 + 1).
        QCOMPARE(frames.size(), 82);
        for (const char *example :
             {"01 07 0D 00 81 96 00", "01 06 0F 00 16 00", "01 07 16 07 02 27 00", "01 07 08 02 16 28 00",
              "01 07 09 01 F5 07 01", "01 06 1D 01 25 00", "01 06 1C 01 24 00"})
            QVERIFY2(frames.contains(QString::fromLatin1(example)), example);

        QCOMPARE(configOf(b.panel.state), exampleConfiguration());
        QCOMPARE(b.editor.shown, exampleConfiguration());
        QVERIFY(b.prompts.shown.isEmpty());
        QCOMPARE(b.progress.title, QStringLiteral("EMISSION EN COURS..."));
        QVERIFY(!b.progress.visible);
        QVERIFY(b.session.ConfigSaved); // sending is not saving
    }

    void sendWithoutCardStopsAfterPresence()
    {
        ConfigBench b;
        b.editor.shown.setCardPresent(false);
        QCOMPARE(sendConfiguration(b.context), TransferResult::Done);
        // The mode read, the identity, the 29 reads before writing, 13 writes and their 13 reads;
        // nothing after the presence.
        QCOMPARE(b.requestsHex().size(), 58);
        QCOMPARE(b.requestsHex().last(), frameHex(30));
    }

    // A receive or a send that stops early says why once, sends nothing more, shows nothing and closes the progress window. The code boxes, AAAB and CCCA
    // before, show the panel's codes once a codes read succeeded, and keep the installer's when it
    // failed.
    void stopsEarly_data()
    {
        QTest::addColumn<Procedure>("procedure");
        QTest::addColumn<Spoil>("spoil");
        QTest::addColumn<QString>("lastFrame"); // the last the panel received; empty: none
        QTest::addColumn<Message>("message");
        QTest::addColumn<TransferResult>("result");
        QTest::addColumn<QString>("level2"); // the level-2 code box afterwards
        const Spoil manualMode = [](ConfigBench &b) { b.panel.state.manualMode = true; };
        const Spoil lineLost = [](ConfigBench &b) { b.lineLostAtWakeUp = true; };
        const auto fault = [](Fault kind, int command, int index = -1) -> Spoil {
            return [=](ConfigBench &b) { b.panel.addFault({kind, command, index}); };
        };
        const auto codes = [](const char *level2, const char *level3) -> Spoil {
            return [=](ConfigBench &b) { b.editor.shown.AccessCodes = {level2, level3}; };
        };
        const auto codeByte = [](int position, int byte) -> Spoil {
            return [=](ConfigBench &b) { b.panel.state.codes[std::size_t(position)] = std::uint8_t(byte); };
        };
        const auto silent = Fault::Silence;
        const auto shortReply = Fault::MissingDataByte;
        const auto differs = Fault::ReadBackDiffers;
        using enum Procedure;
        using enum TransferResult;
        const Message timeOut = Msg::timeOut();
        const Message transferError = Msg::transferError();
        const auto row = [](const char *name, Procedure procedure, const Spoil &spoil,
                            const QString &lastFrame, const Message &message, TransferResult result,
                            const char *level2) {
            QTest::newRow(name) << procedure << spoil << lastFrame << message << result << QString(level2);
        };

        row("receive: line lost at the wake-up", Receive, lineLost, QString(), timeOut, NoReply, "AAAB");
        row("receive: codes one byte short", Receive, fault(shortReply, 4), frameHex(4), transferError,
            Refused, "AAAB");
        row("receive: code byte 6 is no letter", Receive, codeByte(2, 6), frameHex(4), transferError, Refused,
            "AAAB");
        row("receive: panel's serial number unanswered", Receive, fault(silent, 16), frameHex(16), timeOut,
            NoReply, "AAAB");
        row("receive: card's version one byte short", Receive, fault(shortReply, 24), frameHex(24),
            transferError, Refused, "ABCA");

        // Codes the panel cannot take are refused before any port is asked for.
        row("send: level 2 of two letters", Send, codes("AB", "CCBA"), QString(), Msg::shortCodes(),
            CodesRefused, "AB");
        row("send: equal codes", Send, codes("ABCA", "ABCA"), QString(), Msg::equalCodes(), CodesRefused,
            "ABCA");
        row("send: manual mode, nothing written", Send, manualMode, frameHex(20), Msg::manualMode(),
            ManualMode, "AAAB");
        row("send: line lost at the wake-up", Send, lineLost, QString(), timeOut, NoReply, "AAAB");
        row("send: third loop mode unanswered", Send, fault(silent, 22, 2), frameHex(22, {2, 0}), timeOut,
            NoReply, "AAAB");
        row("send: second relay read back otherwise", Send, fault(differs, 12, 1), frameHex(12, {1}),
            transferError, VerifyFailed, "AAAB");
        row("send: codes read back otherwise, the panel's shown", Send, fault(differs, 4), frameHex(4),
            transferError, VerifyFailed, "BAAB");
        row("send: codes read back one byte short", Send, fault(shortReply, 4), frameHex(4), transferError,
            Refused, "AAAB");
        row("send: AES, the last item, read back otherwise", Send, fault(differs, 27), frameHex(27),
            transferError, VerifyFailed, "AAAB");
    }
    // A send keeps, before its first write, what the panel held and what it is about to send.
    void sendRecordsThePanelBeforeWriting()
    {
        ConfigBench b;
        PanelConfig held = configOf(b.panel.state);
        held.UgaTempo = b.panel.state.ugaTempo;
        b.editor.shown = exampleConfiguration();
        TransferRecord record;
        b.context.record = &record;
        QCOMPARE(sendConfiguration(b.context), TransferResult::Done);
        QVERIFY(record.reachedPanel);
        QCOMPARE(record.panel, std::optional(held));
        QCOMPARE(record.sent, std::optional(exampleConfiguration()));
        QVERIFY(record.identity);
        QCOMPARE(record.identity->serialNumber, std::optional<QString>(QStringLiteral("020712345")));
        QCOMPARE(record.identity->cardSerialNumber, std::optional<QString>(QStringLiteral("010304321")));
        QCOMPARE(configOf(b.panel.state), exampleConfiguration());
    }

    // When the configuration cannot be read first, nothing is written: the panel keeps what it
    // had, and the installer is told why as a receive would tell.
    void failedReadBeforeWritingWritesNothing_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("command");
        QTest::addColumn<Message>("message");
        QTest::addColumn<TransferResult>("result");
        QTest::newRow("relays unanswered")
            << Fault::Silence << 12 << Msg::timeOut() << TransferResult::NoReply;
        QTest::newRow("function types one byte short")
            << Fault::MissingDataByte << 3 << Msg::transferError() << TransferResult::Refused;
    }
    void failedReadBeforeWritingWritesNothing()
    {
        QFETCH(Fault, fault);
        QFETCH(int, command);
        QFETCH(Message, message);
        ConfigBench b;
        b.panel.addFault({fault, command, -1});
        b.editor.shown = exampleConfiguration();
        const PanelConfig before = configOf(b.panel.state);
        TransferRecord record;
        b.context.record = &record;
        QTEST(sendConfiguration(b.context), "result");
        QCOMPARE(b.prompts.messages(), QList<Message>{message});
        QCOMPARE(configOf(b.panel.state), before);
        for (const QString &frame : b.requestsHex())
            for (int write : {8, 9, 10, 13, 15, 22, 28, 29})
                QVERIFY2(!frame.startsWith(frameHex(write).left(8)), qPrintable(frame));
        QVERIFY(!record.panel);
        QVERIFY(!record.sent);
        QVERIFY(record.reachedPanel);
    }

    // A configuration read on one panel goes to another only when the installer says so; the
    // question's preferred answer is No.
    void otherPanelAskedFirst_data()
    {
        QTest::addColumn<std::optional<QString>>("source");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<TransferResult>("result");
        using enum TransferResult;
        const std::optional<QString> none;
        QTest::newRow("from a file: not asked") << none << false << false << Done;
        QTest::newRow("the same panel: not asked")
            << std::optional<QString>("020712345") << false << false << Done;
        QTest::newRow("another panel, No: nothing written")
            << std::optional<QString>("020700001") << false << true << OtherPanel;
        QTest::newRow("another panel, Yes: written")
            << std::optional<QString>("020700001") << true << true << Done;
    }
    void otherPanelAskedFirst()
    {
        QFETCH(std::optional<QString>, source);
        QFETCH(bool, answer);
        QFETCH(bool, asked);
        QFETCH(TransferResult, result);
        ConfigBench b;
        b.session.SourcePanelSerial = source;
        b.editor.shown = exampleConfiguration();
        b.prompts.yesNoAnswers = {answer};
        const PanelConfig before = configOf(b.panel.state);
        QCOMPARE(sendConfiguration(b.context), result);
        const QList<FakePrompts::Shown> expected =
            asked
                ? QList<FakePrompts::Shown>{{FakePrompts::Shown::Kind::Question,
                                             QStringLiteral(
                                                 "Cette configuration a été lue sur l'ECS N° 020700001 ; "
                                                 "l'ECS raccordé est le N° 020712345 . Envoyer quand même ?"),
                                             QStringLiteral("AUTRE ECS"),
                                             Prompts::Icon::Warning,
                                             {}}}
                : QList<FakePrompts::Shown>{};
        QCOMPARE(b.prompts.shown, expected);
        if (asked)
            QCOMPARE(b.prompts.preferredAnswers, QList<Prompts::Preferred>{Prompts::Preferred::No});
        QCOMPARE(configOf(b.panel.state), result == TransferResult::Done ? exampleConfiguration() : before);
    }

    void stopsEarly()
    {
        QFETCH(Procedure, procedure);
        QFETCH(Spoil, spoil);
        QFETCH(QString, lastFrame);
        QFETCH(Message, message);
        QFETCH(QString, level2);
        ConfigBench b;
        b.editor.shown.AccessCodes = {QStringLiteral("AAAB"), QStringLiteral("CCCA")};
        spoil(b);
        const TransferResult result =
            procedure == Procedure::Receive ? receiveConfiguration(b.context) : sendConfiguration(b.context);
        QTEST(result, "result");
        QCOMPARE(b.requestsHex().value(b.requestsHex().size() - 1), lastFrame);
        QCOMPARE(b.prompts.messages(), QList<Message>{message});
        QVERIFY(b.editor.showCalls.isEmpty());
        QCOMPARE(b.editor.shown.AccessCodes[0], level2);
        QVERIFY(!b.progress.visible);
        // A receive marks the configuration unsaved whatever it read; a send leaves it saved.
        QCOMPARE(b.session.ConfigSaved, procedure == Procedure::Send);
    }
};

TORVA_TEST(TestTransfer)
#include "tst_transfer.moc"
