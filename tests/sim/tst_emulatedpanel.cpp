#include "SimFrames.h"
#include "support/TestRegistry.h"

#include "sim/EmulatedPanel.h"

#include <QTest>

Q_DECLARE_METATYPE(Fault)

static QByteArray hex(const char *h) { return QByteArray::fromHex(h); }

class TestEmulatedPanel : public QObject
{
    Q_OBJECT

private slots:
    // The bytes sent, frame after frame, and the replies the configurator's own reads cannot show:
    // requests it never sends, values it never writes, malformed frames; and the matrix, the AES
    // choice and the serial number read back as stored.
    void exchanges_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("replies");

        QTest::newRow("unknown command") << frame(7) << QByteArray();
        QTest::newRow("mode with a stray data byte") << frame(20, {0}) << QByteArray();

        // A write is acknowledged without data, then read back.
        QTest::newRow("matrix 22 reads 233")
            << frame(8, {2, 22}) + frame(2, {2}) << frame(8) + frame(2, {233});
        QTest::newRow("AES internal") << frame(28, {0}) + frame(27) << frame(28) + frame(27, {0});
        QTest::newRow("ECS serial") << frame(25, {71, 232, 3}) + frame(16)
                                    << frame(25) + frame(16, {71, 232, 3});

        // Refused: an index out of range goes unanswered, a value the panel cannot hold is
        // acknowledged but not stored; either way the held value stays.
        QTest::newRow("relay index 2") << frame(13, {2, 0}) + frame(12, {1}) << frame(12, {0x3C});
        QTest::newRow("loop index 8") << frame(22, {8, 0}) + frame(21, {0}) << frame(21, {1});
        QTest::newRow("matrix loop index 8") << frame(8, {8, 0}) + frame(2, {0}) << frame(2, {254});
        QTest::newRow("function index 3") << frame(9, {3, 0}) + frame(3, {2}) << frame(3, {0x45});
        QTest::newRow("alarm mode 3") << frame(22, {0, 3}) + frame(21, {0}) << frame(22) + frame(21, {1});
        QTest::newRow("AES choice 7") << frame(28, {7}) + frame(27) << frame(28) + frame(27, {1});
        QTest::newRow("letter code 6 stores none") << frame(10, {5, 5, 5, 5, 4, 4, 4, 6}) + frame(4)
                                                   << frame(10) + frame(4, {3, 4, 5, 3, 5, 3, 4, 4});
        QTest::newRow("seven letters") << frame(10, {5, 5, 5, 5, 4, 4, 4}) << QByteArray();

        // Malformed frames are dropped; the panel listens again from the next start byte.
        const QByteArray mode = frame(20);
        QTest::newRow("bad sum") << hex("0105141b00") + mode << frame(20, {0});
        QTest::newRow("check bytes swapped") << hex("01061503001f") + mode << frame(20, {0});
        QTest::newRow("length 4") << hex("0104141900") + mode << frame(20, {0});
        QTest::newRow("length 15") << hex("010f14") + mode << frame(20, {0});
        QTest::newRow("wake-up byte and noise") << hex("00ff7e0055") + mode << frame(20, {0});
        QTest::newRow("frame cut short swallows one") << hex("01050114") + mode + mode << frame(20, {0});
    }

    void exchanges()
    {
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, replies);
        QCOMPARE(EmulatedPanel().receive(sent).toHex(' '), replies.toHex(' '));
    }

    // No UP card: the panel's own commands are answered, the card's go unanswered and store nothing.
    void withoutCard()
    {
        EmulatedPanel panel;
        panel.state.cardFitted = false;
        panel.state.cardState = 0;
        const PanelState before = panel.state;
        QCOMPARE(panel.receive(frame(30) + frame(5) + frame(20)),
                 frame(30, {0}) + frame(5, {0}) + frame(20, {0}));
        for (const QByteArray &request :
             {frame(2, {0}), frame(3, {0}), frame(6), frame(27), frame(8, {0, 30}), frame(9, {0, 1}),
              frame(28, {0}), frame(24), frame(17), frame(18, {2})})
            QVERIFY2(panel.receive(request).isEmpty(), request.toHex(' '));
        QVERIFY(panel.state.commandMatrix == before.commandMatrix);
        QVERIFY(panel.state.functionTypes == before.functionTypes && panel.state.aes == before.aes);
    }

    void abandonsFrameCutShort()
    {
        EmulatedPanel panel;
        QVERIFY(panel.receive(hex("010715")).isEmpty());
        QTest::qWait(int(EmulatedPanel::kFrameGap.count()) + 50);
        // Without the pause rule these bytes would complete the stale 7-byte frame.
        QCOMPARE(panel.receive(frame(20)), frame(20, {0}));
    }

    void faultReplies_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply");

        const QByteArray loop4 = frame(21, {3}); // the panel holds mode 2 for loop 4
        QTest::newRow("silence") << Fault::Silence << loop4 << QByteArray();
        QTest::newRow("wrong start byte") << Fault::WrongStartByte << loop4 << hex("55010615021e00");
        QTest::newRow("length 14") << Fault::LengthTooLong << loop4 << hex("010e15022600");
        QTest::newRow("length 4") << Fault::LengthTooShort << loop4 << hex("010415021c00");
        QTest::newRow("wrong echo") << Fault::WrongEcho << loop4 << hex("010616021f00");
        QTest::newRow("bad sum") << Fault::BadSum << loop4 << hex("010615021f00");
        QTest::newRow("short reply") << Fault::ShortReply << loop4 << hex("010615021e");
        QTest::newRow("stray bytes before") << Fault::StrayBytesBefore << loop4 << hex("ff007e010615021e00");
        QTest::newRow("one data byte too many") << Fault::WrongDataCount << loop4 << hex("01071502001f00");
        QTest::newRow("acknowledgement with data")
            << Fault::WrongDataCount << frame(15, {1}) << hex("01060f001600");
        QTest::newRow("data byte missing") << Fault::MissingDataByte << loop4 << hex("0105151b00");
        QTest::newRow("read back differs") << Fault::ReadBackDiffers << loop4 << hex("010615031f00");
        QTest::newRow("matrix not complemented")
            << Fault::ReadBackDiffers << frame(2, {0}) << hex("010602010a00");
        QTest::newRow("codes first letter differs")
            << Fault::ReadBackDiffers << frame(4) << hex("010d0404040503050304043200");
    }

    void faultReplies()
    {
        QFETCH(Fault, fault);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        EmulatedPanel panel;
        panel.addFault({fault});
        QCOMPARE(panel.receive(request).toHex(' '), reply.toHex(' '));
    }

    // Rules match their command and index, spoil as many replies as asked, and a silenced write
    // is still stored: only its acknowledgement is lost.
    void faultRulesMatchAndExpire()
    {
        EmulatedPanel panel;
        panel.addFault({Fault::Silence, 21, 3, 2});
        panel.addFault({Fault::BadSum, 14});
        panel.addFault({Fault::ReadBackDiffers, -1, -1, 1});
        panel.addFault({Fault::Silence, 15, -1, 1});

        QCOMPARE(panel.receive(frame(13, {0, 0x81})), frame(13)); // no value: the read-back rule waits
        QCOMPARE(panel.receive(frame(20) + frame(20)), frame(20, {1}) + frame(20, {0}));
        QCOMPARE(panel.receive(frame(21, {2})), frame(21, {2}));
        QCOMPARE(panel.receive(frame(21, {3}) + frame(21, {3}) + frame(21, {3})), frame(21, {2}));
        QByteArray badSum = frame(14, {1});
        badSum[4] = char(badSum[4] + 1);
        QCOMPARE(panel.receive(frame(14) + frame(14)), badSum + badSum);
        QCOMPARE(panel.receive(frame(15, {0}) + frame(15, {0})), frame(15));
        panel.clearFaults();
        QCOMPARE(panel.receive(frame(14)), frame(14, {0}));
    }

    // The measurements of the "ECS simulée" choice drift, but stay near what the panel holds.
    void liveMeasurementsStayNearStoredValues()
    {
        EmulatedPanel panel;
        panel.setLive(true);
        for (int k = 0; k < 8; ++k) {
            const QByteArray reply = panel.receive(frame(19, {4, k}));
            QCOMPARE(reply.size(), 7);
            const int raw = std::uint8_t(reply.at(3)) + 256 * std::uint8_t(reply.at(4));
            const int stored = panel.state.loopRaw[k];
            QVERIFY2(raw <= 1023 && std::abs(raw - stored) <= std::max(6, stored / 10), reply.toHex(' '));
        }
        panel.setLive(false);
        QCOMPARE(panel.receive(frame(19, {0})), frame(19, {0x84, 0x03}));
    }
};

TORVA_TEST(TestEmulatedPanel)
#include "tst_emulatedpanel.moc"
