// The number masks and the serial-number fields, without a panel.
#include "support/TestRegistry.h"

#include "diag/NumberMask.h"
#include "diag/SerialNumber.h"

#include <QTest>

class NumberMaskTest : public QObject
{
    Q_OBJECT
private slots:
    void masks_data();
    void masks();
    void serialFields_data();
    void serialFields();
};

void NumberMaskTest::masks_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");

    const QString group = QLocale(QLocale::French).groupSeparator();
    QTest::newRow("zero, one decimal") << 0.0 << "##0.0" << "0,0";
    QTest::newRow("one decimal rounds") << 44.16 << "##0.0" << "44,2";
    QTest::newRow("one decimal, half goes up") << 20.25 << "##0.0" << "20,3";
    QTest::newRow("grouped, half goes up") << 24.5 << "##0,0" << "25";
    QTest::newRow("grouped rounds up") << 13.75 << "##0,0" << "14";
    QTest::newRow("grouped keeps two digits") << 5.2 << "##0,0" << "05";
    QTest::newRow("grouped thousands") << 12345.6 << "##0,0" << "12" + group + "346";
    QTest::newRow("three decimals") << 5.0 << "##0.000" << "5,000";
    QTest::newRow("three decimals, stored below the half") << 1.0005 << "##0.000" << "1,001";
    QTest::newRow("two digits, half goes up") << 1.5 << "00" << "02";
    QTest::newRow("two digits pad") << 3.0 << "00" << "03";
    QTest::newRow("two digits, more shown") << 123.0 << "00" << "123";
    QTest::newRow("counter") << 12345.0 << "00000" << "12345";
    QTest::newRow("counter pads") << 42.0 << "00000" << "00042";
    QTest::newRow("counter above 32767") << 65279.0 << "00000" << "65279";
    QTest::newRow("version digit") << 3.0 << "#0" << "3";
    QTest::newRow("version zero") << 0.0 << "#0" << "0";
    QTest::newRow("negative half away from zero") << -2.5 << "#0" << "-3";
    QTest::newRow("negative rounds to zero, no sign") << -0.04 << "##0.0" << "0,0";
}

void NumberMaskTest::masks()
{
    QFETCH(double, value);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(NumberMask::format(value, mask, QLocale(QLocale::French)), expected);
}

void NumberMaskTest::serialFields_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("n");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("usual") << "2" << "7" << "1000" << true << QByteArray("\x47\xE8\x03", 3);
    QTest::newRow("largest") << "7" << "15" << "65279" << true << QByteArray("\xEF\xFF\xFE", 3);
    QTest::newRow("smallest") << "0" << "0" << "0" << true << QByteArray("\x00\x00\x00", 3);
    QTest::newRow("blanks around") << " 1 " << "3" << " 12345" << true
                                   << QByteArray("\x23\x39\x30", 3);
    QTest::newRow("A too big") << "8" << "0" << "1" << false << QByteArray();
    QTest::newRow("B too big") << "0" << "16" << "1" << false << QByteArray();
    QTest::newRow("N would read not stored") << "0" << "0" << "65280" << false << QByteArray();
    QTest::newRow("negative") << "-1" << "0" << "1" << false << QByteArray();
    QTest::newRow("decimal") << "1" << "2" << "10.5" << false << QByteArray();
    QTest::newRow("empty") << "1" << "" << "10" << false << QByteArray();
    QTest::newRow("designed text") << "Text1" << "Text2" << "Text3" << false << QByteArray();
    QTest::newRow("leading number only") << "2abc" << "7" << "1000" << false << QByteArray();
    QTest::newRow("huge") << "1" << "2" << "99999999999" << false << QByteArray();
}

void NumberMaskTest::serialFields()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, n);
    QFETCH(bool, valid);
    QFETCH(QByteArray, bytes);

    const auto serial = SerialNumber::fromFields(a, b, n);
    QCOMPARE(serial.has_value(), valid);
    if (serial)
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(serial->bytes.data()), 3), bytes);
}

TORVA_TEST(NumberMaskTest)
#include "tst_numbermask.moc"
