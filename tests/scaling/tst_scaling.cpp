// The windows as the screen draws them at its scale (100, 125, 150 or 200 %): nothing cut, nothing
// under something else, every control inside its frame; and a main window that fits a screen
// smaller than itself, its content scrolling. ctest runs this program once per screen, each
// described to Qt's offscreen platform; scripts/windows.sh runs it under Wine at each of Windows'
// scalings.
//
//   TORVA_SCREEN_FITS=whole|scrolls   what the main window must do on this run's screen
//   TORVA_SCALING_PICTURES=DIR        also writes each window's picture there (DIR/main.png ...)
#include "scaling/LayoutFaults.h"
#include "support/TestRegistry.h"
#include "support/WindowFixture.h"

#include "compare/CompareFrm.h"
#include "diag/DiagFrm.h"
#include "linkwindows/PortFrm.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <memory>

namespace {

void savePicture(QWidget &window, const QString &name)
{
    const QString folder = qEnvironmentVariable("TORVA_SCALING_PICTURES");
    if (!folder.isEmpty() && QDir().mkpath(folder))
        QVERIFY(window.grab().save(QDir(folder).filePath(name + QStringLiteral(".png")), "PNG"));
}

QString screenLine()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return QStringLiteral("screen %1x%2 at %3 %")
        .arg(screen->availableGeometry().width())
        .arg(screen->availableGeometry().height())
        .arg(qRound(screen->devicePixelRatio() * 100));
}

} // namespace

class ScalingTest : public QObject
{
    Q_OBJECT

private slots:
    void windowsDrawnWhole_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("main") << QStringLiteral("main");
        QTest::newRow("diagnostic") << QStringLiteral("diagnostic");
        QTest::newRow("port") << QStringLiteral("port");
        QTest::newRow("comparison") << QStringLiteral("comparison");
    }

    void windowsDrawnWhole()
    {
        QFETCH(QString, window);
        WindowFixture f;
        std::unique_ptr<QWidget> made;
        QWidget *shown = &f.window;
        if (window == QLatin1String("diagnostic")) {
            // The diagnostic reads the emulated panel: its labels hold what they show at work.
            f.link.openPort(PortChoice::simulated());
            auto *diag = new DiagFrm(f.link, f.session, f.prompts, true);
            made.reset(diag);
            shown = diag;
        } else if (window == QLatin1String("port")) {
            made = std::make_unique<PortFrm>(f.link);
            shown = made.get();
        } else if (window == QLatin1String("comparison")) {
            PanelConfig changed;
            changed.setAlarmMode(2, AlarmMode::Discrimination);
            changed.RelayMatrix[0] = 0x10;
            changed.AccessCodes[1] = QStringLiteral("ABAB");
            made =
                std::make_unique<CompareFrm>(differences(PanelConfig(), changed), CompareFrm::Against::Panel);
            shown = made.get();
        }
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        if (auto *diag = qobject_cast<DiagFrm *>(shown))
            QTRY_VERIFY(
                diag->Ib[DiagFrm::kLoops - 1]->text().contains(QRegularExpression(QStringLiteral("[0-9]"))));
        const QStringList faults = layoutFaults(*shown);
        savePicture(*shown, window);
        QVERIFY2(faults.isEmpty(), qPrintable(screenLine() + QStringLiteral(":\n") + faults.join('\n')));
    }

    // On a screen with room the window is whole and nothing scrolls; on a smaller one it fits the
    // screen's available area and its bottom (loop 8, the AES choice) scrolls into view.
    void mainWindowFitsTheScreen()
    {
        const QString expected = qEnvironmentVariable("TORVA_SCREEN_FITS");
        if (expected.isEmpty())
            QSKIP("TORVA_SCREEN_FITS says what this run's screen must give");
        WindowFixture f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        auto *scroll = qobject_cast<QScrollArea *>(f.window.centralWidget());
        QVERIFY(scroll);
        QWidget *client = scroll->widget();
        const QRect room = f.window.screen()->availableGeometry();
        const QRect frame = f.window.frameGeometry();
        const QString where = screenLine() + QStringLiteral(", window %1,%2 %3x%4")
                                                 .arg(frame.x())
                                                 .arg(frame.y())
                                                 .arg(frame.width())
                                                 .arg(frame.height());
        qInfo("%s", qPrintable(where));
        QVERIFY2(room.contains(frame) || expected == QLatin1String("whole"), qPrintable(where));
        if (expected == QLatin1String("whole")) {
            QVERIFY2(!scroll->verticalScrollBar()->isVisible() && !scroll->horizontalScrollBar()->isVisible(),
                     qPrintable(where));
            QCOMPARE(scroll->viewport()->size(), client->size());
            QCOMPARE(f.window.minimumSize(), f.window.maximumSize()); // as designed: not resizable
            return;
        }
        QCOMPARE(expected, QStringLiteral("scrolls"));
        QVERIFY2(scroll->verticalScrollBar()->isVisible(), qPrintable(where));
        // All the height there is, not the platform's default size for a window that can shrink.
        QCOMPARE(frame.height(), room.height());
        auto *lastChoice = control<QRadioButton>(f.window, QStringLiteral("AES_Option(1)"));
        const QRect viewport = scroll->viewport()->rect();
        QVERIFY(
            !viewport.contains(QRect(lastChoice->mapTo(scroll->viewport(), QPoint()), lastChoice->size())));
        scroll->ensureWidgetVisible(lastChoice);
        QVERIFY(
            viewport.contains(QRect(lastChoice->mapTo(scroll->viewport(), QPoint()), lastChoice->size())));
        savePicture(f.window, QStringLiteral("main-scrolled"));
    }
};

TORVA_TEST(ScalingTest)
#include "tst_scaling.moc"
