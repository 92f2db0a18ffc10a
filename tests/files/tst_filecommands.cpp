// Save, Open and Import against a stand-in editor, with real files in a temporary folder.
#include "FileFixtures.h"
#include "support/FakePrompts.h"
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "files/FileCommands.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace FileFixtures;

namespace {

const QString kFilter = QStringLiteral("Fichiers données (*.dat);;Tout type (*.*)");
const QString kIncompatible = QStringLiteral("FICHIER DONNEES|FORMAT FICHIER INCOMPATIBLE !");
const QString kVersion1 = QStringLiteral(
    "FICHIER DONNEES|FICHIER AU FORMAT TORVA VERSION 1\nUtiliser la fonction Importer SVP");
const QString kCannotSave = QStringLiteral("FICHIER DONNEES|Impossible d'enregistrer le fichier !");
const QString kShortCodes = QStringLiteral("ERREUR DE SAISIE|Les codes doivent avoir 4 lettres !");

// A configuration unlike the start-up one in every item, and the controls that show it.
const ControlItems kEditedItems{{1, 2, 4, 8, 16, 0, 5, 9}, {2, 2, 1, 0, 0, 1, 2, 2}, {69, 50, 128},
                                {0x81, 0x7E}, 1, 1};
PanelConfig editedConfig()
{
    PanelConfig c;
    c.CommandMatrix = {1, 2, 4, 8, 16, 0, 5, 9, 0};
    c.AlarmModes = {2, 2, 1, 0, 0, 1, 2, 2, 0};
    c.FunctionTypes = {69, 50, 128, 0};
    c.RelayMatrix = {0x81, 0x7E, 0};
    c.Output12vMode = 1;
    c.AesChoice = 1;
    c.UpCardPresent = 0;
    c.UgaTempo = 7;
    return c;
}

int countShown(const FakePrompts &prompts, FakePrompts::Shown::Kind kind)
{
    return int(std::count_if(prompts.shown.begin(), prompts.shown.end(),
                             [kind](const FakePrompts::Shown &s) { return s.kind == kind; }));
}

int countWarnings(const FakePrompts &prompts)
{
    return int(std::count_if(prompts.shown.begin(), prompts.shown.end(), [](const FakePrompts::Shown &s) {
        return s.kind == FakePrompts::Shown::Kind::Message && s.icon == Prompts::Icon::Warning;
    }));
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void saveWritesTheControlsAndRefreshesTheRecord()
    {
        Session session;
        session.config.UpCardPresent = 0;
        session.config.UgaTempo = 7;
        session.ConfigSaved = false;
        StandInView view(session);
        view.controls = kEditedItems;
        FakePrompts prompts;
        prompts.fileAnswers << path("edited.dat");

        QCOMPARE(FileCommands(session, view, prompts).save(), SaveResult::Saved);
        QCOMPARE(readAll(path("edited.dat")),
                 DataFile::format({kEditedItems, {QStringLiteral("BCAB"), QStringLiteral("CCBA")}, 0}));
        QCOMPARE(session.config, editedConfig());
        QVERIFY(session.ConfigSaved);
        const FakePrompts::Shown dialog{FakePrompts::Shown::Kind::SaveDialog, kFilter,
                                        QStringLiteral("dat"), Prompts::Icon::Information, {}};
        QCOMPARE(prompts.shown, QList<FakePrompts::Shown>{dialog});
        QCOMPARE(prompts.busyDepth, 0);
        QVERIFY(prompts.busyCalls > 0);
    }

    void saveRefusedOrCancelled_data()
    {
        QTest::addColumn<QString>("level2");
        QTest::addColumn<QString>("level3");
        QTest::addColumn<QString>("target");
        QTest::addColumn<SaveResult>("result");
        QTest::addColumn<QStringList>("messages");
        QVERIFY(writeAll(path("plain"), "x"));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder")));

        // Codes are checked before the dialog: no file is asked for.
        QTest::newRow("level 2 of three letters") << "BCA" << "CCBA" << "" << SaveResult::Failed
                                                  << QStringList{kShortCodes};
        QTest::newRow("level 3 empty") << "BCAB" << "" << "" << SaveResult::Failed
                                       << QStringList{kShortCodes};
        QTest::newRow("dialog cancelled") << "BCAB" << "CCBA" << "" << SaveResult::Cancelled
                                          << QStringList{};
        // Refused to root as well: a regular file cannot hold a file, a folder is no file.
        QTest::newRow("parent is a regular file") << "BCAB" << "CCBA" << path("plain/c.dat")
                                                  << SaveResult::Failed << QStringList{kCannotSave};
        QTest::newRow("target is a folder") << "BCAB" << "CCBA" << path("folder")
                                            << SaveResult::Failed << QStringList{kCannotSave};
    }

    void saveRefusedOrCancelled()
    {
        QFETCH(QString, level2);
        QFETCH(QString, level3);
        QFETCH(QString, target);
        QFETCH(SaveResult, result);
        QFETCH(QStringList, messages);
        Session session;
        session.ConfigSaved = false;
        StandInView view(session);
        view.codes = {level2, level3};
        FakePrompts prompts;
        prompts.fileAnswers << target;

        QCOMPARE(FileCommands(session, view, prompts).save(), result);
        QCOMPARE(prompts.messages(), messages);
        const bool refusedCodes = messages == QStringList{kShortCodes};
        QCOMPARE(countShown(prompts, FakePrompts::Shown::Kind::SaveDialog), refusedCodes ? 0 : 1);
        QCOMPARE(countWarnings(prompts), messages.size());
        QVERIFY(!session.ConfigSaved);
        QCOMPARE(prompts.busyDepth, 0);
        QVERIFY(QFileInfo(path("folder")).isDir());
    }

    // The write is cut short by a file-size limit, which binds root as well: the previous file
    // must come out of it untouched, and no half-written file may be left beside it.
    void interruptedSaveKeepsThePreviousFile()
    {
        const QString target = path("previous.dat");
        const QByteArray previous = DataFile::format(startupContent());
        QVERIFY(writeAll(target, previous));
        Session session;
        session.ConfigSaved = false;
        StandInView view(session);
        view.controls.RelayMatrix = {255, 255};
        FakePrompts prompts;
        prompts.fileAnswers << target;

        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 40;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const SaveResult result = FileCommands(session, view, prompts).save();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(result, SaveResult::Failed);
        QCOMPARE(readAll(target), previous);
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("previous.dat*")}, QDir::Files),
                 QStringList{QStringLiteral("previous.dat")});
        QCOMPARE(prompts.messages(), QStringList{kCannotSave});
        QVERIFY(!session.ConfigSaved);
    }

    void openReplacesRecordAndCodes()
    {
        QVERIFY(writeAll(path("open.dat"),
                         DataFile::format({kEditedItems, {QStringLiteral("AAAA"), QStringLiteral("CBCB")}, 0})
                             + QByteArray(4 << 20, '\xff')));   // what follows the file is not read
        Session session;
        session.config.UgaTempo = 7;
        StandInView view(session);
        FakePrompts prompts;
        prompts.fileAnswers << path("open.dat");

        QCOMPARE(FileCommands(session, view, prompts).open(), LoadResult::Loaded);
        QCOMPARE(session.config, editedConfig());
        QCOMPARE(view.codes[0], QStringLiteral("AAAA"));
        QCOMPARE(view.codes[1], QStringLiteral("CBCB"));
        QCOMPARE(view.shows, 1);
        QVERIFY(prompts.messages().isEmpty());
        QCOMPARE(prompts.shown[0].kind, FakePrompts::Shown::Kind::OpenDialog);
        QCOMPARE(prompts.shown[0].text, kFilter);
        QCOMPARE(prompts.shown[0].title, QStringLiteral("dat"));
        QCOMPARE(prompts.busyDepth, 0);
    }

    void refusedFileChangesNothing_data()
    {
        QTest::addColumn<bool>("import");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("messages");
        QList<QByteArray> v2 = startupFields();
        QList<QByteArray> v1 = startupFields("TORVA_DATA");
        QList<QByteArray> badLastCode = v2;
        badLastCode[31] = "68";   // every other item is good and comes first
        QList<QByteArray> tooBig = v2;
        tooBig[5] = " 300 ";
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("adir")));
        const QStringList incompatible{kIncompatible};

        QTest::newRow("open: value 300") << false << "" << joinLines(tooBig) << incompatible;
        QTest::newRow("open: code character 68") << false << "" << joinLines(badLastCode) << incompatible;
        QTest::newRow("open: version-1 file") << false << "" << joinLines(v1) << QStringList{kVersion1};
        QTest::newRow("open: huge file of blanks") << false << "" << QByteArray(4 << 20, ' ')
                                                   << incompatible;
        QTest::newRow("open: missing file") << false << path("absent.dat") << QByteArray() << incompatible;
        QTest::newRow("open: folder") << false << path("adir") << QByteArray() << incompatible;
        QTest::newRow("open: device") << false << "/dev/zero" << QByteArray() << incompatible;
        QTest::newRow("import: version-2 file") << true << "" << joinLines(v2) << incompatible;
        QTest::newRow("import: 31 lines") << true << "" << joinLines(v1.mid(0, 31)) << incompatible;
        QTest::newRow("open: dialog cancelled") << false << "cancel" << QByteArray() << QStringList{};
        QTest::newRow("import: dialog cancelled") << true << "cancel" << QByteArray() << QStringList{};
    }

    void refusedFileChangesNothing()
    {
        QFETCH(bool, import);
        QFETCH(QString, target);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, messages);
        if (target.isEmpty()) {
            target = path("refused.dat");
            QVERIFY(writeAll(target, bytes));
        }
        Session session;
        session.config = editedConfig();
        session.ConfigSaved = false;
        StandInView view(session);
        view.codes = {QStringLiteral("ABAB"), QStringLiteral("BABA")};
        FakePrompts prompts;
        if (target != u"cancel")
            prompts.fileAnswers << target;

        FileCommands commands(session, view, prompts);
        const LoadResult result = import ? commands.importVersion1() : commands.open();
        QCOMPARE(result, messages.isEmpty() ? LoadResult::Cancelled : LoadResult::Refused);
        QCOMPARE(prompts.messages(), messages);
        QCOMPARE(countWarnings(prompts), messages.size());
        QCOMPARE(session.config, editedConfig());
        QCOMPARE(view.codes[0], QStringLiteral("ABAB"));
        QCOMPARE(view.codes[1], QStringLiteral("BABA"));
        QCOMPARE(view.shows, 0);
        QVERIFY(!session.ConfigSaved);
        QCOMPARE(prompts.busyDepth, 0);
    }
};

TORVA_TEST(TestFileCommands)
#include "tst_filecommands.moc"
