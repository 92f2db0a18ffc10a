// One measurement cycle against the emulated panel: raw readings to texts and bars.
#include "support/TestRegistry.h"

#include "DiagBench.h"

#include <QFrame>

namespace {
enum class Channel { Loop, Panel, Card };
constexpr int kLoop = 3;   // the loop whose reading each row sets
}
Q_DECLARE_METATYPE(Channel)

class MeasurementsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }
    void shown_data();
    void shown();
    void outOfRange_data();
    void outOfRange();
};

namespace {
void setRaw(EmulatedPanel &panel, Channel channel, int subCode, std::uint16_t raw)
{
    switch (channel) {
    case Channel::Loop: panel.state.loopRaw[kLoop] = raw; break;
    case Channel::Panel: panel.state.ecsRaw[std::size_t(subCode)] = raw; break;
    case Channel::Card: panel.state.cardRaw[std::size_t(subCode)] = raw; break;
    }
}
} // namespace

void MeasurementsTest::shown_data()
{
    QTest::addColumn<Channel>("channel");
    QTest::addColumn<int>("subCode");
    QTest::addColumn<int>("raw");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("bar");       // loops only
    QTest::addColumn<double>("barLoad");   // loops only: mA the bar stands for

    const QColor red(255, 0, 0), yellow(255, 255, 0), green(0, 255, 0);
    QTest::newRow("loop empty") << Channel::Loop << 0 << 0 << "Ib(3)" << "0,0 mA" << yellow << 0.0;
    QTest::newRow("loop 8.8 mA") << Channel::Loop << 0 << 60 << "Ib(3)" << "8,8 mA" << green << 8.83;
    QTest::newRow("loop 44 mA") << Channel::Loop << 0 << 300 << "Ib(3)" << "44,2 mA" << red << 44.16;
    QTest::newRow("loop just under 20 mA") << Channel::Loop << 0 << 135 << "Ib(3)" << "19,9 mA"
                                           << green << 19.87;
    QTest::newRow("loop 20 mA") << Channel::Loop << 0 << 136 << "Ib(3)" << "20,0 mA" << red << 20.02;
    QTest::newRow("loop full") << Channel::Loop << 0 << 680 << "Ib(3)" << ">=100 mA" << red << 100.0;
    QTest::newRow("loop largest") << Channel::Loop << 0 << 6553 << "Ib(3)" << ">=100 mA" << red
                                  << 100.0;
    QTest::newRow("service full") << Channel::Panel << 0 << 1023 << "Label1(13)"
                                  << "Tension de service = 25 v" << QColor() << 0.0;
    QTest::newRow("service 574") << Channel::Panel << 0 << 574 << "Label1(13)"
                                 << "Tension de service = 14 v" << QColor() << 0.0;
    QTest::newRow("panel battery two digits") << Channel::Panel << 2 << 212 << "Label1(14)"
                                              << "Tension de Batterie = 05 v" << QColor() << 0.0;
    QTest::newRow("panel charger") << Channel::Panel << 3 << 500 << "Label1(15)"
                                   << "Tension du Chargeur = 12 v" << QColor() << 0.0;
    QTest::newRow("card battery") << Channel::Card << 2 << 1023 << "Label1(17)"
                                  << "Tension de Batterie = 25 v" << QColor() << 0.0;
    QTest::newRow("card charger") << Channel::Card << 5 << 574 << "Label1(18)"
                                  << "Tension du Chargeur = 14 v" << QColor() << 0.0;
    QTest::newRow("AES full") << Channel::Card << 4 << 1023 << "Label1(5)"
                              << "Tension AES = 65 v" << QColor() << 0.0;
    QTest::newRow("sounder line 1 full") << Channel::Card << 0 << 1023 << "Label1(2)"
                                         << "Charge ligne diffuseurs 1 = 5,000 A" << QColor() << 0.0;
    QTest::newRow("sounder line 2") << Channel::Card << 1 << 82 << "Label1(6)"
                                    << "Charge ligne diffuseurs 2 = 0,401 A" << QColor() << 0.0;
}

void MeasurementsTest::shown()
{
    QFETCH(Channel, channel);
    QFETCH(int, subCode);
    QFETCH(int, raw);
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(QColor, bar);
    QFETCH(double, barLoad);

    DiagBench bench;
    setRaw(bench.panel, channel, subCode, std::uint16_t(raw));
    QVERIFY(bench.runOneCycle());

    auto *shown = bench.window->findChild<QLabel *>(control);
    QVERIFY(shown);
    QCOMPARE(shown->text(), text);
    if (channel == Channel::Loop) {
        QFrame *meter = bench.window->Vu_Metre[kLoop];
        QCOMPARE(meter->palette().color(QPalette::Window), bar);
        const int scale = bench.window->Cadre_Vu[kLoop]->width();
        QCOMPARE(meter->width(), qRound(scale * barLoad / 100.0));
    }
    QVERIFY(bench.prompts.messages().isEmpty());
}

void MeasurementsTest::outOfRange_data()
{
    QTest::addColumn<Channel>("channel");
    QTest::addColumn<int>("subCode");
    QTest::addColumn<int>("raw");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("designed");   // the control keeps it: no value is shown

    QTest::newRow("loop high byte 128") << Channel::Loop << 0 << 0x8000 << "Ib(3)" << "mA";
    QTest::newRow("loop above 6553") << Channel::Loop << 0 << 6554 << "Ib(3)" << "mA";
    QTest::newRow("service high byte 128") << Channel::Panel << 0 << 0x80FF << "Label1(13)"
                                        << "Tension de service";
    QTest::newRow("sounder line high byte 255") << Channel::Card << 1 << 0xFF00 << "Label1(6)"
                                             << "Charge ligne diffuseurs 2";
}

void MeasurementsTest::outOfRange()
{
    QFETCH(Channel, channel);
    QFETCH(int, subCode);
    QFETCH(int, raw);
    QFETCH(QString, control);
    QFETCH(QString, designed);

    DiagBench bench;
    setRaw(bench.panel, channel, subCode, std::uint16_t(raw));
    bench.open();
    // No "FERMER": the reading alone ends the diagnostic, silently.
    QVERIFY(bench.waitEnded());
    QCOMPARE(bench.ended, 1);
    QCOMPARE(bench.window->findChild<QLabel *>(control)->text(), designed);
    QVERIFY(!bench.window->isVisible());
    QVERIFY(!bench.window->Timer1->isActive());
    QVERIFY(!bench.link.DiagInProgress);
    QCOMPARE(bench.prompts.busyDepth, 0);
    QVERIFY(bench.prompts.messages().isEmpty());
}

TORVA_TEST(MeasurementsTest)
#include "tst_measurements.moc"
