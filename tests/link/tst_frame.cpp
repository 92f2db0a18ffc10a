// The frame bytes the link puts on the wire, and the reply check that accepts or refuses what
// comes back.
#include "support/TestRegistry.h"

#include "link/Frame.h"
#include "link/ReplyCheck.h"

#include <QRandomGenerator>
#include <QTest>

#include <optional>

using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(ReplyCheck::Verdict)

namespace {

Bytes hex(const char *text)
{
    const QByteArray raw = QByteArray::fromHex(QByteArray(text).replace(' ', ""));
    return Bytes(raw.begin(), raw.end());
}

// What a correct checker must conclude from a byte sequence, worked out from the frame layout
// alone: the reply starts with 1, its length is 5..13, the echo is the command, and the last two
// bytes are the sum of the others, low byte first. Bytes after a verdict do not count.
struct Expected
{
    ReplyCheck::Verdict verdict = ReplyCheck::Verdict::Pending;
    int rxCount = 0;
    std::optional<int> length;   // set once the echo has arrived: RxData then has L + 1 elements
};

Expected oracle(const Bytes &in, std::uint8_t command)
{
    using V = ReplyCheck::Verdict;
    Expected e;
    const auto n = int(in.size());
    if (n == 0)
        return e;
    if (in[0] != 1)
        return {V::Failed, 0, {}};
    if (n == 1)
        return e;
    const int length = in[1];
    if (length < 5 || length > 13)
        return {V::Failed, 0, {}};
    if (n == 2)
        return e;
    e.length = length;
    if (in[2] != command) {
        e.verdict = V::Failed;
        return e;
    }
    e.rxCount = std::clamp(n, 3, length - 2) - 3;
    if (n < length)
        return e;
    int sum = 0;
    for (int i = 0; i < length - 2; ++i)
        sum += in[i];
    e.verdict = in[length - 2] == sum % 256 && in[length - 1] == sum / 256 ? V::Accepted : V::Failed;
    return e;
}

} // namespace

class FrameTest : public QObject
{
    Q_OBJECT

private slots:
    void requestBytes_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("length");
        QTest::addColumn<Bytes>("data");
        QTest::addColumn<Bytes>("expected");

        QTest::newRow("panel mode, no data") << 20 << 5 << Bytes{} << hex("01 05 14 1A 00");
        QTest::newRow("alarm mode of loop 4") << 21 << 6 << Bytes{3} << hex("01 06 15 03 1F 00");
        QTest::newRow("relay 1 loops 1 and 8") << 13 << 7 << Bytes{0, 0x81} << hex("01 07 0D 00 81 96 00");
        QTest::newRow("12 V mode 0") << 15 << 6 << Bytes{0} << hex("01 06 0F 00 16 00");
        QTest::newRow("alarm mode loop 8") << 22 << 7 << Bytes{7, 2} << hex("01 07 16 07 02 27 00");
        QTest::newRow("function type 3") << 8 << 7 << Bytes{2, 0x16} << hex("01 07 08 02 16 28 00");
        QTest::newRow("carry into high byte") << 9 << 7 << Bytes{1, 0xF5} << hex("01 07 09 01 F5 07 01");
        QTest::newRow("card present") << 29 << 6 << Bytes{1} << hex("01 06 1D 01 25 00");
        QTest::newRow("AES external") << 28 << 6 << Bytes{1} << hex("01 06 1C 01 24 00");
        QTest::newRow("nine 255s, command 249")
            << 249 << 14 << Bytes(9, 255) << hex("01 0E F9 FF FF FF FF FF FF FF FF FF FF 09");
        QTest::newRow("nine 255s, command 10")
            << 10 << 14 << Bytes(9, 255) << hex("01 0E 0A FF FF FF FF FF FF FF FF FF 10 09");
        // Only the first L - 5 elements of TxData travel; the rest is left over from earlier.
        QTest::newRow("unused TxData left out") << 21 << 6 << Bytes{3, 99, 98} << hex("01 06 15 03 1F 00");
        QTest::newRow("length 4 refused") << 20 << 4 << Bytes{} << Bytes{};
        QTest::newRow("length 15 refused") << 20 << 15 << Bytes(9, 1) << Bytes{};
    }

    void requestBytes()
    {
        QFETCH(int, command);
        QFETCH(int, length);
        QFETCH(Bytes, data);
        QFETCH(Bytes, expected);
        std::array<std::uint8_t, 9> tx{};
        std::copy(data.begin(), data.end(), tx.begin());
        QCOMPARE(Frame::buildRequest(std::uint8_t(command), std::uint8_t(length), tx), expected);
    }

    void replyCheck_data()
    {
        using V = ReplyCheck::Verdict;
        QTest::addColumn<int>("command");
        QTest::addColumn<Bytes>("reply");
        QTest::addColumn<V>("verdict");
        QTest::addColumn<int>("rxCount");
        QTest::addColumn<Bytes>("rxData");   // RxData after the reply, all L + 1 elements

        QTest::newRow("mode reply") << 20 << hex("01 06 14 00 1B 00") << V::Accepted << 1
                                    << Bytes(7, 0);
        QTest::newRow("write acknowledged") << 13 << hex("01 05 0D 13 00") << V::Accepted << 0
                                            << Bytes(6, 0);
        QTest::newRow("eight data bytes")
            << 4 << hex("01 0D 04 03 04 05 03 05 03 04 04 31 00") << V::Accepted << 8
            << Bytes{3, 4, 5, 3, 5, 3, 4, 4, 0, 0, 0, 0, 0, 0};
        QTest::newRow("high check byte used") << 2 << hex("01 07 02 FF FE 07 02") << V::Accepted << 2
                                              << Bytes{255, 254, 0, 0, 0, 0, 0, 0};
        QTest::newRow("wrong start byte") << 20 << hex("02 06 14 00 1B 00") << V::Failed << 0 << Bytes{};
        QTest::newRow("length 14") << 20 << hex("01 0E 14") << V::Failed << 0 << Bytes{};
        QTest::newRow("length 4") << 20 << hex("01 04 14 19 00") << V::Failed << 0 << Bytes{};
        QTest::newRow("length 0") << 20 << hex("01 00 14") << V::Failed << 0 << Bytes{};
        // RxData is sized for the announced data even though the echo is wrong.
        QTest::newRow("wrong echo") << 20 << hex("01 06 15 00 1C 00") << V::Failed << 0 << Bytes(7, 0);
        QTest::newRow("wrong low check") << 20 << hex("01 06 14 00 1C 00") << V::Failed << 1
                                         << Bytes(7, 0);
        QTest::newRow("wrong high check") << 20 << hex("01 06 14 00 1B 01") << V::Failed << 1
                                          << Bytes(7, 0);
        QTest::newRow("check bytes swapped") << 9 << hex("01 07 09 01 F5 01 07") << V::Failed << 2
                                             << Bytes{1, 0xF5, 0, 0, 0, 0, 0, 0};
        // Sum 257: both check bytes are 1, so their order cannot matter.
        QTest::newRow("equal check bytes swapped") << 200 << hex("01 06 C8 32 01 01") << V::Accepted << 1
                                                   << Bytes{50, 0, 0, 0, 0, 0, 0};
        QTest::newRow("short reply") << 20 << hex("01 06 14 00 1B") << V::Pending << 1 << Bytes(7, 0);
        QTest::newRow("good reply after junk") << 20 << hex("FF 01 06 14 00 1B 00") << V::Failed << 0
                                               << Bytes{};
        QTest::newRow("bytes after the verdict ignored")
            << 20 << hex("01 06 14 05 20 00 01 06 14 07") << V::Accepted << 1 << Bytes{5, 0, 0, 0, 0, 0, 0};
    }

    void replyCheck()
    {
        QFETCH(int, command);
        QFETCH(Bytes, reply);
        QFETCH(ReplyCheck::Verdict, verdict);
        QFETCH(int, rxCount);
        QFETCH(Bytes, rxData);

        Bytes rx;
        std::uint8_t count = 77;
        ReplyCheck check(rx, count);
        check.reset(std::uint8_t(command));
        QCOMPARE(count, 0);
        ReplyCheck::Verdict last = ReplyCheck::Verdict::Pending;
        for (std::uint8_t b : reply)
            last = check.feed(b).verdict;
        QCOMPARE(last, verdict);
        QCOMPARE(int(count), rxCount);
        QCOMPARE(rx, rxData);
    }

    // Many thousands of random and nearly-right replies: the checker agrees with the oracle on
    // every one, stores exactly the data bytes, and never touches an element past them.
    void randomReplies()
    {
        QRandomGenerator rng(20240611);
        Bytes rx;
        std::uint8_t count = 0;
        ReplyCheck check(rx, count);
        int accepted = 0;
        int failed = 0;
        for (int run = 0; run < 200000; ++run) {
            const auto command = std::uint8_t(rng.bounded(256));
            Bytes in;
            if (rng.bounded(4) == 0) {
                in.resize(rng.bounded(20));
                for (auto &b : in)
                    b = std::uint8_t(rng.bounded(256));
                if (!in.empty() && rng.bounded(2))
                    in[0] = 1;
            } else {
                // A correct reply, then maybe one byte changed, the frame cut or extended.
                const int length = 5 + int(rng.bounded(9));
                in = {1, std::uint8_t(length), command};
                for (int i = 0; i < length - 5; ++i)
                    in.push_back(std::uint8_t(rng.bounded(256)));
                in.resize(length);
                Frame::CRC16(in);
                switch (rng.bounded(5)) {
                case 0: break;
                case 1: in[rng.bounded(int(in.size()))] = std::uint8_t(rng.bounded(256)); break;
                case 2: in.resize(rng.bounded(int(in.size()))); break;
                case 3: in[1] = std::uint8_t(rng.bounded(256)); break;
                default: in.push_back(std::uint8_t(rng.bounded(256))); break;
                }
            }
            // Leftovers of an earlier reply, to see they are discarded at the echo.
            rx.assign(rng.bounded(20), 0xEE);
            check.reset(command);
            ReplyCheck::Verdict verdict = ReplyCheck::Verdict::Pending;
            for (std::uint8_t b : in)
                verdict = check.feed(b).verdict;

            const Expected e = oracle(in, command);
            if (verdict != e.verdict || count != e.rxCount
                || (e.length && int(rx.size()) != *e.length + 1)) {
                QFAIL(qPrintable(QStringLiteral("run %1: bytes %2 gave verdict %3 count %4 size %5")
                                     .arg(run)
                                     .arg(QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(in.data()),
                                                                         qsizetype(in.size())).toHex(' ')))
                                     .arg(int(verdict))
                                     .arg(count)
                                     .arg(rx.size())));
            }
            if (e.length) {
                for (int i = 0; i < e.rxCount; ++i)
                    QCOMPARE(rx[i], in[3 + i]);
                for (std::size_t i = std::size_t(e.rxCount); i < rx.size(); ++i)
                    QCOMPARE(rx[i], 0);
            }
            accepted += verdict == ReplyCheck::Verdict::Accepted;
            failed += verdict == ReplyCheck::Verdict::Failed;
        }
        // The generator must reach both outcomes often, or the run proves little.
        QVERIFY(accepted > 20000);
        QVERIFY(failed > 20000);
    }
};

TORVA_TEST(FrameTest)
#include "tst_frame.moc"
