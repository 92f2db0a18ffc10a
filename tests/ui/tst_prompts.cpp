// The real prompts as the installer sees them: Qt's standard buttons and file dialogs in French.
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "editor/Leave.h"
#include "files/FileCommands.h"
#include "link/Link.h"
#include "seams/StartUp.h"
#include "sheet/SheetCommands.h"
#include "ui/WidgetPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
enum class Prompt { LeaveQuestion, MessageWithDetails, OpenDialog, SaveDialog };
}
Q_DECLARE_METATYPE(Prompt)

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

    void frenchTexts_data()
    {
        QTest::addColumn<Prompt>("prompt");
        QTest::addColumn<QStringList>("texts"); // title, then every label and button with a text
        QTest::newRow("leave question")
            << Prompt::LeaveQuestion
            << QStringList{"FICHIER DONNEES", "DESIREZ-VOUS SAUVEGARDER CETTE CONFIGURATION ?", "&Oui",
                           "&Non"};
        QTest::newRow("port failure with its details")
            << Prompt::MessageWithDetails
            << QStringList{"ERREUR DE COM", "Port série introuvable ou déjà ouvert !", "OK",
                           "Montrer les détails..."};
        const QStringList fields{"Voir dans :", "&Nom de fichier :", "Fichiers de type :", "Annuler"};
        QTest::newRow("open dialog") << Prompt::OpenDialog
                                     << QStringList{"Ouvrir"} + fields + QStringList{"&Ouvrir"};
        QTest::newRow("save dialog") << Prompt::SaveDialog
                                     << QStringList{"Enregistrer sous"} + fields +
                                            QStringList{"&Enregistrer"};
    }

    // Each prompt shown by the program's own code, read while it waits, then closed with Escape.
    // The leave question is drawn into TORVA_LEAVE_QUESTION_PNG when that is set (README).
    void frenchTexts()
    {
        QFETCH(Prompt, prompt);
        QFETCH(QStringList, texts);
        WidgetPrompts prompts;
        QStringList seen;
        bool drawn = true;
        QTimer::singleShot(0, this, [&] {
            QWidget *box = QApplication::activeModalWidget();
            QVERIFY(box);
            seen << box->windowTitle();
            for (QWidget *w : box->findChildren<QWidget *>()) {
                const auto *label = qobject_cast<QLabel *>(w);
                const auto *button = qobject_cast<QAbstractButton *>(w);
                const QString text = label ? label->text() : button ? button->text() : QString();
                if (w->isVisible() && !text.isEmpty())
                    seen << text;
            }
            const QString picture = qEnvironmentVariable("TORVA_LEAVE_QUESTION_PNG");
            if (prompt == Prompt::LeaveQuestion && !picture.isEmpty())
                drawn = box->grab().save(picture, "PNG");
            QTest::keyClick(box, Qt::Key_Escape);
        });
        switch (prompt) {
        case Prompt::LeaveQuestion: {
            Session session;
            session.ConfigSaved = false;
            Link link(prompts, [](const PortChoice &) { return std::unique_ptr<SerialPort>(); });
            // Escape answers No: the program may end without saving.
            QVERIFY(leaveProgram(link, session, prompts, [] { return SaveResult::Failed; }));
            break;
        }
        case Prompt::MessageWithDetails:
            prompts.message(QStringLiteral("Port série introuvable ou déjà ouvert !"),
                            QStringLiteral("ERREUR DE COM"), Prompts::Icon::Warning,
                            QStringLiteral("Aucun port n'a été indiqué."));
            break;
        case Prompt::OpenDialog:
            QCOMPARE(prompts.openFileName("Fichiers données (*.dat)", "dat"), QString());
            break;
        case Prompt::SaveDialog:
            QCOMPARE(prompts.saveFileName("Fichiers données (*.dat)", "dat"), QString());
            break;
        }
        QVERIFY(drawn);
        seen.sort();
        texts.sort();
        QCOMPARE(seen, texts);
    }

    void filterLists_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("entry"); // the filter chosen in the dialog
        QTest::addColumn<QStringList>("listed");
        const QStringList every{"LISEZMOI", "config.dat", "fiche.pdf"};
        QTest::newRow("data files") << FileCommands::kFilter << 0 << QStringList{"config.dat"};
        QTest::newRow("data files' dialog, every file") << FileCommands::kFilter << 1 << every;
        QTest::newRow("PDF dialog, every file") << SheetCommands::kPdfFilter << 1 << every;
    }

    // The files the dialog offers in a folder holding a name without a dot, once a filter is chosen.
    void filterLists()
    {
        QFETCH(QString, filter);
        QFETCH(int, entry);
        QFETCH(QStringList, listed);
        QTemporaryDir dir;
        for (const char *name : {"LISEZMOI", "config.dat", "fiche.pdf"})
            QVERIFY(QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
        WidgetPrompts prompts;
        QStringList seen;
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->setDirectory(dir.path());
            dialog->selectNameFilter(dialog->nameFilters().value(entry));
            const QListView *list = dialog->findChild<QListView *>(QStringLiteral("listView"));
            const auto shown = [&] {
                QStringList names;
                for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row) {
                    const QModelIndex index = list->model()->index(row, 0, list->rootIndex());
                    if (!list->isRowHidden(row) && (index.flags() & Qt::ItemIsEnabled))
                        names << index.data().toString();
                }
                names.sort();
                return names;
            };
            // The folder is read in the background; a file that never shows fails the comparison.
            (void)QTest::qWaitFor([&] { return shown().size() >= listed.size(); }, 2000);
            seen = shown();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(prompts.openFileName(filter, QStringLiteral("dat")), QString());
        QCOMPARE(seen, listed);
    }
};

TORVA_TEST(PromptsTest)
#include "tst_prompts.moc"
