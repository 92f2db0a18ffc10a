// The check that accepts or refuses a reply, byte by byte.
#include "support/TestRegistry.h"

#include "link/ReplyCheck.h"

#include <QTest>

using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(ReplyCheck::Verdict)

class FrameTest : public QObject
{
    Q_OBJECT

private slots:
    // Replies to the serial number read (command 16) whose sum passes 255, so that the high check
    // byte counts; the spoilt replies the emulated panel makes are checked through the link.
    void replyCheck_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<ReplyCheck::Verdict>("verdict");
        QTest::addColumn<Bytes>("stored"); // the data bytes kept
        const auto h = [](const char *text) { return QByteArray::fromHex(text); };
        const Bytes serial{71, 232, 3};
        QTest::newRow("sum 331 accepted")
            << h("01 08 10 47 E8 03 4B 01") << ReplyCheck::Verdict::Accepted << serial;
        QTest::newRow("high check byte wrong")
            << h("01 08 10 47 E8 03 4B 00") << ReplyCheck::Verdict::Failed << serial;
        QTest::newRow("cut before the high check byte")
            << h("01 08 10 47 E8 03 4B") << ReplyCheck::Verdict::Pending << serial;
    }

    void replyCheck()
    {
        QFETCH(QByteArray, reply);
        QFETCH(ReplyCheck::Verdict, verdict);
        QFETCH(Bytes, stored);
        Bytes rx(20, 0xEE); // what an earlier reply left
        std::uint8_t count = 0;
        ReplyCheck check(rx, count);
        check.reset(16);
        ReplyCheck::Verdict last = ReplyCheck::Verdict::Pending;
        for (const char byte : reply)
            last = check.feed(std::uint8_t(byte)).verdict;
        QCOMPARE(last, verdict);
        QCOMPARE(Bytes(rx.begin(), rx.begin() + count), stored);
    }
};

TORVA_TEST(FrameTest)
#include "tst_frame.moc"
