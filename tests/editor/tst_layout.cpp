#include "support/TestRegistry.h"
#include "support/WindowFixture.h"

#include "editor/LinedFrame.h"

#include <QTest>
#include <QtWidgets>

#include <functional>

namespace {

// One line per control of the window, frame by frame in the order they are made (the Tab order),
// then the menus: name | class | frame | place in pixels | caption | tooltip. A decorative line is
// "line" in its frame, from one end to the other.
QStringList controlLines(MainWindow &window)
{
    QStringList out;
    const auto add = [&](const QString &name, const char *kind, const QString &parent, const QString &place,
                         const QString &caption, const QString &toolTip) {
        QStringList fields{name, QLatin1String(kind), parent, place, caption, toolTip};
        while (fields.last().isEmpty()) // no blank at the end of a line, which an editor would strip
            fields.removeLast();
        out << fields.join(QStringLiteral(" | "));
    };
    std::function<void(QWidget *)> walk = [&](QWidget *parent) {
        for (QWidget *w : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            const QRect g = w->geometry();
            add(w->objectName(), w->metaObject()->className(), parent->objectName(),
                QStringLiteral("%1,%2 %3x%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height()),
                w->property(w->inherits("QGroupBox") ? "title" : "text").toString(), w->toolTip());
            if (auto *lined = qobject_cast<LinedFrame *>(w))
                for (const QLine &l : lined->lines())
                    add(QStringLiteral("-"), "line", w->objectName(),
                        QStringLiteral("%1,%2 - %3,%4").arg(l.x1()).arg(l.y1()).arg(l.x2()).arg(l.y2()), {},
                        {});
            walk(w);
        }
    };
    walk(window.findChild<QWidget *>(QStringLiteral("client")));
    for (QAction *a : window.menuBar()->actions())
        add(a->menu() ? a->menu()->objectName() : a->objectName(), a->menu() ? "menu" : "menu item",
            QStringLiteral("menu bar"), {}, a->text(), {});
    for (QAction *a : window.commands().Util_Menu->actions())
        add(a->objectName(), "menu item", window.commands().Util_Menu->objectName(), {}, a->text(), {});
    return out;
}

} // namespace

class MainWindowLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    // Every control and menu item of the window against the reviewed list in
    // main-window-controls.txt; TORVA_WRITE_SNAPSHOT=1 writes the window's list there instead, for
    // review in the diff.
    void controlsAsReviewed()
    {
        WindowFixture f;
        const QStringList got = controlLines(f.window);
        QFile file(QStringLiteral(TORVA_MAIN_WINDOW_CONTROLS));
        if (qEnvironmentVariableIntValue("TORVA_WRITE_SNAPSHOT")) {
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
            file.write((got.join('\n') + '\n').toUtf8());
            QSKIP("snapshot written");
        }
        QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.fileName()));
        // A difference names the first line that differs, as the window makes it and as reviewed.
        const QStringList reviewed = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(got, reviewed);
    }

    // The window right after start-up, drawn into TORVA_MAIN_WINDOW_PNG when that is set (README).
    void picture()
    {
        WindowFixture f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QCOMPARE(f.window.windowTitle(), QStringLiteral("OSTRALEC CONFIGURATION TORVA Rev.3.00"));
        QCOMPARE(f.window.centralWidget()->size(), QSize(751, 600));
        const QString path = qEnvironmentVariable("TORVA_MAIN_WINDOW_PNG");
        QVERIFY(path.isEmpty() || f.window.grab().save(path, "PNG"));
    }
};

#include "tst_layout.moc"
TORVA_TEST(MainWindowLayoutTest)
