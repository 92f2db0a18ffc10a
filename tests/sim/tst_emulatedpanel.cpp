#include "SimFrames.h"
#include "support/TestRegistry.h"

#include "sim/EmulatedPanel.h"

#include <QTest>

using SimFrames::bytes;
using SimFrames::frame;

Q_DECLARE_METATYPE(Fault)

class TestEmulatedPanel : public QObject
{
    Q_OBJECT

private slots:
    void answersRequests_data();
    void answersRequests();
    void writeThenReadBack_data();
    void writeThenReadBack();
    void refusals_data();
    void refusals();
    void cardNotFitted_data();
    void cardNotFitted();
    void malformedFramesIgnored_data();
    void malformedFramesIgnored();
    void abandonsFrameCutShort();
    void faultReplies_data();
    void faultReplies();
    void faultRulesMatchAndExpire();
    void writeStoredEvenWhenReplyLost();
    void startsUnlikeConfiguratorDefaults();
    void liveMeasurementsStayNearStoredValues();
};

void TestEmulatedPanel::answersRequests_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    const auto hex = [](const char *h) { return QByteArray::fromHex(h); };
    QTest::newRow("mode, access granted") << hex("0105141a00") << hex("010614001b00");
    QTest::newRow("access codes ABCA CABB") << hex("0105040a00") << hex("010d0403040503050304043100");
    QTest::newRow("relay 2") << hex("01060c011400") << hex("01060c3c4f00");
    QTest::newRow("12 V mode") << hex("01050e1400") << hex("01060e011600");
    QTest::newRow("alarm mode loop 4") << hex("010615031f00") << hex("010615021e00");
    QTest::newRow("card presence") << hex("01051e2400") << hex("01061e012600");
    QTest::newRow("card state") << hex("0105050b00") << hex("010605010d00");
    QTest::newRow("matrix loop 1 complemented") << hex("010602000900") << hex("010602fe0701");
    QTest::newRow("type function 2") << hex("010603010b00") << hex("010603939d00");
    QTest::newRow("UGA tempo") << hex("0105060c00") << hex("010606051200");
    QTest::newRow("AES choice") << hex("01051b2100") << hex("01061b012300");
    QTest::newRow("ECS version") << hex("0105171d00") << hex("01071703002200");
    QTest::newRow("card version") << hex("0105181e00") << hex("01071802012300");
    QTest::newRow("ECS serial") << hex("0105101600") << hex("010810473930c900");
    QTest::newRow("card serial") << hex("0105111700") << hex("01081123e1102e01");
    QTest::newRow("service voltage raw, low first") << hex("010613001a00") << hex("0107138403a200");
    QTest::newRow("load of loop 5") << hex("01071304042300") << hex("010713a802c500");
    QTest::newRow("card AES voltage raw") << hex("010612041d00") << hex("0107127a019500");
    QTest::newRow("relay write acknowledged") << hex("01070d00819600") << hex("01050d1300");
    QTest::newRow("ECS serial write acknowledged") << hex("01081947e8035401") << hex("0105191f00");
    QTest::newRow("unknown command") << frame(7) << QByteArray();
    QTest::newRow("mode with a stray data byte") << frame(20, bytes({0})) << QByteArray();
}

void TestEmulatedPanel::answersRequests()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    EmulatedPanel panel;
    QCOMPARE(panel.receive(request).toHex(' '), reply.toHex(' '));
    QCOMPARE(panel.requests(), QList<QByteArray>{request});
}

void TestEmulatedPanel::writeThenReadBack_data()
{
    QTest::addColumn<QByteArray>("write");
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<QByteArray>("readData");

    QTest::newRow("relay 2") << frame(13, bytes({1, 0x0F})) << frame(12, bytes({1})) << bytes({0x0F});
    QTest::newRow("relay 1 all loops") << frame(13, bytes({0, 0xFF})) << frame(12, bytes({0})) << bytes({0xFF});
    QTest::newRow("12 V permanent") << frame(15, bytes({0})) << frame(14) << bytes({0});
    QTest::newRow("loop 8 double") << frame(22, bytes({7, 2})) << frame(21, bytes({7})) << bytes({2});
    QTest::newRow("loop 1 normal") << frame(22, bytes({0, 0})) << frame(21, bytes({0})) << bytes({0});
    QTest::newRow("access codes") << frame(10, bytes({4, 5, 3, 4, 3, 3, 5, 5})) << frame(4)
                                  << bytes({4, 5, 3, 4, 3, 3, 5, 5});
    QTest::newRow("card absent") << frame(29, bytes({0})) << frame(30) << bytes({0});
    QTest::newRow("matrix 22 reads 233") << frame(8, bytes({2, 22})) << frame(2, bytes({2})) << bytes({233});
    QTest::newRow("matrix 30 reads 225") << frame(8, bytes({7, 30})) << frame(2, bytes({7})) << bytes({225});
    QTest::newRow("matrix 0 reads 255") << frame(8, bytes({4, 0})) << frame(2, bytes({4})) << bytes({255});
    QTest::newRow("type F5 function 2") << frame(9, bytes({1, 0xF5})) << frame(3, bytes({1})) << bytes({0xF5});
    QTest::newRow("AES internal") << frame(28, bytes({0})) << frame(27) << bytes({0});
    QTest::newRow("ECS serial") << frame(25, bytes({71, 232, 3})) << frame(16) << bytes({71, 232, 3});
}

void TestEmulatedPanel::writeThenReadBack()
{
    QFETCH(QByteArray, write);
    QFETCH(QByteArray, read);
    QFETCH(QByteArray, readData);
    EmulatedPanel panel;
    QCOMPARE(panel.receive(write).toHex(' '), frame(write[2]).toHex(' '));
    QCOMPARE(panel.receive(read).toHex(' '), frame(read[2], readData).toHex(' '));
}

void TestEmulatedPanel::refusals_data()
{
    QTest::addColumn<QByteArray>("write");
    QTest::addColumn<bool>("acknowledged");
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<QByteArray>("readData");

    // What the panel holds from the start stays in place.
    QTest::newRow("relay index 2") << frame(13, bytes({2, 0})) << false
                                   << frame(12, bytes({1})) << bytes({0x3C});
    QTest::newRow("loop index 8") << frame(22, bytes({8, 0})) << false
                                  << frame(21, bytes({0})) << bytes({1});
    QTest::newRow("matrix loop index 8") << frame(8, bytes({8, 0})) << false
                                         << frame(2, bytes({0})) << bytes({254});
    QTest::newRow("function index 3") << frame(9, bytes({3, 0})) << false
                                      << frame(3, bytes({2})) << bytes({0x45});
    QTest::newRow("alarm mode 3 not stored") << frame(22, bytes({0, 3})) << true
                                             << frame(21, bytes({0})) << bytes({1});
    QTest::newRow("12 V mode 2 not stored") << frame(15, bytes({2})) << true << frame(14) << bytes({1});
    QTest::newRow("AES 7 not stored") << frame(28, bytes({7})) << true << frame(27) << bytes({1});
    QTest::newRow("presence 2 not stored") << frame(29, bytes({2})) << true << frame(30) << bytes({1});
    QTest::newRow("letter code 6 stores none") << frame(10, bytes({5, 5, 5, 5, 4, 4, 4, 6})) << true
                                               << frame(4) << bytes({3, 4, 5, 3, 5, 3, 4, 4});
    QTest::newRow("codes with seven letters") << frame(10, bytes({5, 5, 5, 5, 4, 4, 4})) << false
                                              << frame(4) << bytes({3, 4, 5, 3, 5, 3, 4, 4});
}

void TestEmulatedPanel::refusals()
{
    QFETCH(QByteArray, write);
    QFETCH(bool, acknowledged);
    QFETCH(QByteArray, read);
    QFETCH(QByteArray, readData);
    EmulatedPanel panel;
    QCOMPARE(panel.receive(write), acknowledged ? frame(write[2]) : QByteArray());
    QCOMPARE(panel.receive(read).toHex(' '), frame(read[2], readData).toHex(' '));
}

void TestEmulatedPanel::cardNotFitted_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("replyData");   // null: no reply

    QTest::newRow("presence reads 0") << frame(30) << bytes({0});
    QTest::newRow("state still answered") << frame(5) << bytes({0});
    QTest::newRow("panel mode answered") << frame(20) << bytes({0});
    QTest::newRow("matrix") << frame(2, bytes({0})) << QByteArray();
    QTest::newRow("types") << frame(3, bytes({0})) << QByteArray();
    QTest::newRow("tempo") << frame(6) << QByteArray();
    QTest::newRow("AES") << frame(27) << QByteArray();
    QTest::newRow("matrix write") << frame(8, bytes({0, 30})) << QByteArray();
    QTest::newRow("type write") << frame(9, bytes({0, 1})) << QByteArray();
    QTest::newRow("AES write") << frame(28, bytes({0})) << QByteArray();
    QTest::newRow("card version") << frame(24) << QByteArray();
    QTest::newRow("card serial") << frame(17) << QByteArray();
    QTest::newRow("card measurement") << frame(18, bytes({2})) << QByteArray();
}

void TestEmulatedPanel::cardNotFitted()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, replyData);
    EmulatedPanel panel;
    panel.state.cardFitted = false;
    panel.state.cardState = 0;
    const PanelState before = panel.state;
    QCOMPARE(panel.receive(request), replyData.isNull() ? QByteArray() : frame(request[2], replyData));
    QCOMPARE(panel.state.commandMatrix, before.commandMatrix);
    QCOMPARE(panel.state.functionTypes, before.functionTypes);
    QCOMPARE(panel.state.aes, before.aes);
}

void TestEmulatedPanel::malformedFramesIgnored_data()
{
    QTest::addColumn<QByteArray>("junk");

    QTest::newRow("bad sum") << QByteArray::fromHex("0105141b00");
    QTest::newRow("check bytes swapped") << QByteArray::fromHex("01061503001f");
    QTest::newRow("length 4") << QByteArray::fromHex("0104141900");
    QTest::newRow("length 15") << QByteArray::fromHex("010f14");
    QTest::newRow("wake-up byte") << QByteArray::fromHex("00");
    QTest::newRow("noise") << QByteArray::fromHex("ff7e0055");
    QTest::newRow("two frames glued wrong") << QByteArray::fromHex("01050114");
}

void TestEmulatedPanel::malformedFramesIgnored()
{
    QFETCH(QByteArray, junk);
    EmulatedPanel panel;
    const QByteArray good = QByteArray::fromHex("0105141a00");
    QByteArray replies = panel.receive(junk);
    // Whatever the junk left behind, the panel is listening again after one good frame at most.
    if (replies.isEmpty())
        replies = panel.receive(good);
    QVERIFY2(replies.isEmpty() || replies == QByteArray::fromHex("010614001b00"), replies.toHex(' '));
    QCOMPARE(panel.receive(good), QByteArray::fromHex("010614001b00"));
    for (const QByteArray &seen : panel.requests())
        QCOMPARE(seen, good);
}

void TestEmulatedPanel::abandonsFrameCutShort()
{
    EmulatedPanel panel;
    QVERIFY(panel.receive(QByteArray::fromHex("010715")).isEmpty());
    QTest::qWait(int(EmulatedPanel::kFrameGap.count()) + 50);
    // Without the pause rule these bytes would complete the stale 7-byte frame.
    QCOMPARE(panel.receive(QByteArray::fromHex("0105141a00")), QByteArray::fromHex("010614001b00"));
}

void TestEmulatedPanel::faultReplies_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    const QByteArray loop4 = frame(21, bytes({3}));   // the panel holds mode 2 for loop 4
    const auto hex = [](const char *h) { return QByteArray::fromHex(h); };
    QTest::newRow("silence") << Fault::Silence << loop4 << QByteArray();
    QTest::newRow("wrong start byte") << Fault::WrongStartByte << loop4 << hex("55010615021e00");
    QTest::newRow("length 14") << Fault::LengthTooLong << loop4 << hex("010e15022600");
    QTest::newRow("length 4") << Fault::LengthTooShort << loop4 << hex("010415021c00");
    QTest::newRow("wrong echo") << Fault::WrongEcho << loop4 << hex("010616021f00");
    QTest::newRow("bad sum") << Fault::BadSum << loop4 << hex("010615021f00");
    QTest::newRow("short reply") << Fault::ShortReply << loop4 << hex("010615021e");
    QTest::newRow("stray bytes before") << Fault::StrayBytesBefore << loop4 << hex("ff007e010615021e00");
    QTest::newRow("one data byte too many") << Fault::WrongDataCount << loop4 << hex("01071502001f00");
    QTest::newRow("acknowledgement with data") << Fault::WrongDataCount << frame(15, bytes({1}))
                                               << hex("01060f001600");
    QTest::newRow("read back differs") << Fault::ReadBackDiffers << loop4 << hex("010615031f00");
    QTest::newRow("matrix not complemented") << Fault::ReadBackDiffers << frame(2, bytes({0}))
                                             << hex("010602010a00");
    QTest::newRow("codes first letter differs") << Fault::ReadBackDiffers << frame(4)
                                                << hex("010d0404040503050304043200");
}

void TestEmulatedPanel::faultReplies()
{
    QFETCH(Fault, fault);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    EmulatedPanel panel;
    panel.addFault({fault});
    QCOMPARE(panel.receive(request).toHex(' '), reply.toHex(' '));
}

void TestEmulatedPanel::faultRulesMatchAndExpire()
{
    EmulatedPanel panel;
    const QByteArray loop4 = frame(21, bytes({3}));
    const QByteArray loop3 = frame(21, bytes({2}));
    const QByteArray goodLoop4 = frame(21, bytes({2}));
    panel.addFault({Fault::Silence, 21, 3, 2});
    panel.addFault({Fault::BadSum, 14});
    panel.addFault({Fault::ReadBackDiffers, -1, -1, 1});

    // A write carries no value, so the read-back rule waits for the next read.
    QCOMPARE(panel.receive(frame(13, bytes({0, 0x81}))), frame(13));
    QCOMPARE(panel.receive(frame(20)), frame(20, bytes({1})));      // read-back rule, used up
    QCOMPARE(panel.receive(frame(20)), frame(20, bytes({0})));
    QCOMPARE(panel.receive(loop3), frame(21, bytes({2})));          // index differs: untouched
    QCOMPARE(panel.receive(loop4), QByteArray());                   // silence 1 of 2
    QCOMPARE(panel.receive(loop4), QByteArray());                   // silence 2 of 2
    QCOMPARE(panel.receive(loop4), goodLoop4);
    QByteArray badSum = frame(14, bytes({1}));
    badSum[4] = char(badSum[4] + 1);
    QCOMPARE(panel.receive(frame(14)), badSum);                     // always
    QCOMPARE(panel.receive(frame(14)), badSum);
    panel.clearFaults();
    QCOMPARE(panel.receive(frame(14)), frame(14, bytes({1})));
}

void TestEmulatedPanel::writeStoredEvenWhenReplyLost()
{
    EmulatedPanel panel;
    panel.addFault({Fault::Silence, 15, -1, 1});
    QVERIFY(panel.receive(frame(15, bytes({0}))).isEmpty());
    // The request reached the panel; only its acknowledgement was lost on the way back.
    QCOMPARE(panel.state.output12v, 0);
    QCOMPARE(panel.receive(frame(15, bytes({0}))), frame(15));
}

void TestEmulatedPanel::startsUnlikeConfiguratorDefaults()
{
    const PanelState s = EmulatedPanel().state;
    for (int i = 0; i < 8; ++i)
        QVERIFY2(s.commandMatrix[i] != 30, qPrintable(QString::number(i)));
    QVERIFY(std::any_of(s.alarmModes.begin(), s.alarmModes.end(), [](auto m) { return m == 1; }));
    for (int i = 0; i < 8; i += 2)   // a double pair is always whole
        QCOMPARE(s.alarmModes[i] == 2, s.alarmModes[i + 1] == 2);
    for (int f = 0; f < 3; ++f)
        QVERIFY(s.functionTypes[f] != 1);
    QVERIFY(s.relays[0] != 0 && s.relays[1] != 0);
    QVERIFY(s.output12v != 0 && s.aes != 0);
    QCOMPARE(s.upCardPresent, 1);
    const std::array<std::uint8_t, 8> defaults{4, 5, 3, 4, 5, 5, 4, 3};   // "BCAB", "CCBA"
    QVERIFY(std::equal(s.codes.begin(), s.codes.begin() + 4, defaults.begin()) == false);
    QVERIFY(std::equal(s.codes.begin() + 4, s.codes.end(), defaults.begin() + 4) == false);
    QVERIFY(std::any_of(s.loopRaw.begin(), s.loopRaw.end(), [](auto r) { return r > 136; }));
}

void TestEmulatedPanel::liveMeasurementsStayNearStoredValues()
{
    EmulatedPanel panel;
    panel.setLive(true);
    for (int k = 0; k < 8; ++k) {
        const QByteArray reply = panel.receive(frame(19, bytes({4, k})));
        QCOMPARE(reply.size(), 7);
        const int raw = std::uint8_t(reply[3]) + 256 * std::uint8_t(reply[4]);
        const int stored = panel.state.loopRaw[k];
        QVERIFY2(raw >= 0 && raw <= 1023 && std::abs(raw - stored) <= std::max(6, stored / 10),
                 qPrintable(QStringLiteral("loop %1: %2 for %3").arg(k).arg(raw).arg(stored)));
    }
    panel.setLive(false);
    QCOMPARE(panel.receive(frame(19, bytes({0}))), frame(19, bytes({0x84, 0x03})));
}

TORVA_TEST(TestEmulatedPanel)
#include "tst_emulatedpanel.moc"
