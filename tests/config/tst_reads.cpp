#include "support/TestRegistry.h"
#include "TransferBench.h"

#include "config/Reads.h"

#include <QTest>

class TestReads : public QObject
{
    Q_OBJECT

private slots:
    void panelMode_data()
    {
        QTest::addColumn<int>("answer");   // -1: no reply, -2: a reply without its data byte
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("messages");
        QTest::newRow("0 grants access") << 0 << 0 << 0;
        QTest::newRow("1 is manual mode") << 1 << 1 << 0;
        QTest::newRow("2 grants access") << 2 << 0 << 0;
        QTest::newRow("255 grants access") << 255 << 0 << 0;
        QTest::newRow("no reply") << -1 << 2 << 1;
        QTest::newRow("wrong length, silently") << -2 << 2 << 0;
    }
    void panelMode()
    {
        QFETCH(int, answer);
        QFETCH(int, mode);
        QFETCH(int, messages);
        TransferBench b;
        if (answer >= 0)
            b.panel.state.modeByte = std::uint8_t(answer);
        else
            b.panel.addFault({answer == -1 ? Fault::Silence : Fault::MissingDataByte, 20});
        QVERIFY(b.start());
        QCOMPARE(int(Reads::panelMode(b.link)), mode);
        QCOMPARE(b.prompts.messages().size(), messages);
    }

    void matrixStoredAsComplement_data()
    {
        QTest::addColumn<int>("held");   // what the panel holds for loop 2; it answers 255 - held
        QTest::newRow("30 travels as 225") << 30;
        QTest::newRow("0 travels as 255") << 0;
        QTest::newRow("255 travels as 0") << 255;
    }
    void matrixStoredAsComplement()
    {
        QFETCH(int, held);
        TransferBench b;
        b.panel.state.commandMatrix[1] = std::uint8_t(held);
        QVERIFY(b.start());
        QVERIFY(Reads::commandMatrix(b.link, b.session.config));
        QCOMPARE(int(b.session.config.CommandMatrix[1]), held);
        QCOMPARE(b.requestsHex().at(1), frameHex(2, {1}));
    }

    // The boxes hold "ABAB" and "BABA" before the read.
    void accessCodes_data()
    {
        QTest::addColumn<QByteArray>("panelCodes");
        QTest::addColumn<std::optional<Fault>>("fault");
        QTest::addColumn<QString>("codes");   // the two boxes afterwards
        QTest::addColumn<bool>("ok");
        const QByteArray good("\x03\x04\x05\x03\x05\x05\x04\x03", 8);
        const std::optional<Fault> none;
        QTest::newRow("letters by position") << good << none << "ABCA CCBA" << true;
        QTest::newRow("no reply: delivery codes") << good << std::optional(Fault::Silence) << "BCAB CCBA" << false;
        QTest::newRow("seven bytes: boxes kept") << good << std::optional(Fault::MissingDataByte) << "ABAB BABA" << false;
        QTest::newRow("byte 6 is no letter: boxes kept") << QByteArray("\x03\x04\x06\x03\x05\x05\x04\x03", 8)
                                                          << none << "ABAB BABA" << false;
        QTest::newRow("byte 0 is no letter: boxes kept") << QByteArray("\x03\x04\x05\x03\x05\x05\x04\x00", 8)
                                                          << none << "ABAB BABA" << false;
    }
    void accessCodes()
    {
        QFETCH(QByteArray, panelCodes);
        QFETCH(std::optional<Fault>, fault);
        QFETCH(QString, codes);
        QFETCH(bool, ok);
        TransferBench b;
        b.window.setCode(0, QStringLiteral("ABAB"));
        b.window.setCode(1, QStringLiteral("BABA"));
        std::copy(panelCodes.begin(), panelCodes.end(), b.panel.state.codes.begin());
        if (fault)
            b.panel.addFault({*fault, 4});
        QVERIFY(b.start());
        QCOMPARE(Reads::accessCodes(b.link, b.window), ok);
        QCOMPARE(b.window.code(0) + ' ' + b.window.code(1), codes);
        QCOMPARE(b.prompts.messages(), fault == Fault::Silence ? QList<Message>{Msg::timeOut()} : QList<Message>{});
    }

    void alarmModesStopAtMissingReply()
    {
        TransferBench b;
        b.panel.state.alarmModes = {1, 2, 1, 1, 1, 1, 1, 1};
        b.panel.addFault({Fault::Silence, 21, 3});
        QVERIFY(b.start());
        QVERIFY(!Reads::alarmModes(b.link, b.session.config));
        const std::array<std::uint8_t, 9> expected{1, 2, 1, 0, 0, 0, 0, 0, 0};
        QCOMPARE(b.session.config.AlarmModes, expected);
        QCOMPARE(b.prompts.messages(), QList<Message>{Msg::timeOut()});
    }

    void cardState_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("status");
        QTest::newRow("absent") << 0 << 0;
        QTest::newRow("operational") << 1 << 1;
        QTest::newRow("2 is not operational") << 2 << 2;
        QTest::newRow("200 is not operational") << 200 << 2;
    }
    void cardState()
    {
        QFETCH(int, answer);
        QFETCH(int, status);
        TransferBench b;
        b.panel.state.cardState = std::uint8_t(answer);
        QVERIFY(b.start());
        QVERIFY(Reads::upCardState(b.link, b.session));
        QCOMPARE(int(b.session.UpCardStatus), status);
    }
};

TORVA_TEST(TestReads)
#include "tst_reads.moc"
