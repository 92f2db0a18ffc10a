#include "support/TestRegistry.h"
#include "TransferBench.h"

#include "config/Reads.h"

#include <QTest>

class TestReads : public QObject
{
    Q_OBJECT

private slots:
    void matrixStoredAsComplement_data()
    {
        QTest::addColumn<int>("held");      // what the panel holds for loop 2
        QTest::addColumn<int>("stored");    // what the record keeps
        QTest::newRow("default 30 travels as 225") << 30 << 30;
        QTest::newRow("0 travels as 255") << 0 << 0;
        QTest::newRow("255 travels as 0") << 255 << 255;
        QTest::newRow("immediate, function 2") << 9 << 9;
    }
    void matrixStoredAsComplement()
    {
        QFETCH(int, held);
        QFETCH(int, stored);
        TransferBench b;
        b.panel.state.commandMatrix[1] = std::uint8_t(held);
        QVERIFY(b.link.openPort(PortChoice::simulated()) && b.link.wakeUp());
        QVERIFY(Reads::commandMatrix(b.link, b.session.config));
        QCOMPARE(int(b.session.config.CommandMatrix[1]), stored);
        QCOMPARE(b.panel.requests().at(1).toHex(' ').toUpper(), frameHex(2, {1}).toLatin1());
    }

    void accessCodes_data()
    {
        QTest::addColumn<QByteArray>("panelCodes");
        QTest::addColumn<QString>("level2");
        QTest::addColumn<QString>("level3");
        QTest::addColumn<bool>("ok");
        QTest::newRow("letters by position") << QByteArray("\x03\x04\x05\x03\x05\x05\x04\x03", 8)
                                             << "ABCA" << "CCBA" << true;
        QTest::newRow("all A then all C") << QByteArray("\x03\x03\x03\x03\x05\x05\x05\x05", 8)
                                          << "AAAA" << "CCCC" << true;
        QTest::newRow("byte 6 is no letter") << QByteArray("\x03\x04\x06\x03\x05\x05\x04\x03", 8)
                                             << "BCAB" << "CCBA" << false;
        QTest::newRow("byte 0 is no letter") << QByteArray("\x03\x04\x05\x03\x05\x05\x04\x00", 8)
                                             << "BCAB" << "CCBA" << false;
    }
    void accessCodes()
    {
        QFETCH(QByteArray, panelCodes);
        QFETCH(QString, level2);
        QFETCH(QString, level3);
        QFETCH(bool, ok);
        TransferBench b;
        b.window.setCode(0, QStringLiteral("ABAB"));
        b.window.setCode(1, QStringLiteral("BABA"));
        for (int i = 0; i < 8; ++i)
            b.panel.state.codes[i] = std::uint8_t(panelCodes[i]);
        QVERIFY(b.link.openPort(PortChoice::simulated()) && b.link.wakeUp());
        QCOMPARE(Reads::accessCodes(b.link, b.window), ok);
        QCOMPARE(b.window.code(0), level2);
        QCOMPARE(b.window.code(1), level3);
        QVERIFY(b.prompts.shown.isEmpty());
    }

    void codesReplyOfWrongLengthPutsDefaults()
    {
        TransferBench b;
        b.window.setCode(0, QStringLiteral("ABAB"));
        b.window.setCode(1, QStringLiteral("BABA"));
        b.panel.addFault({Fault::MissingDataByte, 4});   // seven letters
        QVERIFY(b.link.openPort(PortChoice::simulated()) && b.link.wakeUp());
        QVERIFY(!Reads::accessCodes(b.link, b.window));
        QCOMPARE(b.window.code(0), QStringLiteral("BCAB"));
        QCOMPARE(b.window.code(1), QStringLiteral("CCBA"));
        QVERIFY2(b.prompts.shown.isEmpty(), "a reply of the wrong length fails silently");
    }

    void alarmModesStopAtMissingReply()
    {
        TransferBench b;
        b.panel.state.alarmModes = {1, 2, 1, 1, 1, 1, 1, 1};
        b.session.config.AlarmModes = {0, 0, 0, 0, 0, 0, 0, 0, 0};
        b.panel.addFault({Fault::Silence, 21, 3});
        QVERIFY(b.link.openPort(PortChoice::simulated()) && b.link.wakeUp());
        QVERIFY(!Reads::alarmModes(b.link, b.session.config));
        const std::array<std::uint8_t, 9> expected{1, 2, 1, 0, 0, 0, 0, 0, 0};
        QCOMPARE(b.session.config.AlarmModes, expected);
        QCOMPARE(b.prompts.messages(), QStringList{timeOutMessage()});
    }

    void panelMode_data()
    {
        QTest::addColumn<int>("answer");   // -1: no reply
        QTest::addColumn<int>("mode");
        QTest::newRow("0 grants access") << 0 << 0;
        QTest::newRow("1 is manual mode") << 1 << 1;
        QTest::newRow("2 grants access") << 2 << 0;
        QTest::newRow("255 grants access") << 255 << 0;
        QTest::newRow("no reply") << -1 << 2;
    }
    void panelMode()
    {
        QFETCH(int, answer);
        QFETCH(int, mode);
        TransferBench b;
        if (answer < 0)
            b.panel.addFault({Fault::Silence, 20});
        else
            b.panel.state.modeByte = std::uint8_t(answer);
        QVERIFY(b.link.openPort(PortChoice::simulated()) && b.link.wakeUp());
        QCOMPARE(int(Reads::panelMode(b.link)), mode);
        QCOMPARE(b.prompts.messages().size(), answer < 0 ? 1 : 0);
    }

    void panelModeOfWrongLength()
    {
        TransferBench b;
        b.panel.addFault({Fault::MissingDataByte, 20});
        QVERIFY(b.link.openPort(PortChoice::simulated()) && b.link.wakeUp());
        QCOMPARE(int(Reads::panelMode(b.link)), int(Reads::NoValidReply));
        QVERIFY(b.prompts.shown.isEmpty());
    }

    void singleValueReads_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("12 V output") << 0;
        QTest::newRow("UGA tempo") << 1;
        QTest::newRow("AES choice") << 2;
        QTest::newRow("relays") << 3;
        QTest::newRow("function types") << 4;
    }
    void singleValueReads()
    {
        QFETCH(int, which);
        TransferBench b;
        PanelConfig &c = b.session.config;
        QVERIFY(b.link.openPort(PortChoice::simulated()) && b.link.wakeUp());
        switch (which) {
        case 0:
            b.panel.state.output12v = 1;
            QVERIFY(Reads::output12v(b.link, c));
            QCOMPARE(int(c.Output12vMode), 1);
            break;
        case 1:
            b.panel.state.ugaTempo = 7;
            QVERIFY(Reads::ugaTempo(b.link, c));
            QCOMPARE(c.UgaTempo, std::optional<std::uint8_t>(7));
            break;
        case 2:
            b.panel.state.aes = 1;
            QVERIFY(Reads::aesChoice(b.link, c));
            QCOMPARE(int(c.AesChoice), 1);
            break;
        case 3:
            b.panel.state.relays = {0x81, 0xFF};
            QVERIFY(Reads::relays(b.link, c));
            QCOMPARE(int(c.RelayMatrix[0]), 0x81);
            QCOMPARE(int(c.RelayMatrix[1]), 0xFF);
            break;
        case 4:
            b.panel.state.functionTypes = {0x85, 0x31, 0x00};
            QVERIFY(Reads::functionTypes(b.link, c));
            QCOMPARE(int(c.FunctionTypes[0]), 0x85);
            QCOMPARE(int(c.FunctionTypes[1]), 0x31);
            QCOMPARE(int(c.FunctionTypes[2]), 0x00);
            break;
        }
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
        b.session.UpCardStatus = 9;
        b.panel.state.cardState = std::uint8_t(answer);
        QVERIFY(b.link.openPort(PortChoice::simulated()) && b.link.wakeUp());
        QVERIFY(Reads::upCardState(b.link, b.session));
        QCOMPARE(int(b.session.UpCardStatus), status);
    }

    void readOfWrongCountKeepsItem()
    {
        TransferBench b;
        b.session.config.Output12vMode = 0;
        b.panel.state.output12v = 1;
        b.panel.addFault({Fault::MissingDataByte, 14});
        QVERIFY(b.link.openPort(PortChoice::simulated()) && b.link.wakeUp());
        QVERIFY(!Reads::output12v(b.link, b.session.config));
        QCOMPARE(int(b.session.config.Output12vMode), 0);
        QVERIFY(b.prompts.shown.isEmpty());
    }
};

TORVA_TEST(TestReads)
#include "tst_reads.moc"
