#include "SimFrames.h"
#include "support/TestRegistry.h"

#include "sim/EmulatedPanel.h"

#include <QTest>

static QByteArray hex(const char *h) { return QByteArray::fromHex(h); }

// What the emulated panel does with what the configurator never sends: commands it does not
// know, indexes and values out of range, malformed frames. The configurator's own commands, and
// the fault rules, go through its tests.
class TestEmulatedPanel : public QObject
{
    Q_OBJECT

private slots:
    void exchanges_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("replies");

        QTest::newRow("unknown command") << frame(7) << QByteArray();

        // Refused: an index out of range goes unanswered, a value the panel cannot hold is
        // acknowledged but not stored; either way the held value stays.
        QTest::newRow("relay index 2") << frame(13, {2, 0}) + frame(12, {1}) << frame(12, {0x3C});
        QTest::newRow("loop index 8") << frame(22, {8, 0}) + frame(21, {0}) << frame(21, {1});
        QTest::newRow("alarm mode 3") << frame(22, {0, 3}) + frame(21, {0}) << frame(22) + frame(21, {1});
        QTest::newRow("letter code 6 stores none") << frame(10, {5, 5, 5, 5, 4, 4, 4, 6}) + frame(4)
                                                   << frame(10) + frame(4, {3, 4, 5, 3, 5, 3, 4, 4});

        // Malformed frames are dropped; the panel listens again from the next start byte.
        const QByteArray mode = frame(20);
        QTest::newRow("bad sum") << hex("0105141b00") + mode << frame(20, {0});
        QTest::newRow("length 4") << hex("0104141900") + mode << frame(20, {0});
        QTest::newRow("wake-up byte and noise") << hex("00ff7e0055") + mode << frame(20, {0});
        QTest::newRow("frame cut short swallows one") << hex("01050114") + mode + mode << frame(20, {0});
    }

    void exchanges()
    {
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, replies);
        QCOMPARE(EmulatedPanel().receive(sent).toHex(' '), replies.toHex(' '));
    }

    void abandonsFrameCutShort()
    {
        EmulatedPanel panel;
        QVERIFY(panel.receive(hex("010715")).isEmpty());
        QTest::qWait(int(EmulatedPanel::kFrameGap.count()) + 50);
        // Without the pause rule these bytes would complete the stale 7-byte frame.
        QCOMPARE(panel.receive(frame(20)), frame(20, {0}));
    }
};

TORVA_TEST(TestEmulatedPanel)
#include "tst_emulatedpanel.moc"
