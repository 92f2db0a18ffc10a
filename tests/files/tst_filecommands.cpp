// Save, Open and Import against a stand-in editor, with real files in a temporary folder.
#include "FileFixtures.h"
#include "support/FakePrompts.h"
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "files/FileCommands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace FileFixtures;

namespace {

const QString kIncompatible = QStringLiteral("FICHIER DONNEES|FORMAT FICHIER INCOMPATIBLE !");
const QString kVersion1 = QStringLiteral(
    "FICHIER DONNEES|FICHIER AU FORMAT TORVA VERSION 1\nUtiliser la fonction Importer SVP");
const QString kCannotSave = QStringLiteral("FICHIER DONNEES|Impossible d'enregistrer le fichier !");
const QString kShortCodes = QStringLiteral("ERREUR DE SAISIE|Les codes doivent avoir 4 lettres !");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A configuration unlike the start-up one in every item, to see what a refused file leaves.
PanelConfig editedConfig()
{
    PanelConfig c;
    c.CommandMatrix = {1, 2, 4, 8, 16, 0, 5, 9, 0};
    c.AlarmModes = {2, 2, 1, 0, 0, 1, 2, 2, 0};
    c.FunctionTypes = {5 | 64, 2 | 16 | 32, 0 | 128, 0};
    c.RelayMatrix = {0x81, 0x7E, 0};
    c.Output12vMode = 1;
    c.AesChoice = 1;
    c.UpCardPresent = 0;
    c.UgaTempo = 7;
    return c;
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void startupConfigurationSaved()
    {
        Session session;
        session.ConfigSaved = false;
        session.config.RelayMatrix = {9, 9, 0};   // stale: the controls are what gets saved
        StandInView view(session);
        FakePrompts prompts;
        prompts.fileAnswers << path("startup.dat");

        QCOMPARE(FileCommands(session, view, prompts).save(), SaveResult::Saved);
        QCOMPARE(readAll(path("startup.dat")), DataFile::format(startupContent()));
        QVERIFY(session.ConfigSaved);
        QCOMPARE(session.config.RelayMatrix[0], 0);
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown[0].kind, FakePrompts::Shown::Kind::SaveDialog);
        QCOMPARE(prompts.shown[0].text, QStringLiteral("Fichiers données (*.dat);;Tout type (*.*)"));
        QCOMPARE(prompts.shown[0].title, QStringLiteral("dat"));
        QCOMPARE(prompts.busyDepth, 0);
        QVERIFY(prompts.busyCalls > 0);
    }

    void saveRefreshesTheRecordFromTheControls()
    {
        Session session;
        StandInView view(session);
        view.controls = {{1, 2, 4, 8, 16, 0, 5, 9}, {2, 2, 1, 0, 0, 1, 2, 2}, {69, 50, 128},
                         {0x81, 0x7E}, 1, 1};
        FakePrompts prompts;
        prompts.fileAnswers << path("edited.dat");
        QCOMPARE(FileCommands(session, view, prompts).save(), SaveResult::Saved);

        const PanelConfig expected = editedConfig();
        PanelConfig record = session.config;
        record.UpCardPresent = expected.UpCardPresent;   // not one of the items derived from the controls
        record.UgaTempo = expected.UgaTempo;
        QCOMPARE(record, expected);
    }

    void shortCodesRefusedBeforeTheDialog_data()
    {
        QTest::addColumn<QString>("level2");
        QTest::addColumn<QString>("level3");
        QTest::newRow("level 2 of three letters") << "BCA" << "CCBA";
        QTest::newRow("level 3 empty") << "BCAB" << "";
        QTest::newRow("both short") << "A" << "CC";
    }

    void shortCodesRefusedBeforeTheDialog()
    {
        QFETCH(QString, level2);
        QFETCH(QString, level3);
        Session session;
        session.ConfigSaved = false;
        StandInView view(session);
        view.codes = {level2, level3};
        FakePrompts prompts;
        prompts.fileAnswers << path("short.dat");

        QCOMPARE(FileCommands(session, view, prompts).save(), SaveResult::Failed);
        QCOMPARE(prompts.messages(), QStringList{kShortCodes});
        QCOMPARE(prompts.shown.size(), 1);   // no file dialog
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Warning);
        QVERIFY(!QFile::exists(path("short.dat")));
        QVERIFY(!session.ConfigSaved);
    }

    void cancelledSaveSaysNothing()
    {
        Session session;
        session.ConfigSaved = false;
        StandInView view(session);
        FakePrompts prompts;   // no answer: the dialog is cancelled

        QCOMPARE(FileCommands(session, view, prompts).save(), SaveResult::Cancelled);
        QVERIFY(prompts.messages().isEmpty());
        QVERIFY(!session.ConfigSaved);
        QCOMPARE(prompts.busyDepth, 0);
    }

    void saveThatCannotWrite_data()
    {
        QTest::addColumn<QString>("target");
        QVERIFY(writeAll(path("plain"), "x"));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder")));
        // Both refused to root as well: a regular file cannot hold a file, a folder is no file.
        QTest::newRow("parent is a regular file") << path("plain/config.dat");
        QTest::newRow("target is a folder") << path("folder");
        QTest::newRow("missing folder") << path("nowhere/config.dat");
    }

    void saveThatCannotWrite()
    {
        QFETCH(QString, target);
        Session session;
        session.ConfigSaved = false;
        StandInView view(session);
        FakePrompts prompts;
        prompts.fileAnswers << target;

        QCOMPARE(FileCommands(session, view, prompts).save(), SaveResult::Failed);
        QCOMPARE(prompts.messages(), QStringList{kCannotSave});
        QCOMPARE(prompts.shown.last().icon, Prompts::Icon::Warning);
        QVERIFY(!session.ConfigSaved);
        QCOMPARE(prompts.busyDepth, 0);
        QVERIFY(QFileInfo(path("folder")).isDir());
    }

    // The write is cut short by a file-size limit, which binds root as well: the previous file
    // must come out of it untouched.
    void interruptedSaveKeepsThePreviousFile()
    {
        const QString target = path("previous.dat");
        const QByteArray previous = DataFile::format(startupContent()) ;
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
        QCOMPARE(prompts.busyDepth, 0);
    }

    void saveReplacesAnExistingFile()
    {
        const QString target = path("replaced.dat");
        QVERIFY(writeAll(target, QByteArray(5000, 'z')));
        Session session;
        StandInView view(session);
        FakePrompts prompts;
        prompts.fileAnswers << target;
        QCOMPARE(FileCommands(session, view, prompts).save(), SaveResult::Saved);
        QCOMPARE(readAll(target), DataFile::format(startupContent()));
    }

    void openedFileReplacesRecordAndCodes()
    {
        DataFileContent content;
        content.items = {{1, 2, 4, 8, 16, 0, 5, 9}, {2, 2, 1, 0, 0, 1, 2, 2}, {69, 50, 128},
                         {0x81, 0x7E}, 1, 1};
        content.codes = {QStringLiteral("AAAA"), QStringLiteral("CBCB")};
        content.UpCardPresent = 0;
        QVERIFY(writeAll(path("open.dat"), DataFile::format(content)));

        Session session;
        session.config.UgaTempo = 12;
        session.ConfigSaved = true;
        StandInView view(session);
        FakePrompts prompts;
        prompts.fileAnswers << path("open.dat");

        QCOMPARE(FileCommands(session, view, prompts).open(), LoadResult::Loaded);
        PanelConfig expected = editedConfig();
        expected.UgaTempo = 12;
        QCOMPARE(session.config, expected);
        QCOMPARE(view.codes, content.codes);
        QCOMPARE(view.shows, 1);
        QVERIFY(session.ConfigSaved);   // left to the editor's change rules
        QVERIFY(prompts.messages().isEmpty());
        QCOMPARE(prompts.shown[0].kind, FakePrompts::Shown::Kind::OpenDialog);
        QCOMPARE(prompts.shown[0].text, QStringLiteral("Fichiers données (*.dat);;Tout type (*.*)"));
        QCOMPARE(prompts.shown[0].title, QStringLiteral("dat"));
        QCOMPARE(prompts.busyDepth, 0);
        QVERIFY(prompts.busyCalls > 0);
    }

    void refusedFileChangesNothing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("said");
        const QList<QByteArray> v2 = startupFields();
        const QList<QByteArray> v1 = startupFields("TORVA_DATA");
        const auto with = [](QList<QByteArray> fields, int line, const QByteArray &value) {
            fields[line - 1] = value;
            return joinLines(fields);
        };

        QTest::newRow("open: 20 lines") << "open" << joinLines(v2.mid(0, 20)) << kIncompatible;
        QTest::newRow("open: last line missing") << "open" << joinLines(v2.mid(0, 32)) << kIncompatible;
        QTest::newRow("open: value 300") << "open" << with(v2, 6, " 300 ") << kIncompatible;
        QTest::newRow("open: negative value") << "open" << with(v2, 19, "-1") << kIncompatible;
        QTest::newRow("open: word") << "open" << with(v2, 22, "deux") << kIncompatible;
        QTest::newRow("open: empty file") << "open" << QByteArray() << kIncompatible;
        // The codes come after every other item: a bad last code must not leave the others read.
        QTest::newRow("open: code character 68") << "open" << with(v2, 32, "68") << kIncompatible;
        QTest::newRow("open: version-1 file") << "open" << joinLines(v1) << kVersion1;
        QTest::newRow("import: version-2 file") << "import" << joinLines(v2) << kIncompatible;
        QTest::newRow("import: 31 lines") << "import" << joinLines(v1.mid(0, 31)) << kIncompatible;
        QTest::newRow("import: code character 68") << "import" << with(v1, 31, "68") << kIncompatible;
        QTest::newRow("open: huge file of blanks") << "open" << QByteArray(4 << 20, ' ')
                                                  << kIncompatible;
    }

    void refusedFileChangesNothing()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, said);
        QVERIFY(writeAll(path("refused.dat"), bytes));

        Session session;
        session.config = editedConfig();
        session.ConfigSaved = false;
        StandInView view(session);
        view.controls = {};
        view.codes = {QStringLiteral("ABAB"), QStringLiteral("BABA")};
        FakePrompts prompts;
        prompts.fileAnswers << path("refused.dat");

        FileCommands commands(session, view, prompts);
        const LoadResult result = command == u"open" ? commands.open() : commands.importVersion1();
        QCOMPARE(result, LoadResult::Refused);
        QCOMPARE(prompts.messages(), QStringList{said});
        QCOMPARE(prompts.shown.last().icon, Prompts::Icon::Warning);
        QCOMPARE(session.config, editedConfig());
        QCOMPARE(view.codes[0], QStringLiteral("ABAB"));
        QCOMPARE(view.codes[1], QStringLiteral("BABA"));
        QCOMPARE(view.shows, 0);
        QVERIFY(!session.ConfigSaved);
        QCOMPARE(prompts.busyDepth, 0);
    }

    void unreadablePathRefused_data()
    {
        QTest::addColumn<QString>("target");
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("adir")));
        QTest::newRow("missing file") << path("absent.dat");
        QTest::newRow("folder") << path("adir");
        QTest::newRow("device") << QStringLiteral("/dev/zero");
    }

    void unreadablePathRefused()
    {
        QFETCH(QString, target);
        Session session;
        StandInView view(session);
        FakePrompts prompts;
        prompts.fileAnswers << target;
        QCOMPARE(FileCommands(session, view, prompts).open(), LoadResult::Refused);
        QCOMPARE(prompts.messages(), QStringList{kIncompatible});
        QCOMPARE(session.config, PanelConfig{});
        QCOMPARE(prompts.busyDepth, 0);
    }

    // A cancelled dialog is not a bad file: nothing is said and nothing changes.
    void cancelledOpenSaysNothing_data()
    {
        QTest::addColumn<bool>("import");
        QTest::newRow("open") << false;
        QTest::newRow("import") << true;
    }

    void cancelledOpenSaysNothing()
    {
        QFETCH(bool, import);
        Session session;
        StandInView view(session);
        FakePrompts prompts;
        FileCommands commands(session, view, prompts);
        QCOMPARE(import ? commands.importVersion1() : commands.open(), LoadResult::Cancelled);
        QCOMPARE(prompts.shown.size(), 1);
        QVERIFY(prompts.messages().isEmpty());
        QCOMPARE(view.shows, 0);
        QCOMPARE(prompts.busyDepth, 0);
    }

    void validFileFollowedByJunkOpens()
    {
        QVERIFY(writeAll(path("long.dat"),
                         DataFile::format(startupContent()) + QByteArray(4 << 20, '\xff')));
        Session session;
        session.config = editedConfig();
        StandInView view(session);
        FakePrompts prompts;
        prompts.fileAnswers << path("long.dat");
        QCOMPARE(FileCommands(session, view, prompts).open(), LoadResult::Loaded);
        QCOMPARE(view.controls, startupContent().items);
    }

    void importTakesTheCardAsPresentAndSavesIt()
    {
        QList<QByteArray> v1 = startupFields("TORVA_DATA");
        v1[1] = "17";   // loop 1: immediate command, CMSI function 2
        QVERIFY(writeAll(path("old.dat"), joinLines(v1)));

        Session session;
        session.config.UpCardPresent = 0;
        StandInView view(session);
        FakePrompts prompts;
        prompts.fileAnswers << path("old.dat") << path("new.dat");
        FileCommands commands(session, view, prompts);

        QCOMPARE(commands.importVersion1(), LoadResult::Loaded);
        QCOMPARE(session.config.UpCardPresent, 1);
        QCOMPARE(session.config.CommandMatrix[0], 17);
        QCOMPARE(view.shows, 1);

        QCOMPARE(commands.save(), SaveResult::Saved);
        const QByteArray saved = readAll(path("new.dat"));
        QVERIFY(saved.startsWith("TORVA_DATA_V2\r\n 17 \r\n"));
        QVERIFY(saved.endsWith(" 65 \r\n 1 \r\n"));
        QCOMPARE(saved.count("\r\n"), 33);
    }
};

TORVA_TEST(TestFileCommands)
#include "tst_filecommands.moc"
