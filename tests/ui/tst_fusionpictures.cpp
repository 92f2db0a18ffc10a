// The window's style reads Fusion's pictures itself: what it draws must be Fusion's, pixel for
// pixel, or the window's frames and menu bar would look unlike every other Qt program's.
#include "support/TestRegistry.h"

#include "ui/FusionPictures.h"

#include <QGroupBox>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTest>

#include <memory>

class FusionPicturesTest : public QObject
{
    Q_OBJECT

private slots:
    void groupBoxFrames_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("checkable");
        QTest::newRow("titled") << QStringLiteral("BOUCLE 1") << false;
        QTest::newRow("without a title") << QString() << false;
        QTest::newRow("with a check box only") << QString() << true;
    }

    void groupBoxFrames()
    {
        QFETCH(QString, title);
        QFETCH(bool, checkable);
        QGroupBox box(title);
        box.setCheckable(checkable);
        box.resize(180, 90);
        box.setStyle(m_fusion.get());
        const QImage fusion = box.grab().toImage();
        box.setStyle(&m_pictures);
        QCOMPARE(box.grab().toImage(), fusion);
    }

    void overflowArrows_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<Qt::LayoutDirection>("direction");
        QTest::newRow("horizontal") << int(QStyle::SP_ToolBarHorizontalExtensionButton) << Qt::LeftToRight;
        QTest::newRow("horizontal, right to left")
            << int(QStyle::SP_ToolBarHorizontalExtensionButton) << Qt::RightToLeft;
        QTest::newRow("vertical") << int(QStyle::SP_ToolBarVerticalExtensionButton) << Qt::LeftToRight;
    }

    void overflowArrows()
    {
        QFETCH(int, which);
        QFETCH(Qt::LayoutDirection, direction);
        QStyleOption option;
        option.direction = direction;
        const auto pixmap = QStyle::StandardPixmap(which);
        const QIcon fusion = m_fusion->standardIcon(pixmap, &option);
        const QIcon ours = m_pictures.standardIcon(pixmap, &option);
        QVERIFY(!fusion.availableSizes().isEmpty());
        QCOMPARE(ours.availableSizes(), fusion.availableSizes());
        for (const QSize &size : fusion.availableSizes())
            QCOMPARE(ours.pixmap(size).toImage(), fusion.pixmap(size).toImage());
    }

private:
    std::unique_ptr<QStyle> m_fusion{QStyleFactory::create(QStringLiteral("fusion"))};
    FusionPictures m_pictures;
};

TORVA_TEST(FusionPicturesTest)
#include "tst_fusionpictures.moc"
