// Without a panel: the number masks, the serial numbers as shown and as entered, the about box.
#include "support/TestRegistry.h"

#include "diagreads/NumberMask.h"
#include "diagreads/SerialNumber.h"
#include "editor/FrmAbout.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(SerialNumber)
Q_DECLARE_METATYPE(std::optional<SerialNumber>)

class TextsTest : public QObject
{
    Q_OBJECT
private slots:
    void masks_data();
    void masks();
    void serialText_data();
    void serialText();
    void serialFields_data();
    void serialFields();
    void aboutSameTextsEachTime();
};

void TextsTest::masks_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");

    const QString group = QLocale(QLocale::French).groupSeparator();
    QTest::newRow("24.5 ##0,0: half goes up") << 24.5 << "##0,0"
                                              << "25";
    QTest::newRow("12345.6 ##0,0: thousands") << 12345.6 << "##0,0"
                                              << "12" + group + "346";
    QTest::newRow("1.0005 ##0.000: stored below the half") << 1.0005 << "##0.000"
                                                           << "1,001";
}

void TextsTest::masks()
{
    QFETCH(double, value);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(NumberMask::format(value, mask, QLocale(QLocale::French)), expected);
}

void TextsTest::serialText_data()
{
    QTest::addColumn<SerialNumber>("serial");
    QTest::addColumn<QString>("text");
    QTest::newRow("b0 0x33: bit 4 rounds A up")
        << SerialNumber{{0x33, 0x39, 0x30}} << "N° de Série =020312345";
    QTest::newRow("b2 255: not stored") << SerialNumber{{0x47, 0x39, 0xFF}} << "N° de Série = Non Disponible";
    QTest::newRow("counter above 32767") << SerialNumber{{0x47, 0xFF, 0xFE}} << "N° de Série =020765279";
}

void TextsTest::serialText()
{
    QFETCH(SerialNumber, serial);
    QFETCH(QString, text);
    QCOMPARE(serial.text(QLocale(QLocale::French)), text);
}

void TextsTest::serialFields_data()
{
    QTest::addColumn<QStringList>("fields"); // A, B and N as typed
    QTest::addColumn<std::optional<SerialNumber>>("serial");
    const auto bytes = [](int b0, int b1, int b2) {
        return std::optional(SerialNumber{{std::uint8_t(b0), std::uint8_t(b1), std::uint8_t(b2)}});
    };
    const std::optional<SerialNumber> refused;
    QTest::newRow("blanks around") << QStringList{" 1 ", "3", " 12345"} << bytes(35, 57, 48);
    QTest::newRow("B 16") << QStringList{"0", "16", "1"} << refused;
    QTest::newRow("N 65280 would read not stored") << QStringList{"0", "0", "65280"} << refused;
    QTest::newRow("N huge") << QStringList{"1", "2", "99999999999"} << refused;
    QTest::newRow("designed texts") << QStringList{"Text1", "Text2", "Text3"} << refused;
    QTest::newRow("leading number only") << QStringList{"2abc", "7", "1000"} << refused;
    QTest::newRow("empty") << QStringList{"1", "", "10"} << refused;
}

void TextsTest::serialFields()
{
    QFETCH(QStringList, fields);
    QFETCH(std::optional<SerialNumber>, serial);
    const auto entered = SerialNumber::fromFields(fields[0], fields[1], fields[2]);
    QCOMPARE(entered.has_value(), serial.has_value());
    if (serial)
        QCOMPARE(entered->bytes, serial->bytes);
}

void TextsTest::aboutSameTextsEachTime()
{
    const QStringList expected{"A propos de TORVA PC",
                               "Date de compilation=09/09/08",
                               "V3.0",
                               "TORVA-PC",
                               "Configurateur pour TORVA-UP",
                               "picture",
                               "closed"};
    QList<QStringList> seen;
    for (int i = 0; i < 2; ++i) {
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<FrmAbout *>(QApplication::activeModalWidget());
            // The program's icon filling the picture: the white bell on its red plate.
            const QImage image = box->Image1->pixmap().toImage();
            const bool picture = image.size() == QSize(64, 64) &&
                                 image.pixelColor(8, 32) == QColor(0xD0, 0x10, 0x10) &&
                                 image.pixelColor(32, 32) == QColor(Qt::white);
            box->cmdOK->click();
            seen << QStringList{box->windowTitle(),
                                box->Compil_Lbl->text(),
                                box->lblVersion->text(),
                                box->lblTitle->text(),
                                box->Description_Lbl->text(),
                                picture ? "picture" : "no picture",
                                box->isVisible() ? "left open" : "closed"};
            box->done(QDialog::Rejected); // one that OK left open fails, not hangs
        });
        FrmAbout::showAbout();
    }
    QCOMPARE(seen, (QList<QStringList>{expected, expected}));
}

TORVA_TEST(TextsTest)
#include "tst_texts.moc"
