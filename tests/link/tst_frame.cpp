// The request bytes the link puts on the wire, and the check that accepts or refuses a reply.
#include "support/TestRegistry.h"

#include "link/Frame.h"
#include "link/ReplyCheck.h"

#include <QRandomGenerator>
#include <QTest>

#include <numeric>

using Bytes = std::vector<std::uint8_t>;

namespace {

// What a correct checker concludes from the layout alone: start 1, length L in 5..13, echo, data,
// then the sum of the other bytes, low first. rxData holds L + 1 elements once the echo came.
struct Expected
{
    ReplyCheck::Verdict verdict = ReplyCheck::Verdict::Pending;
    int rxCount = 0, length = 0;
};

Expected oracle(const Bytes &in, std::uint8_t command)
{
    using V = ReplyCheck::Verdict;
    const int n = int(in.size()), length = n >= 2 ? in[1] : 0;
    if ((n >= 1 && in[0] != 1) || (n >= 2 && (length < 5 || length > 13)))
        return {V::Failed};
    if (n < 3)
        return {};
    if (in[2] != command)
        return {V::Failed, 0, length};
    const int sum = std::accumulate(in.begin(), in.begin() + std::min(n, length - 2), 0);
    const V verdict = n < length                                                   ? V::Pending
                      : in[length - 2] == sum % 256 && in[length - 1] == sum / 256 ? V::Accepted
                                                                                   : V::Failed;
    return {verdict, std::clamp(n, 3, length - 2) - 3, length};
}

} // namespace

class FrameTest : public QObject
{
    Q_OBJECT

private slots:
    void requestBytes_data()
    {
        QTest::addColumn<QByteArray>("request"); // command, length, data bytes
        QTest::addColumn<QByteArray>("expected");
        const auto h = [](const char *text) { return QByteArray::fromHex(text); };
        QTest::newRow("nine data bytes")
            << h("0A 0E FFFFFFFFFFFFFFFFFF") << h("01 0E 0A FFFFFFFFFFFFFFFFFF 10 09");
        QTest::newRow("length 4 refused") << h("14 04") << h("");
        QTest::newRow("length 15 refused") << h("14 0F 010101010101010101") << h("");
    }

    void requestBytes()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, expected);
        std::array<std::uint8_t, 9> tx{};
        std::copy(request.begin() + 2, request.end(), tx.begin());
        QCOMPARE(Frame::buildRequest(std::uint8_t(request[0]), std::uint8_t(request[1]), tx),
                 Bytes(expected.begin(), expected.end()));
    }

    // Random and nearly-right replies: the checker agrees with the oracle on each, stores exactly
    // the data bytes, and never writes past them.
    void randomReplies()
    {
        QRandomGenerator rng(20240611);
        Bytes rx;
        std::uint8_t count = 0;
        ReplyCheck check(rx, count);
        int outcomes[3] = {};
        for (int run = 0; run < 200000; ++run) {
            const auto command = std::uint8_t(rng.bounded(256));
            Bytes in;
            if (rng.bounded(4) == 0) {
                in.resize(rng.bounded(20));
                std::generate(in.begin(), in.end(), [&] { return std::uint8_t(rng.bounded(256)); });
                if (!in.empty() && rng.bounded(2))
                    in[0] = 1;
            } else { // a correct reply, then maybe a byte changed, the frame cut or extended
                const int length = 5 + int(rng.bounded(9));
                in = {1, std::uint8_t(length), command};
                while (int(in.size()) < length)
                    in.push_back(std::uint8_t(rng.bounded(256)));
                Frame::CRC16(in);
                switch (rng.bounded(5)) {
                case 1:
                    in[rng.bounded(length)] = std::uint8_t(rng.bounded(256));
                    break;
                case 2:
                    in.resize(rng.bounded(length));
                    break;
                case 3:
                    in[1] = std::uint8_t(rng.bounded(256));
                    break;
                case 4:
                    in.push_back(std::uint8_t(rng.bounded(256)));
                    break;
                }
            }
            rx.assign(rng.bounded(20), 0xEE); // leftovers of an earlier reply
            check.reset(command);
            ReplyCheck::Verdict verdict = ReplyCheck::Verdict::Pending;
            for (std::uint8_t b : in)
                verdict = check.feed(b).verdict;

            const Expected e = oracle(in, command);
            Bytes stored(std::size_t(e.length) + 1, 0); // the data bytes, then zeros up to L + 1
            std::copy_n(in.begin() + std::min(3, int(in.size())), e.rxCount, stored.begin());
            QVERIFY2(verdict == e.verdict && count == e.rxCount && (!e.length || rx == stored),
                     QByteArray(reinterpret_cast<const char *>(in.data()), qsizetype(in.size()))
                         .toHex(' ')
                         .constData());
            ++outcomes[int(verdict)];
        }
        // Both outcomes must come often, or the run proves little.
        QVERIFY(outcomes[int(ReplyCheck::Verdict::Accepted)] > 20000 &&
                outcomes[int(ReplyCheck::Verdict::Failed)] > 20000);
    }
};

TORVA_TEST(FrameTest)
#include "tst_frame.moc"