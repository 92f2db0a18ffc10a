// torva-ecs-sim's own options: the fault rules it understands, a data file as the panel's
// starting state, and the installed icon drawn like the main window's.
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "editor/MainWindow.h"
#include "files/DataFile.h"
#include "link/Link.h"
#include "sim/tool/PanelOptions.h"
#include "support/FakePrompts.h"

#include <QImage>
#include <QTest>

#include <cstdlib>

Q_DECLARE_METATYPE(Fault)

class SimOptionsTest : public QObject
{
    Q_OBJECT

private slots:
    void fault_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("times");
        QTest::newRow("name alone") << "silence" << true << Fault::Silence << -1 << -1 << -1;
        QTest::newRow("command, index, times") << "wrong-echo:21:3:2" << true << Fault::WrongEcho << 21 << 3 << 2;
        QTest::newRow("any index") << "bad-sum:4::1" << true << Fault::BadSum << 4 << -1 << 1;
        QTest::newRow("star for any") << "stray-bytes:*:*:5" << true << Fault::StrayBytesBefore << -1 << -1 << 5;
        QTest::newRow("last name") << "read-back-differs:2" << true << Fault::ReadBackDiffers << 2 << -1 << -1;
        QTest::newRow("unknown name") << "noise" << false << Fault::Silence << 0 << 0 << 0;
        QTest::newRow("command above a byte") << "silence:256" << false << Fault::Silence << 0 << 0 << 0;
        QTest::newRow("not a number") << "silence:x" << false << Fault::Silence << 0 << 0 << 0;
        QTest::newRow("zero times") << "silence:20::0" << false << Fault::Silence << 0 << 0 << 0;
        QTest::newRow("too many parts") << "silence:1:2:3:4" << false << Fault::Silence << 0 << 0 << 0;
        QTest::newRow("negative") << "silence:-2" << false << Fault::Silence << 0 << 0 << 0;
    }

    void fault()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const std::optional<FaultRule> rule = PanelOptions::parseFault(text);
        QCOMPARE(rule.has_value(), valid);
        if (!valid)
            return;
        QFETCH(Fault, fault);
        QFETCH(int, command);
        QFETCH(int, index);
        QFETCH(int, times);
        QCOMPARE(int(rule->fault), int(fault));
        QCOMPARE(rule->command, command);
        QCOMPARE(rule->index, index);
        QCOMPARE(rule->times, times);
    }

    // The panel holds each item of the file; the codes as its letter bytes (A 3, B 4, C 5),
    // level 2 first.
    void dataFileBecomesThePanelState()
    {
        DataFileContent file;
        file.items.CommandMatrix = {9, 8, 7, 6, 5, 4, 3, 2};
        file.items.AlarmModes = {2, 2, 0, 1, 0, 0, 1, 1};
        file.items.FunctionTypes = {0x11, 0x22, 0x33};
        file.items.RelayMatrix = {0x0F, 0xF0};
        file.items.Output12vMode = 0;
        file.items.AesChoice = 0;
        file.codes = {QStringLiteral("ABCC"), QStringLiteral("CBAA")};
        file.UpCardPresent = 0;
        PanelState state;
        QVERIFY(PanelOptions::loadDataFile(DataFile::format(file), state));
        QCOMPARE(state.commandMatrix, file.items.CommandMatrix);
        QCOMPARE(state.alarmModes, file.items.AlarmModes);
        QCOMPARE(state.functionTypes, file.items.FunctionTypes);
        QCOMPARE(state.relays, file.items.RelayMatrix);
        QCOMPARE(state.output12v, 0);
        QCOMPARE(state.aes, 0);
        QCOMPARE(state.upCardPresent, 0);
        QCOMPARE(state.codes, (std::array<std::uint8_t, 8>{3, 4, 5, 5, 5, 4, 3, 3}));
    }

    void badDataFileChangesNothing()
    {
        PanelState state;
        const PanelState before;
        QByteArray bytes = DataFile::format({{}, {QStringLiteral("AAAA"), QStringLiteral("BBBB")}, 1});
        bytes.chop(10);   // the last lines are missing
        QVERIFY(!PanelOptions::loadDataFile(bytes, state));
        QCOMPARE(state.commandMatrix, before.commandMatrix);
        QCOMPARE(state.codes, before.codes);
    }

    // The PNG rendered from the installed SVG looks like the icon the main window draws.
    void installedIconIsTheWindowIcon_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("32") << 32;
        QTest::newRow("48") << 48;
    }

    void installedIconIsTheWindowIcon()
    {
        QFETCH(int, size);
        FakePrompts prompts;
        Session session;
        Link link(prompts, {});
        MainWindow window(session, link, prompts);
        const QImage drawn = window.windowIcon().pixmap(size, size).toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
        const QImage installed =
            QImage(QStringLiteral(TORVA_ICON_DIR "/%1x%1/apps/torva-pc.png").arg(size))
                .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(installed.size(), QSize(size, size));
        QCOMPARE(drawn.size(), QSize(size, size));
        // Two renderers smooth the edges a little differently; the drawing itself must agree.
        int differing = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QColor a = drawn.pixelColor(x, y);
                const QColor b = installed.pixelColor(x, y);
                const int diff = std::abs(a.red() - b.red()) + std::abs(a.green() - b.green())
                                 + std::abs(a.blue() - b.blue()) + std::abs(a.alpha() - b.alpha());
                if (diff > 96)
                    ++differing;
            }
        QVERIFY2(differing <= size * size / 50, qPrintable(QString::number(differing)));
    }
};

TORVA_TEST(SimOptionsTest)
#include "tst_simoptions.moc"
