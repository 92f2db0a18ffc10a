// The about box.
#include "support/TestRegistry.h"

#include "editor/FrmAbout.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class AboutTest : public QObject
{
    Q_OBJECT
private slots:
    void sameTextsEachTime();
};

void AboutTest::sameTextsEachTime()
{
    const QStringList expected{"A propos de TORVA PC", "Date de compilation=09/09/08", "V3.0",
                               "TORVA-PC", "Configurateur pour TORVA-UP"};
    QList<QStringList> seen;
    for (int i = 0; i < 2; ++i) {
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<FrmAbout *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen << QStringList{box->windowTitle(), box->Compil_Lbl->text(),
                                box->lblVersion->text(), box->lblTitle->text(),
                                box->Description_Lbl->text()};
            QVERIFY(!box->Image1->pixmap().isNull());
            box->cmdOK->click();
        });
        QTimer::singleShot(5000, [] {   // watchdog: a box that OK does not close
            if (auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                box->done(QDialog::Rejected);
        });
        FrmAbout::showAbout();
        QVERIFY(!qobject_cast<FrmAbout *>(QApplication::activeModalWidget()));
    }
    QCOMPARE(seen, (QList<QStringList>{expected, expected}));
}

TORVA_TEST(AboutTest)
#include "tst_about.moc"
