// The command transaction against the emulated panel: attempts, time-outs, the one message, the
// progress window, re-entry and abort.
#include "support/TestRegistry.h"

#include "LinkBench.h"
#include "link/WaitFrm.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QFrame>
#include <QTest>
#include <QTimer>

using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)

namespace {

const QString kTimeOut = QStringLiteral("TIME OUT|Pas de réponse de l'ECS !");
constexpr int kNoFault = -1;

} // namespace

class TransactionTest : public QObject
{
    Q_OBJECT

private slots:
    void replies_data()
    {
        QTest::addColumn<int>("fault");      // Fault, or kNoFault
        QTest::addColumn<int>("times");      // replies the fault spoils
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("data0");      // TxData[0]
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("frames");     // requests that went out
        QTest::addColumn<int>("maxGapMs");   // longest pause allowed between two requests
        QTest::addColumn<Bytes>("rxData");   // the first RxCount elements of RxData
        const int immediate = 400;   // a faulty reply ends its attempt long before the time-out
        const int any = 5000;
        const auto f = [](Fault fault) { return int(fault); };

        QTest::newRow("mode read accepted") << kNoFault << 0 << 20 << 5 << 0 << true << 1 << any << Bytes{0};
        QTest::newRow("alarm mode of loop 4") << kNoFault << 0 << 21 << 6 << 3 << true << 1 << any << Bytes{2};
        QTest::newRow("eight access code letters")
            << kNoFault << 0 << 4 << 5 << 0 << true << 1 << any << Bytes{3, 4, 5, 3, 5, 3, 4, 4};
        QTest::newRow("write acknowledged without data") << kNoFault << 0 << 15 << 6 << 0 << true << 1 << any << Bytes{};
        QTest::newRow("silent first attempt") << f(Fault::Silence) << 1 << 20 << 5 << 0 << true << 2 << 1200 << Bytes{0};
        QTest::newRow("bad first byte, good reply behind it")
            << f(Fault::WrongStartByte) << 1 << 20 << 5 << 0 << true << 2 << immediate << Bytes{0};
        QTest::newRow("length byte 14") << f(Fault::LengthTooLong) << 1 << 20 << 5 << 0 << true << 2 << immediate << Bytes{0};
        QTest::newRow("length byte 4") << f(Fault::LengthTooShort) << 1 << 20 << 5 << 0 << true << 2 << immediate << Bytes{0};
        QTest::newRow("wrong echo") << f(Fault::WrongEcho) << 1 << 21 << 6 << 3 << true << 2 << immediate << Bytes{2};
        QTest::newRow("wrong sum") << f(Fault::BadSum) << 1 << 21 << 6 << 3 << true << 2 << immediate << Bytes{2};
        QTest::newRow("stray bytes before the reply")
            << f(Fault::StrayBytesBefore) << 1 << 20 << 5 << 0 << true << 2 << immediate << Bytes{0};
        QTest::newRow("short reply waits for the time-out")
            << f(Fault::ShortReply) << 1 << 20 << 5 << 0 << true << 2 << 1200 << Bytes{0};
        // A correct frame with an unexpected count is the caller's to refuse.
        QTest::newRow("extra data byte still a reply")
            << f(Fault::WrongDataCount) << 1 << 20 << 5 << 0 << true << 1 << any << Bytes{0, 0};
        QTest::newRow("wrong echo every time") << f(Fault::WrongEcho) << -1 << 20 << 5 << 0 << false << 3 << immediate << Bytes{};
        QTest::newRow("wrong sum every time") << f(Fault::BadSum) << -1 << 20 << 5 << 0 << false << 3 << immediate << Bytes{};
    }

    void replies()
    {
        QFETCH(int, fault);
        QFETCH(int, times);
        QFETCH(int, command);
        QFETCH(int, length);
        QFETCH(int, data0);
        QFETCH(bool, result);
        QFETCH(int, frames);
        QFETCH(int, maxGapMs);
        QFETCH(Bytes, rxData);

        LinkBench bench;
        QVERIFY(bench.start());
        if (fault != kNoFault)
            bench.panel.addFault({Fault(fault), command, -1, times});
        bench.link.TxData[0] = std::uint8_t(data0);

        QCOMPARE(bench.link.transaction(std::uint8_t(command), std::uint8_t(length)), result);
        QCOMPARE(bench.link.LinkStatus, !result);
        QCOMPARE(bench.prompts.messages(), result ? QStringList{} : QStringList{kTimeOut});
        if (!result)
            QCOMPARE(bench.prompts.shown.front().icon, Prompts::Icon::Information);

        const auto sent = bench.port->framesWritten();
        QCOMPARE(sent.size(), frames);
        for (int i = 1; i < sent.size(); ++i) {
            QCOMPARE(sent[i].second, sent[0].second);   // every attempt sends the same bytes
            QVERIFY2(sent[i].first - sent[i - 1].first <= maxGapMs,
                     qPrintable(QStringLiteral("gap %1 ms").arg(sent[i].first - sent[i - 1].first)));
        }
        if (result) {
            QCOMPARE(int(bench.link.RxCount), int(rxData.size()));
            QCOMPARE(Bytes(bench.link.RxData.begin(), bench.link.RxData.begin() + bench.link.RxCount), rxData);
        }
    }

    // Three identical frames a reply time-out apart, then one message.
    void silentPanel()
    {
        LinkBench bench;
        QVERIFY(bench.start());
        bench.panel.addFault({Fault::Silence});
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!bench.link.transaction(20, 5));
        const qint64 took = clock.elapsed();

        QVERIFY2(took >= 2990 && took < 3400, qPrintable(QString::number(took)));
        const auto sent = bench.port->framesWritten();
        QCOMPARE(sent.size(), 3);
        for (int i = 1; i < 3; ++i) {
            QCOMPARE(sent[i].second, QByteArray::fromHex("01 05 14 1A 00"));
            const qint64 gap = sent[i].first - sent[i - 1].first;
            QVERIFY2(gap >= 990 && gap < 1150, qPrintable(QString::number(gap)));
        }
        QCOMPARE(bench.prompts.messages(), QStringList{kTimeOut});
        QVERIFY(bench.link.LinkStatus);
        QVERIFY(!bench.link.Timer_Time_Out.isActive());
    }

    // The wake-up is one byte 0 on its own, then a pause of about 200 ms before any frame.
    void wakeUp()
    {
        LinkBench bench;
        QVERIFY(bench.link.openPort(PortChoice::simulated()));
        QCOMPARE(bench.link.Timer_Time_Out.interval(), 2000);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(bench.link.wakeUp());
        const qint64 pause = clock.elapsed();
        QVERIFY2(pause >= 195 && pause < 320, qPrintable(QString::number(pause)));
        QCOMPARE(bench.port->written(), QByteArray(1, '\0'));
        QVERIFY(bench.link.LinkStatus);   // the pause ended by the time-out
        QVERIFY(!bench.link.Timer_Time_Out.isActive());
        QCOMPARE(bench.link.Timer_Time_Out.interval(), 1000);

        QVERIFY(bench.link.transaction(20, 5));
        QCOMPARE(bench.port->written(), QByteArray::fromHex("00 01 05 14 1A 00"));
    }

    // What is left of a rejected reply is drained before anything else goes out, so it spoils
    // neither the next attempt nor the next transaction.
    void rejectedReplyDrained()
    {
        LinkBench bench;
        QVERIFY(bench.start());
        bench.panel.addFault({Fault::WrongStartByte, 20});
        QVERIFY(!bench.link.transaction(20, 5));
        QVERIFY(bench.link.transaction(21, 6));
        QCOMPARE(bench.port->framesWritten().size(), 3 + 1);
        QCOMPARE(bench.prompts.messages().size(), 1);
    }

    void strayBytesFlushed()
    {
        LinkBench bench;
        QVERIFY(bench.start());
        bench.port->injectIncoming(QByteArray::fromHex("01 06 14 07 22 00 FF"));
        QVERIFY(bench.link.transaction(20, 5));
        QCOMPARE(bench.port->framesWritten().size(), 1);
        QCOMPARE(bench.link.RxData[0], 0);   // the panel's answer, not the stray one
    }

    void progressBar_data()
    {
        QTest::addColumn<bool>("diag");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("expected");
        QTest::newRow("one step per data byte") << false << 20 << 8;
        QTest::newRow("stays full past its maximum") << false << 5 << 5;
        QTest::newRow("still during diagnostics") << true << 20 << 0;
    }

    void progressBar()
    {
        QFETCH(bool, diag);
        QFETCH(int, maximum);
        QFETCH(int, expected);
        LinkBench bench;
        WaitFrm window(bench.link);
        window.ProgressBar1->setMaximum(maximum);
        window.ProgressBar1->setValue(0);
        QVERIFY(bench.start());
        bench.link.DiagInProgress = diag;
        QVERIFY(bench.link.transaction(4, 5));   // eight data bytes
        QCOMPARE(window.ProgressBar1->value(), expected);
    }

    void lamps()
    {
        LinkBench bench;
        WaitFrm window(bench.link);
        QCOMPARE(window.objectName(), QStringLiteral("waitfrm"));
        QCOMPARE(window.windowTitle(), QStringLiteral("TORVA"));
        QCOMPARE(window.Label1->text(), QStringLiteral("RECEPTION EN COURS..."));
        QVERIFY(window.Timer1->isActive() && window.Timer2->isActive());
        window.show();
        QVERIFY(bench.start());

        // Lamp state seen at each signal, before the lamp timers can touch it.
        QList<bool> sendLampAtReply, replyLampAtEnd;
        connect(&bench.link, &Link::replyAccepted, &window, [&] {
            sendLampAtReply << window.Shape1->isVisible();
            replyLampAtEnd << window.Shape2->isVisible();
        });
        QVERIFY(bench.link.transaction(20, 5));
        QCOMPARE(sendLampAtReply, QList<bool>{false});
        QCOMPARE(replyLampAtEnd, QList<bool>{true});
        QTRY_VERIFY_WITH_TIMEOUT(!window.Shape2->isVisible(), 500);   // Timer2 puts it out

        bench.panel.addFault({Fault::BadSum});
        QVERIFY(!bench.link.transaction(20, 5));
        QVERIFY(!window.Timer1->isActive());
        QVERIFY(!window.Timer2->isActive());
    }

    // A transaction asked for while one waits is refused and leaves the waiting one alone.
    void reentryRefused()
    {
        LinkBench bench;
        QVERIFY(bench.start());
        bench.port->setTurnaround(std::chrono::milliseconds(300));
        bench.link.TxData[0] = 3;
        bool nested = true, nestedWake = true;
        int framesAtNested = -1;
        QTimer::singleShot(100, &bench.link, [&] {
            QVERIFY(bench.link.isBusy());
            framesAtNested = int(bench.port->framesWritten().size());
            bench.link.TxData[0] = 3;   // what a careless caller would do anyway
            nested = bench.link.transaction(20, 5);
            nestedWake = bench.link.wakeUp();
        });
        QVERIFY(bench.link.transaction(21, 6));
        QVERIFY(!nested);
        QVERIFY(!nestedWake);
        QCOMPARE(framesAtNested, 1);
        QCOMPARE(bench.port->framesWritten().size(), 1);
        QCOMPARE(bench.link.LastCommand, 21);
        QCOMPARE(bench.link.RxCount, 1);
        QCOMPARE(bench.link.RxData[0], 2);
        QVERIFY(bench.prompts.messages().isEmpty());
        QVERIFY(!bench.link.isBusy());
    }

    void abortEndsTheWait()
    {
        LinkBench bench;
        QVERIFY(bench.start());
        bench.panel.addFault({Fault::Silence});
        QTimer::singleShot(300, &bench.link, [&] { bench.link.abort(); });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!bench.link.transaction(20, 5));
        QVERIFY2(clock.elapsed() < 600, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(bench.prompts.messages().isEmpty());
        QCOMPARE(bench.port->framesWritten().size(), 1);

        // Every later wait is refused at once, without a word and without a byte.
        bench.panel.clearFaults();
        QVERIFY(!bench.link.wakeUp());
        QVERIFY(!bench.link.transaction(20, 5));
        QVERIFY(bench.link.LinkStatus);
        QCOMPARE(bench.port->written().size(), 1 + 5);
        QVERIFY(bench.prompts.messages().isEmpty());

        // The next exchange opens the port again and talks as usual.
        QVERIFY(bench.start());
        QVERIFY(bench.link.transaction(20, 5));
    }

    void portVanishes_data()
    {
        QTest::addColumn<int>("writes");
        QTest::newRow("in the middle of the request") << 3;
        QTest::newRow("while waiting for the reply") << 5;
    }

    void portVanishes()
    {
        QFETCH(int, writes);
        LinkBench bench;
        QVERIFY(bench.start());
        bench.port->vanishAfterWrites(writes);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!bench.link.transaction(20, 5));
        QVERIFY(clock.elapsed() < 900);   // nothing left to wait for
        QCOMPARE(bench.prompts.messages(), QStringList{kTimeOut});
        QTRY_VERIFY(!bench.link.isPortOpen());
        QTRY_VERIFY(bench.port.isNull());   // the link let go of the dead port
        QVERIFY(!bench.link.transaction(20, 5));
        QCOMPARE(bench.prompts.messages().size(), 2);
    }

    // Waiting for a silent panel must leave the processor nearly idle.
    void idleWhileWaiting()
    {
        LinkBench bench;
        QVERIFY(bench.start());
        bench.panel.addFault({Fault::Silence});
        QElapsedTimer clock;
        clock.start();
        const double before = cpuMs();
        QVERIFY(!bench.link.transaction(20, 5));
        const double cpu = cpuMs() - before;
        const double share = cpu / double(clock.elapsed());
        qInfo("emulated line: %.1f ms CPU over %lld ms (%.2f %%)", cpu, clock.elapsed(), share * 100);
        QVERIFY(share < 0.20);
    }
};

TORVA_TEST(TransactionTest)
#include "tst_transaction.moc"
