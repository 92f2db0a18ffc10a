// The real prompts as the installer sees them: Qt's standard buttons in French.
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "editor/Leave.h"
#include "link/Link.h"
#include "seams/StartUp.h"
#include "ui/WidgetPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class PromptsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QTemporaryDir empty;
        QVERIFY(!StartUp::loadQtFrench(empty.path())); // no catalogue there: English stays
        StartUp::prepareProgram();
    }

    // The leave question shown by the program's own code, read while it waits, then closed with
    // Escape, which runs the save as Yes does (a reflex key must not lose the configuration). It
    // is drawn into TORVA_LEAVE_QUESTION_PNG when that is set (README).
    void frenchTexts()
    {
        WidgetPrompts prompts;
        QStringList seen;
        bool drawn = true;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            seen << box->windowTitle() << box->text();
            for (const QAbstractButton *button : box->buttons())
                seen << button->text();
            const QString picture = qEnvironmentVariable("TORVA_LEAVE_QUESTION_PNG");
            if (!picture.isEmpty())
                drawn = box->grab().save(picture, "PNG");
            QTest::keyClick(box, Qt::Key_Escape);
        });
        Session session;
        session.ConfigSaved = false;
        Link link(prompts, [](const PortChoice &) { return std::unique_ptr<SerialPort>(); });
        int saves = 0;
        // The save fails: the program stays, the configuration kept.
        QVERIFY(!leaveProgram(link, session, prompts, [&saves] {
            ++saves;
            return SaveResult::Failed;
        }));
        QCOMPARE(saves, 1);
        QVERIFY(drawn);
        seen.sort();
        QCOMPARE(seen, QStringList({"&Non", "&Oui", "DESIREZ-VOUS SAUVEGARDER CETTE CONFIGURATION ?",
                                    "FICHIER DONNEES"}));
    }
};

TORVA_TEST(PromptsTest)
#include "tst_prompts.moc"
