#include "ConfigBench.h"
#include "support/TestRegistry.h"

#include "config/Reads.h"

#include <QTest>

using Outcome = Reads::Outcome;
Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(std::optional<std::uint8_t>)

class TestReads : public QObject
{
    Q_OBJECT

private slots:
    void panelMode_data()
    {
        QTest::addColumn<std::optional<std::uint8_t>>("answer");
        QTest::addColumn<std::optional<FaultRule>>("fault");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<bool>("manual");
        const std::optional<FaultRule> none;
        const auto byte = [](int b) { return std::optional<std::uint8_t>(std::uint8_t(b)); };
        QTest::newRow("0 grants access") << byte(0) << none << Outcome::Read << false;
        QTest::newRow("1 is manual mode") << byte(1) << none << Outcome::Read << true;
        QTest::newRow("2 grants access") << byte(2) << none << Outcome::Read << false;
        QTest::newRow("255 grants access") << byte(255) << none << Outcome::Read << false;
        QTest::newRow("reply without its data byte")
            << byte(0) << std::optional(FaultRule{Fault::MissingDataByte, 20}) << Outcome::Refused << false;
    }
    void panelMode()
    {
        QFETCH(std::optional<std::uint8_t>, answer);
        QFETCH(std::optional<FaultRule>, fault);
        QFETCH(Outcome, outcome);
        QFETCH(bool, manual);
        PanelBench b;
        b.panel.state.modeByte = answer;
        if (fault)
            b.panel.addFault(*fault);
        QVERIFY(b.start());
        bool manualMode = !manual;
        QCOMPARE(Reads::panelMode(b.link, manualMode), outcome);
        if (outcome == Outcome::Read)
            QCOMPARE(manualMode, manual);
        QVERIFY(b.prompts.shown.isEmpty());
    }

    void matrixStoredAsComplement_data()
    {
        QTest::addColumn<int>("held"); // what the panel holds for loop 2; it answers 255 - held
        QTest::newRow("30 travels as 225") << 30;
        QTest::newRow("0 travels as 255") << 0;
        QTest::newRow("255 travels as 0") << 255;
    }
    void matrixStoredAsComplement()
    {
        QFETCH(int, held);
        PanelBench b;
        b.panel.state.commandMatrix[1] = std::uint8_t(held);
        QVERIFY(b.start());
        PanelConfig config;
        QCOMPARE(Reads::commandMatrix(b.link, config), Outcome::Read);
        QCOMPARE(int(config.CommandMatrix[1]), held);
        QCOMPARE(b.requestsHex().at(1), frameHex(2, {1}));
    }

    // The codes hold "ABAB" and "BABA" before the read; only a whole, good reply replaces them.
    void accessCodes_data()
    {
        QTest::addColumn<QByteArray>("panelCodes");
        QTest::addColumn<std::optional<FaultRule>>("fault");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("codes");
        const QByteArray good("\x03\x04\x05\x03\x05\x05\x04\x03", 8);
        const std::optional<FaultRule> none;
        QTest::newRow("letters by position") << good << none << Outcome::Read << "ABCA CCBA";
        QTest::newRow("seven bytes") << good << std::optional(FaultRule{Fault::MissingDataByte, 4})
                                     << Outcome::Refused << "ABAB BABA";
        QTest::newRow("byte 6 is no letter")
            << QByteArray("\x03\x04\x06\x03\x05\x05\x04\x03", 8) << none << Outcome::Refused << "ABAB BABA";
        QTest::newRow("byte 0 is no letter")
            << QByteArray("\x03\x04\x05\x03\x05\x05\x04\x00", 8) << none << Outcome::Refused << "ABAB BABA";
    }
    void accessCodes()
    {
        QFETCH(QByteArray, panelCodes);
        QFETCH(std::optional<FaultRule>, fault);
        QFETCH(Outcome, outcome);
        QFETCH(QString, codes);
        PanelBench b;
        std::copy(panelCodes.begin(), panelCodes.end(), b.panel.state.codes.begin());
        if (fault)
            b.panel.addFault(*fault);
        QVERIFY(b.start());
        std::array<QString, 2> read{QStringLiteral("ABAB"), QStringLiteral("BABA")};
        QCOMPARE(Reads::accessCodes(b.link, read), outcome);
        QCOMPARE(read[0] + ' ' + read[1], codes);
        QVERIFY(b.prompts.shown.isEmpty());
    }

    // An indexed read keeps the elements read before the one that failed.
    void alarmModesStopAtRefusedReply()
    {
        PanelBench b;
        b.panel.state.alarmModes = {1, 2, 1, 1, 1, 1, 1, 1};
        b.panel.addFault({Fault::MissingDataByte, 21, 3});
        QVERIFY(b.start());
        PanelConfig config;
        QCOMPARE(Reads::alarmModes(b.link, config), Outcome::Refused);
        QCOMPARE(config.AlarmModes, (std::array<std::uint8_t, 8>{1, 2, 1, 0, 0, 0, 0, 0}));
        QCOMPARE(b.panel.requests().size(), 4);
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
        PanelBench b;
        b.panel.state.cardState = std::uint8_t(answer);
        QVERIFY(b.start());
        std::uint8_t read = 99;
        QCOMPARE(Reads::upCardState(b.link, read), Outcome::Read);
        QCOMPARE(int(read), status);
    }
};

TORVA_TEST(TestReads)
#include "tst_reads.moc"
