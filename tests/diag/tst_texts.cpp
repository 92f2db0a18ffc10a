// The texts shown without a panel: the number masks and the about box.
#include "support/TestRegistry.h"

#include "diag/NumberMask.h"
#include "editor/FrmAbout.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TextsTest : public QObject
{
    Q_OBJECT
private slots:
    void masks_data();
    void masks();
    void aboutSameTextsEachTime();
};

void TextsTest::masks_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");

    const QString group = QLocale(QLocale::French).groupSeparator();
    QTest::newRow("0 ##0.0") << 0.0 << "##0.0" << "0,0";
    QTest::newRow("44.16 ##0.0") << 44.16 << "##0.0" << "44,2";
    QTest::newRow("24.5 ##0,0: half goes up") << 24.5 << "##0,0" << "25";
    QTest::newRow("13.75 ##0,0") << 13.75 << "##0,0" << "14";
    QTest::newRow("5.2 ##0,0: two digits") << 5.2 << "##0,0" << "05";
    QTest::newRow("12345.6 ##0,0: thousands") << 12345.6 << "##0,0" << "12" + group + "346";
    QTest::newRow("5.0 ##0.000") << 5.0 << "##0.000" << "5,000";
    QTest::newRow("1.0005 ##0.000: stored below the half") << 1.0005 << "##0.000" << "1,001";
    QTest::newRow("1.5 00") << 1.5 << "00" << "02";
    QTest::newRow("12345 00000") << 12345.0 << "00000" << "12345";
}

void TextsTest::masks()
{
    QFETCH(double, value);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(NumberMask::format(value, mask, QLocale(QLocale::French)), expected);
}

void TextsTest::aboutSameTextsEachTime()
{
    const QStringList expected{"A propos de TORVA PC", "Date de compilation=09/09/08", "V3.0", "TORVA-PC",
                               "Configurateur pour TORVA-UP", "picture", "closed"};
    QList<QStringList> seen;
    for (int i = 0; i < 2; ++i) {
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<FrmAbout *>(QApplication::activeModalWidget());
            // The program's icon filling the picture: the white bell on its red plate.
            const QImage image = box->Image1->pixmap().toImage();
            const bool picture = image.size() == QSize(64, 64) && image.pixelColor(8, 32) == QColor(0xD0, 0x10, 0x10)
                              && image.pixelColor(32, 32) == QColor(Qt::white);
            box->cmdOK->click();
            seen << QStringList{box->windowTitle(), box->Compil_Lbl->text(), box->lblVersion->text(),
                                box->lblTitle->text(), box->Description_Lbl->text(),
                                picture ? "picture" : "no picture", box->isVisible() ? "left open" : "closed"};
            box->done(QDialog::Rejected);   // one that OK left open fails, not hangs
        });
        FrmAbout::showAbout();
    }
    QCOMPARE(seen, (QList<QStringList>{expected, expected}));
}

TORVA_TEST(TextsTest)
#include "tst_texts.moc"
