// The data file: its lines, what its reader accepts and refuses, and the Open, Import and Save
// commands against a recording editor.
#include "FileFixtures.h"
#include "support/FakeEditor.h"
#include "support/FakePrompts.h"
#include "support/FunctionSetting.h"
#include "support/StickyFolder.h"
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "files/DataFile.h"
#include "files/FileCommands.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#ifndef Q_OS_WIN
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace FileFixtures;

namespace {

// Line numbers of a version-2 file (the mark is line 1).
int commandLine(int loop) { return 2 + 2 * loop; }
int modeLine(int loop) { return 3 + 2 * loop; }
int typeLine(int function) { return 18 + function; }
int relayLine(int relay) { return 21 + relay; }
constexpr int k12vLine = 23;
constexpr int kCardLine = 33;

// The start-up configuration's file with some lines replaced.
QByteArray fileWith(std::initializer_list<std::pair<int, QByteArray>> lines, const QByteArray &eol = "\r\n")
{
    QList<QByteArray> fields = startupFields();
    for (const auto &[line, text] : lines)
        fields[line - 1] = text;
    return joinLines(fields, eol);
}

const QByteArray kStartupFile = fileWith({});
const QString kFilter = QStringLiteral("Fichiers données (*.dat);;Tout type (*)");
const QList<Message> kNone;

// Every line a different value, so that two items saved or read in each other's place show.
PanelConfig everyItemDifferent()
{
    PanelConfig config;
    config.CommandMatrix = {10, 11, 12, 13, 14, 15, 16, 17};
    config.AlarmModes = {20, 21, 22, 23, 24, 25, 26, 27};
    config.FunctionTypes = {31, 32, 33};
    config.RelayMatrix = {41, 255};
    config.Output12vMode = 51;
    config.AesChoice = 52;
    config.AccessCodes = {QStringLiteral("ABCA"), QStringLiteral("CBAB")};
    config.UpCardPresent = 0;
    return config;
}
const QByteArray kEveryItemFile =
    "TORVA_DATA_V2\r\n 10 \r\n 20 \r\n 11 \r\n 21 \r\n 12 \r\n 22 \r\n 13 \r\n 23 \r\n 14 \r\n"
    " 24 \r\n 15 \r\n 25 \r\n 16 \r\n 26 \r\n 17 \r\n 27 \r\n 31 \r\n 32 \r\n 33 \r\n 41 \r\n"
    " 255 \r\n 51 \r\n 52 \r\n 65 \r\n 67 \r\n 66 \r\n 66 \r\n 67 \r\n 65 \r\n 65 \r\n 66 \r\n 0 \r\n";

enum class Command { Open, Import };

// The folder of the file saved over: the installer's own, one where they may rewrite the file but
// add none beside it, one where they may add a file but not rename it over the old one.
enum class Folder { Own, NoNewFile, NoReplacing };

struct FilesBench
{
    FakePrompts prompts;
    Session session;
    FakeEditor editor;
    FileCommands files{session, editor, prompts};
    QTemporaryDir dir;

    QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }
};

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT

private slots:
    // As the program starts: past the file-size limit, a write fails instead of killing the process.
    void initTestCase()
    {
#ifdef SIGXFSZ
        std::signal(SIGXFSZ, SIG_IGN);
#endif
    }

    void everyItemReadFromItsLine()
    {
        QCOMPARE(DataFile::parse(kEveryItemFile, DataFile::Version::V2).content,
                 std::optional(everyItemDifferent()));
    }

    // What Open and Import take as the start-up configuration, and what they refuse: a line that
    // holds no value of the format, or a value the editor cannot show, with its line and its text.
    void reader_data()
    {
        using Fault = DataFile::Fault;
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<DataFile::Version>("version");
        QTest::addColumn<DataFile::Problem>("problem"); // none: the file is taken
        QTest::addColumn<QByteArray>("field");
        const auto v1 = DataFile::Version::V1;
        const auto v2 = DataFile::Version::V2;
        const DataFile::Problem taken;
        const auto at = [](int line, Fault fault) { return DataFile::Problem{line, fault}; };
        const auto row = [](const char *name, const QByteArray &bytes, DataFile::Version version,
                            DataFile::Problem problem, const QByteArray &field) {
            QTest::newRow(name) << bytes << version << problem << field;
        };
        const auto twoValuesOnLine18 = [](QByteArray file) {
            return file.replace("\r\n1\r\n1\r\n", "\r\n1 , 1\r\n");
        };
        row("tabs and many blanks", QByteArray(kStartupFile).replace("\r\n", "   \t\r\n\t  "), v2, taken, {});
        row("LF line ends", fileWith({}, "\n"), v2, taken, {});
        row("UTF-8 byte-order mark", "\xEF\xBB\xBF" + kStartupFile, v2, taken, {});
        row("no line end after the last line", kStartupFile.chopped(2), v2, taken, {});
        row("lines after the last one", kStartupFile + "junk\r\n300\r\n", v2, taken, {});
        row("comma between two values", twoValuesOnLine18(kStartupFile), v2, taken, {});
        row("comma ending a line", QByteArray(kStartupFile).replace("\r\n30\r\n", "\r\n 30 ,\r\n"), v2, taken,
            {});
        row("version 1, imported", joinLines(startupFields("TORVA_DATA")), v1, taken, {});

        row("version 2, imported", kStartupFile, v1, at(1, Fault::WrongMark), "TORVA_DATA_V2");
        row("empty file", QByteArray(), v2, at(1, Fault::MissingLine), {});
        row("last line missing", joinLines(startupFields().mid(0, 32)), v2, at(33, Fault::MissingLine), {});
        row("value 300", fileWith({{commandLine(0), "300"}}), v2, at(2, Fault::NotAByte), "300");
        // Read as 0, it would be the start-up file's value: a wrong file taken silently.
        row("value 256", fileWith({{relayLine(1), "256"}}), v2, at(22, Fault::NotAByte), "256");
        row("long number", fileWith({{modeLine(1), "99999999999999999999"}}), v2, at(5, Fault::NotAByte),
            "99999999999999999999");
        row("NUL inside a number", fileWith({{k12vLine, QByteArray::fromHex("330030")}}), v2,
            at(23, Fault::NotAByte), QByteArray::fromHex("330030"));
        row("code character 68", fileWith({{32, "68"}}), v2, at(32, Fault::NotACodeLetter), "68");
        row("two values on line 18, then 300: line 22", twoValuesOnLine18(fileWith({{k12vLine, "300"}})), v2,
            at(22, Fault::NotAByte), "300");

        row("card presence 2", fileWith({{kCardLine, "2"}}), v2, at(33, Fault::NotZeroOrOne), "2");
        row("a bit beyond the three functions", fileWith({{commandLine(2), "33"}}), v2,
            at(6, Fault::CommandBits), "33");
        row("both UGA bits", fileWith({{commandLine(3), "7"}}), v2, at(8, Fault::CommandBits), "7");
        row("loop 4 double, loop 3 not", fileWith({{modeLine(3), "2"}}), v2, at(7, Fault::UnpairedDouble),
            "0");
        row("auxiliary contact on RSC", fileWith({{typeLine(1), "65"}}), v2, at(19, Fault::AuxContact), "65");
        row("12 V mode 2 after two values on one line", twoValuesOnLine18(fileWith({{k12vLine, "2"}})), v2,
            at(22, Fault::NotZeroOrOne), "2");
    }
    void reader()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(DataFile::Version, version);
        QFETCH(DataFile::Problem, problem);
        const DataFile::ParseResult result = DataFile::parseShowable(bytes, version);
        QCOMPARE(result.problem, problem);
        QTEST(result.field, "field");
        const bool taken = problem == DataFile::Problem{};
        QCOMPARE(result.error, taken ? DataFile::ParseError::None : DataFile::ParseError::Incompatible);
        QCOMPARE(result.content, taken ? std::optional(PanelConfig{}) : std::nullopt);
    }

    // "Ouvrir" and "Importer": a file accepted is shown whole; any other changes nothing.
    void openAndImport_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("target"); // in the folder; empty: the dialog is cancelled
        QTest::addColumn<std::optional<PanelConfig>>("shown");
        QTest::addColumn<QList<Message>>("messages");
        const QByteArray auxOnFirst = fileWith({{typeLine(0), "69"}});
        PanelConfig auxOnFirstShown;
        setFunction(auxOnFirstShown, 0, {FunctionType::RSC_UGA, {FunctionFlag::AuxContact}});
        const std::optional<PanelConfig> nothing;
        const QByteArray v1 = joinLines(startupFields("TORVA_DATA"));
        const QList<Message> incompatible{Msg::incompatible()};
        const QList<Message> version1{Msg::warning(
            "FICHIER DONNEES", "FICHIER AU FORMAT TORVA VERSION 1\nUtiliser la fonction Importer SVP")};
        const QString file = QStringLiteral("file.dat");
        QTest::newRow("open") << Command::Open << auxOnFirst << file << std::optional(auxOnFirstShown)
                              << kNone;
        QTest::newRow("import") << Command::Import << v1 << file << std::optional(PanelConfig{}) << kNone;
        PanelConfig relay2OnEveryLoop;
        relay2OnEveryLoop.RelayMatrix[1] = 255;
        QTest::newRow("open: 255, the largest byte") << Command::Open << fileWith({{relayLine(1), "255"}})
                                                     << file << std::optional(relay2OnEveryLoop) << kNone;
        QTest::newRow("open: 256, one past the largest byte")
            << Command::Open << fileWith({{relayLine(1), "256"}}) << file << nothing << incompatible;
        QTest::newRow("open: a value the editor cannot show")
            << Command::Open << fileWith({{kCardLine, "2"}}) << file << nothing << incompatible;
        QTest::newRow("open: a version-1 file") << Command::Open << v1 << file << nothing << version1;
        QTest::newRow("open: an endless device")
            << Command::Open << QByteArray() << QStringLiteral("/dev/zero") << nothing << incompatible;
        QTest::newRow("open: dialog cancelled")
            << Command::Open << QByteArray() << QString() << nothing << kNone;
    }
    void openAndImport()
    {
        QFETCH(Command, command);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, target);
        QFETCH(std::optional<PanelConfig>, shown);
        FilesBench b;
        QVERIFY(writeAll(b.path("file.dat"), bytes));
        for (int i = 0; i < kLoopCount; ++i)
            b.editor.shown.setAlarmMode(i, AlarmMode::Discrimination);
        b.prompts.fileAnswers << (target.isEmpty() ? QString() : b.path(target));

        const LoadResult result = command == Command::Import ? b.files.importVersion1() : b.files.open();
        QCOMPARE(result, shown              ? LoadResult::Loaded
                         : target.isEmpty() ? LoadResult::Cancelled
                                            : LoadResult::Refused);
        QTEST(b.prompts.messages(), "messages");
        QCOMPARE(b.prompts.busyDepth, 0); // the pointer back to normal
        QCOMPARE(b.editor.showCalls, shown ? QList{*shown} : QList<PanelConfig>{});
        QCOMPARE(b.session.DataFileName, shown ? std::optional(b.path(target)) : std::nullopt);
    }

    // "Enregistrer": the file the editor's configuration makes, over the previous one, which stays
    // whole unless replaced; nothing is left beside it.
    void save_data()
    {
        QTest::addColumn<QString>("level3");
        QTest::addColumn<QString>("target"); // in the folder; empty: the dialog is cancelled
        QTest::addColumn<int>("sizeLimit");  // bytes a file may hold; 0: no limit
        QTest::addColumn<Folder>("folder");
        QTest::addColumn<QList<Message>>("messages");
        const QList<Message> cannotSave{Msg::cannotSave()};
        const QString level3 = QStringLiteral("CBAB");
        const QString none;
        const QString old = QStringLiteral("old.dat");
        QTest::newRow("over the previous file") << level3 << old << 0 << Folder::Own << kNone;
        QTest::newRow("level 3 empty: refused before the dialog")
            << none << old << 0 << Folder::Own << QList<Message>{Msg::shortCodes()};
        // This fails for root too: the size limit binds.
        QTest::newRow("write cut short") << level3 << old << 40 << Folder::Own << cannotSave;
        // A FIFO (as a device or a socket) is not replaced by a regular file: a reader would lose it.
        QTest::newRow("target is a FIFO")
            << level3 << QStringLiteral("fifo") << 0 << Folder::Own << cannotSave;
        // The installer may rewrite the file but not add one beside it: the file is written in place.
        QTest::newRow("folder takes no new file") << level3 << old << 0 << Folder::NoNewFile << kNone;
        // The new file is whole beside the old one, and the last step, the rename, is refused.
        QTest::newRow("rename over the old file refused")
            << level3 << old << 0 << Folder::NoReplacing << cannotSave;
    }
    void save()
    {
        QFETCH(QString, level3);
        QFETCH(QString, target);
        QFETCH(int, sizeLimit);
        QFETCH(Folder, folder);
        QFETCH(QList<Message>, messages);
        const bool lockedFolder = folder == Folder::NoNewFile;
#ifdef Q_OS_WIN
        if (sizeLimit > 0 || lockedFolder || target == "fifo")
            QSKIP("file-size limits, folder rights and FIFOs are those of Linux");
#endif
        if (const QString why = StickyFolder::unavailable(); folder == Folder::NoReplacing && !why.isEmpty())
            QSKIP(qPrintable(why));
        FilesBench b;
        QVERIFY(writeAll(b.path("old.dat"), "kept"));
        if (folder == Folder::NoReplacing)
            QVERIFY(StickyFolder::protectFromReplacing(b.dir.path(), b.path("old.dat")));
#ifndef Q_OS_WIN
        if (target == "fifo")
            QCOMPARE(::mkfifo(qPrintable(b.path(target)), 0600), 0);
#endif
        b.editor.shown = everyItemDifferent();
        b.editor.shown.AccessCodes[1] = level3;
        b.session.ConfigSaved = false;
        b.prompts.fileAnswers << (target.isEmpty() ? QString() : b.path(target));

#ifdef Q_OS_WIN
        const SaveResult result = b.files.save();
#else
        // Root passes any folder's rights: the locked folder's save runs as nobody, who may write the file only.
        constexpr uid_t kNobody = 65534;
        const bool asNobody = lockedFolder && ::geteuid() == 0;
        if (lockedFolder)
            QVERIFY(::chmod(qPrintable(b.path("old.dat")), 0666) == 0 &&
                    ::chmod(qPrintable(b.dir.path()), 0555) == 0);
        rlimit normal{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &normal), 0);
        const rlimit limited{sizeLimit > 0 ? rlim_t(sizeLimit) : normal.rlim_cur, normal.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
        const bool switched = asNobody && ::seteuid(kNobody) == 0;
        std::optional<StickyFolder::WithoutOwnerOverride> withoutOverride;
        if (folder == Folder::NoReplacing)
            withoutOverride.emplace();
        const bool dropped = withoutOverride && withoutOverride->ok();
        const SaveResult result = b.files.save();
        withoutOverride.reset();
        const bool restored = (!switched || ::seteuid(0) == 0) &&
                              (!lockedFolder || ::chmod(qPrintable(b.dir.path()), 0700) == 0);
        setrlimit(RLIMIT_FSIZE, &normal);
        QVERIFY(restored && switched == asNobody && dropped == (folder == Folder::NoReplacing));
#endif

        const bool saved = messages.isEmpty() && !target.isEmpty();
        QCOMPARE(result, saved                                    ? SaveResult::Saved
                         : target.isEmpty() && messages.isEmpty() ? SaveResult::Cancelled
                                                                  : SaveResult::Failed);
        QCOMPARE(b.prompts.messages(), messages);
        QCOMPARE(b.session.ConfigSaved, saved);
        QCOMPARE(b.session.DataFileName, saved ? std::optional(b.path(target)) : std::nullopt);
        const bool dialog = messages != QList<Message>{Msg::shortCodes()};
        const FakePrompts::Shown saveDialog{FakePrompts::Shown::Kind::SaveDialog,
                                            kFilter,
                                            QStringLiteral("dat"),
                                            Prompts::Icon::Information,
                                            {}};
        QCOMPARE(b.prompts.shown.count(saveDialog), dialog ? 1 : 0);
        QCOMPARE(b.prompts.busyDepth, 0); // the pointer back to normal
        QCOMPARE(readAll(b.path("old.dat")), saved ? kEveryItemFile : QByteArray("kept"));
        QCOMPARE(QDir(b.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.dat"});
    }

    // Save refuses short codes only: two equal codes are written as shown, the send refuses them.
    void saveKeepsEqualCodes()
    {
        FilesBench b;
        b.editor.shown.AccessCodes = {QStringLiteral("ABCA"), QStringLiteral("ABCA")};
        b.prompts.fileAnswers << b.path("equal.dat");
        QCOMPARE(b.files.save(), SaveResult::Saved);
        QCOMPARE(b.prompts.messages(), kNone);
        QCOMPARE(readAll(b.path("equal.dat")), DataFile::format(b.editor.shown));
    }
};

TORVA_TEST(TestFiles)
#include "tst_files.moc"
