#include "support/TestRegistry.h"

#include "simfiles/PanelOptions.h"

#include <QTest>

Q_DECLARE_METATYPE(Fault)

// torva-ecs-sim's --fault NAME[:COMMAND[:INDEX[:TIMES]]]: each name switches on its own fault,
// and a rule the emulated panel could not hold is refused rather than taken for another.
class TestFaultOption : public QObject
{
    Q_OBJECT

private slots:
    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Fault>("fault");
        QTest::newRow("silence") << "silence" << Fault::Silence;
        QTest::newRow("wrong start byte") << "wrong-start" << Fault::WrongStartByte;
        QTest::newRow("length too long") << "length-too-long" << Fault::LengthTooLong;
        QTest::newRow("length too short") << "length-too-short" << Fault::LengthTooShort;
        QTest::newRow("wrong echo") << "wrong-echo" << Fault::WrongEcho;
        QTest::newRow("bad sum") << "bad-sum" << Fault::BadSum;
        QTest::newRow("short reply") << "short-reply" << Fault::ShortReply;
        QTest::newRow("stray bytes before") << "stray-bytes" << Fault::StrayBytesBefore;
        QTest::newRow("wrong data count") << "wrong-data-count" << Fault::WrongDataCount;
        QTest::newRow("missing data byte") << "missing-data-byte" << Fault::MissingDataByte;
        QTest::newRow("read-back differs") << "read-back-differs" << Fault::ReadBackDiffers;
    }

    // A name alone spoils every reply to every command.
    void names()
    {
        QFETCH(QString, name);
        QFETCH(Fault, fault);
        const std::optional<FaultRule> rule = PanelOptions::parseFault(name);
        QVERIFY(rule);
        QCOMPARE(rule->fault, fault);
        QCOMPARE(rule->command, -1);
        QCOMPARE(rule->index, -1);
        QCOMPARE(rule->times, -1);
    }

    void arguments_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("command"); // -1: any
        QTest::addColumn<int>("index");   // -1: any
        QTest::addColumn<int>("times");   // -1: every time
        QTest::newRow("command, index, times") << "wrong-echo:21:3:2" << 21 << 3 << 2;
        QTest::newRow("command only") << "silence:20" << 20 << -1 << -1;
        QTest::newRow("empty index is any") << "bad-sum:4::1" << 4 << -1 << 1;
        QTest::newRow("star for any") << "stray-bytes:*:*:5" << -1 << -1 << 5;
        QTest::newRow("empty parts") << "short-reply:::" << -1 << -1 << -1;
        QTest::newRow("highest command and index") << "wrong-echo:255:255" << 255 << 255 << -1;
        QTest::newRow("a million times") << "silence:::1000000" << -1 << -1 << 1'000'000;
    }

    void arguments()
    {
        QFETCH(QString, text);
        QFETCH(int, command);
        QFETCH(int, index);
        QFETCH(int, times);
        const std::optional<FaultRule> rule = PanelOptions::parseFault(text);
        QVERIFY(rule);
        QCOMPARE(rule->command, command);
        QCOMPARE(rule->index, index);
        QCOMPARE(rule->times, times);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("unknown name") << "noise";
        QTest::newRow("no name") << ":20";
        QTest::newRow("empty") << "";
        QTest::newRow("name in capitals") << "SILENCE";
        QTest::newRow("the fault's own word") << "StrayBytesBefore";
        QTest::newRow("space before the name") << " silence";
        QTest::newRow("five parts") << "silence:20:1:1:1";
        QTest::newRow("command above a byte") << "silence:256";
        QTest::newRow("index above a byte") << "silence:20:256";
        QTest::newRow("negative command") << "silence:-2";
        QTest::newRow("command not a number") << "silence:mode";
        QTest::newRow("zero times") << "silence:20::0";
        QTest::newRow("more than a million times") << "silence:::1000001";
    }

    void refused()
    {
        QFETCH(QString, text);
        QVERIFY(!PanelOptions::parseFault(text));
    }
};

TORVA_TEST(TestFaultOption)
#include "tst_faultoption.moc"
