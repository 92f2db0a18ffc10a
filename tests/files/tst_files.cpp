// The data file's bytes; Save, Open, Import and leaving through the real main window and real files.
#include "FileFixtures.h"
#include "support/FakePrompts.h"
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "editor/Leave.h"
#include "editor/MainWindow.h"
#include "files/DataFile.h"
#include "link/Link.h"
#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"
#include "ui/StartUp.h"

#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QRandomGenerator>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace FileFixtures;
using Kind = FakePrompts::Shown::Kind;

namespace {

const QList<Message> kNone;
const QList<Message> kIncompatible{Msg::incompatible()};
const QList<Message> kCannotSave{Msg::cannotSave()};
const QList<Message> kShortCodes{Msg::shortCodes()};
const QString kFilter = QStringLiteral("Fichiers données (*.dat);;Tout type (*)");
const FakePrompts::Shown kSaveDialog{Kind::SaveDialog, kFilter, QStringLiteral("dat"), Prompts::Icon::Information, {}};
const FakePrompts::Shown kOpenDialog{Kind::OpenDialog, kFilter, QStringLiteral("dat"), Prompts::Icon::Information, {}};
const FakePrompts::Shown kQuestion{Kind::Question, QStringLiteral("DESIREZ-VOUS SAUVEGARDER CETTE CONFIGURATION ?"),
                                   QStringLiteral("FICHIER DONNEES"), Prompts::Icon::Critical, {}};

// The fields as the program writes them: the mark, then every value between two blanks, CR LF after each.
QByteArray written(const QList<QByteArray> &fields)
{
    return fields[0] + "\r\n " + fields.mid(1).join(" \r\n ") + " \r\n";
}

// The start-up file's fields with some lines changed: "18=0 19=1" puts 0 on line 18 and 1 on line 19.
QList<QByteArray> startupWith(const QByteArray &changes)
{
    QList<QByteArray> fields = startupFields();
    for (const QByteArray &change : changes.split(' '))
        fields[change.left(change.indexOf('=')).toInt() - 1] = change.mid(change.indexOf('=') + 1);
    return fields;
}

// A main window fresh from start-up, its file commands, a folder of its own and an emulated panel.
struct Editor
{
    EmulatedPanel panel;
    FakePrompts prompts;
    Session session;
    Link link{prompts, [this](const PortChoice &) { return std::unique_ptr<SerialPort>(new EmulatedPort(panel)); }};
    MainWindow window{session, link, prompts};
    FileCommands files{session, window, prompts};
    QTemporaryDir dir;

    QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }
    // The codes and every option button and check box: checked, enabled.
    QStringList controls() const
    {
        QStringList out{window.code(0) + '/' + window.code(1)};
        for (const QAbstractButton *b : window.findChildren<QAbstractButton *>())
            out << b->objectName() + QString::number(b->isChecked()) + QString::number(b->isEnabled());
        return out;
    }
};

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT

private slots:
    // As the program starts: past the file-size limit, a write fails instead of killing the process.
    void initTestCase() { StartUp::prepareProgram(); }

    // Every line a different value, so that two items written or read in each other's place show.
    void everyItemOnItsLine()
    {
        const DataFileContent content{{{10, 11, 12, 13, 14, 15, 16, 17}, {20, 21, 22, 23, 24, 25, 26, 27},
                                       {31, 32, 33}, {41, 255}, 51, 52}, {"ABCA", "CBAB"}, 0};
        const QByteArray bytes = written(QByteArray("TORVA_DATA_V2 10 20 11 21 12 22 13 23 14 24 15 25 16 26 17 27 "
                                                    "31 32 33 41 255 51 52 65 67 66 66 67 65 65 66 0").split(' '));
        QCOMPARE(DataFile::format(content), bytes);
        QCOMPARE(DataFile::parse(bytes, DataFile::Version::V2).content, std::optional(content));
    }

    // "Enregistrer" alone, and the way out with its question, its save and the serial port.
    void saveAndLeave_data()
    {
        // Before: edit, card (off, on), port, short (level 2 "BCA"), empty3 (level 3 ""), limit (40 bytes).
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("target");   // in the window's folder; empty: the dialog is cancelled
        QTest::addColumn<QList<Message>>("message");
        QTest::newRow("save: start-up configuration") << "" << "old.dat" << kNone;
        QTest::newRow("save: edited") << "edit" << "old.dat" << kNone;
        QTest::newRow("save: level 3 empty") << "edit empty3" << "new.dat" << kShortCodes;
        // These fail for root too: a regular file holds no file, the size limit binds, a folder is no file.
        QTest::newRow("save: parent is a regular file") << "edit" << "old.dat/new.dat" << kCannotSave;
        QTest::newRow("save: write cut short") << "edit limit" << "old.dat" << kCannotSave;
        // The installer may rewrite the file but not add one beside it: the file is written in place.
        QTest::newRow("save: folder takes no new file") << "edit locked" << "old.dat" << kNone;
        QTest::newRow("quit: nothing edited but the card presence") << "card quit" << "new.dat" << kNone;
        QTest::newRow("quit: No") << "edit quit no" << "new.dat" << kNone;
        QTest::newRow("quit: Yes, dialog cancelled") << "edit quit" << "" << kNone;
        QTest::newRow("quit: Yes, target is a folder") << "edit quit" << "." << kCannotSave;
        QTest::newRow("quit: Yes, short code") << "edit short quit" << "new.dat" << kShortCodes;
        QTest::newRow("quit: port opened by a transfer") << "edit port quit no" << "new.dat" << kNone;
    }

    void saveAndLeave()
    {
        QFETCH(QString, steps);
        QFETCH(QString, target);
        QFETCH(QList<Message>, message);
        Editor e;
        QVERIFY(writeAll(e.path("old.dat"), "kept"));
        const bool edited = steps.contains("edit"), quit = steps.contains("quit");
        e.window.Mode_Discrim[2]->setChecked(edited);
        e.window.Up_Option[0]->setChecked(steps.contains("card"));
        e.window.Up_Option[1]->setChecked(true);
        if (steps.contains("port"))
            QVERIFY(e.link.openPort(PortChoice::simulated()));
        e.window.setCode(0, steps.contains("short") ? "BCA" : "BCAB");
        e.window.setCode(1, steps.contains("empty3") ? "" : "CCBA");
        e.session.config.AlarmModes = {2, 2, 2, 2, 2, 2, 2, 2};   // a save refreshes the record from the controls
        e.prompts.yesNoAnswers << !steps.contains("no");
        e.prompts.fileAnswers << (target.isEmpty() ? QString() : e.path(target));
        bool portOpenAtPrompt = false;
        e.prompts.onShown = [&](const FakePrompts::Shown &) { portOpenAtPrompt |= e.link.isPortOpen(); };

        // Root passes any folder's rights: the locked folder's save runs as nobody, who may write the file only.
        const bool locked = steps.contains("locked"), asNobody = locked && ::geteuid() == 0;
        if (locked)
            QVERIFY(::chmod(qPrintable(e.path("old.dat")), 0666) == 0 && ::chmod(qPrintable(e.dir.path()), 0555) == 0);
        rlimit normal{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &normal), 0);
        const rlimit limited{steps.contains("limit") ? 40 : normal.rlim_cur, normal.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
        constexpr uid_t kNobody = 65534;
        const bool switched = asNobody && ::seteuid(kNobody) == 0;
        const bool mayEnd = quit ? leaveProgram(e.link, e.session, e.prompts, [&] { return e.files.save(); })
                                 : e.files.save() != SaveResult::Failed;
        const bool restored = (!switched || ::seteuid(0) == 0) && (!locked || ::chmod(qPrintable(e.dir.path()), 0700) == 0);
        setrlimit(RLIMIT_FSIZE, &normal);
        QVERIFY(restored && switched == asNobody);

        const bool asked = quit && edited, dialog = (!quit || (asked && !steps.contains("no"))) && message != kShortCodes;
        const bool saved = dialog && !target.isEmpty() && message.isEmpty();
        QCOMPARE(mayEnd, message.isEmpty());
        QCOMPARE(e.prompts.shown.count(kQuestion), asked ? 1 : 0);
        QCOMPARE(e.prompts.shown.count(kSaveDialog), dialog ? 1 : 0);
        QCOMPARE(e.prompts.messages(), message);
        QCOMPARE(e.session.ConfigSaved, saved || !edited);
        QVERIFY(!portOpenAtPrompt && !e.link.isPortOpen());
        QCOMPARE(e.prompts.busyCalls > 0, dialog && !target.isEmpty());   // the hourglass while it writes
        QCOMPARE(e.prompts.busyDepth, 0);
        const QByteArray file = written(startupWith(edited ? "7=1" : "7=0"));   // loop 3 discrimination
        if (saved)
            QCOMPARE(e.session.config.AlarmModes, (std::array<std::uint8_t, 9>{0, 0, std::uint8_t(edited)}));
        // Every save goes over the previous file, which stays whole unless replaced; nothing is left beside it.
        QCOMPARE(readAll(e.path("old.dat")), saved ? file : "kept");
        QCOMPARE(QDir(e.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.dat"});
    }

    // Rows with a file to save back are loaded, the others refused or cancelled; "import" rows import.
    void openAndImport_data()
    {
        QTest::addColumn<QByteArray>("bytes");   // the file's contents
        QTest::addColumn<QString>("target");     // the file chosen; empty: the dialog is cancelled
        QTest::addColumn<QList<Message>>("message");
        QTest::addColumn<QByteArray>("saved");   // what a save writes once the file is loaded
        // Loop 1: immediate UGA command and CMSI function 1; function 1: RSC_UGA with the auxiliary contact.
        const QList<QByteArray> v2 = startupWith("2=5 18=69");
        const QList<QByteArray> v1 = QList<QByteArray>{"TORVA_DATA"} + v2.mid(1, 31);
        const QByteArray file = joinLines(v2), kept = written(v2);
        const auto loads = [&](const char *name, const QByteArray &bytes, const QByteArray &saved = {}) {
            QTest::newRow(name) << bytes << "file.dat" << kNone << (saved.isEmpty() ? kept : saved);
        };
        const auto trip = [&](const char *name, const QByteArray &changes) {
            loads(name, written(startupWith(changes)), written(startupWith(changes)));
        };
        const auto refuses = [](const char *name, const QByteArray &bytes, const QList<Message> &message = kIncompatible,
                                const char *target = "file.dat") {
            QTest::newRow(name) << bytes << target << message << QByteArray();
        };
        loads("no blanks", file);
        loads("tabs and many blanks", QByteArray(file).replace("\r\n", "   \t\r\n\t  "));
        loads("LF line ends", joinLines(v2, "\n"));
        loads("UTF-8 byte-order mark", "\xEF\xBB\xBF" + file);
        loads("no line end after the last line", file.chopped(2));
        loads("lines after the last one", file + "junk\r\n300\r\n");
        loads("comma between two values", QByteArray(file).replace("\r\n5\r\n0\r\n", "\r\n5 , 0\r\n"));
        loads("comma ending a line", QByteArray(file).replace("\r\n5\r\n", "\r\n 5 ,\r\n"));
        loads("import: version-1 file", joinLines(v1));
        // Save, then open in another window: the same controls, and the same file.
        trip("start-up", "2=30");
        trip("types Nul, RSC, RAC, relay 1 on every loop", "18=0 19=1 20=2 21=255 22=0");
        trip("types ESC, EAC, RSC_UGA, relay 2 on every loop", "18=3 19=4 20=5 21=0 22=255");
        trip("RSC_UGA with the auxiliary contact, relays alternate", "18=69 19=69 20=69 21=165 22=90");
        trip("delayed functions, rearmable 12 V, external AES", "18=129 19=130 20=133 23=1 24=1");
        trip("Nul delayed, other codes", "18=128 19=0 20=128 25=65 26=67 27=65 28=67 29=65 30=67 31=65 32=67");
        trip("grouped on function 1, all loops discrimination", "18=1 19=17 20=20 3=1 5=1 7=1 9=1 11=1 13=1 15=1 17=1");
        trip("grouped with active button, all loops double detection",
             "18=2 19=49 20=180 3=2 5=2 7=2 9=2 11=2 13=2 15=2 17=2");
        trip("every UGA command and function, mixed loop modes",
             "2=0 3=0 4=1 5=1 6=2 7=2 8=4 9=2 10=8 11=1 12=16 13=0 14=30 15=2 16=29 17=2");
        trip("card absent", "3=1 7=2 9=2 17=1 21=3 22=128 23=1 33=0");
        refuses("empty file", {});
        refuses("20 lines", joinLines(startupFields().mid(0, 20)));
        refuses("last line missing", joinLines(startupFields().mid(0, 32)));
        refuses("value 300", joinLines(startupWith("2=300")));
        refuses("negative value", joinLines(startupWith("23=-1")));
        refuses("word", joinLines(startupWith("18=RSC")));
        refuses("long number", joinLines(startupWith("4=99999999999999999999")));
        refuses("NUL inside a number", joinLines(startupFields()).replace("30", QByteArray("3\0" "0", 3)));
        refuses("code character 68", joinLines(startupWith("32=68")));
        // Values the editor cannot show as they are.
        refuses("card line 2", joinLines(startupWith("33=2")));
        refuses("function type 6", joinLines(startupWith("19=6")));
        refuses("alarm mode 3", joinLines(startupWith("3=3")));
        refuses("loop 1 double detection, loop 2 not", joinLines(startupWith("3=2")));
        refuses("command byte 31", joinLines(startupWith("2=31")));
        refuses("12 V mode 2", joinLines(startupWith("23=2")));
        refuses("AES choice 2, card absent", joinLines(startupWith("24=2 33=0")));
        QList<QByteArray> v1Grouped = v1;
        v1Grouped[17] = "17";   // function 1 grouped: it has no such box
        refuses("import: function 1 grouped", joinLines(v1Grouped));
        refuses("version-1 file", joinLines(v1),
                {Msg::warning("FICHIER DONNEES", "FICHIER AU FORMAT TORVA VERSION 1\nUtiliser la fonction Importer SVP")});
        refuses("device", {}, kIncompatible, "/dev/zero");
        refuses("dialog cancelled", {}, kNone, "");
        refuses("import: version-2 file", file);
        refuses("import: 31 lines", joinLines(v1.mid(0, 31)));
    }

    // From a window showing another configuration, a tempo and no card.
    void openAndImport()
    {
        const bool import = QByteArray(QTest::currentDataTag()).startsWith("import");
        QFETCH(QByteArray, bytes);
        QFETCH(QString, target);
        QFETCH(QList<Message>, message);
        QFETCH(QByteArray, saved);
        Editor e, other;
        for (Editor *w : {&e, &other}) {
            w->session.config.AlarmModes = {2, 2, 2, 2, 2, 2, 2, 2};
            w->session.config.UgaTempo = 9;
            w->window.showConfiguration();
            w->window.Up_Option[0]->setChecked(true);
        }
        QVERIFY(writeAll(e.path("file.dat"), bytes));
        const QStringList before = e.controls();
        const PanelConfig record = e.session.config;
        const QString tempo = e.window.Tempo_Lbl->text();
        e.prompts.fileAnswers << (target.isEmpty() ? QString() : e.path(target)) << e.path("saved.dat");

        QCOMPARE(import ? e.files.importVersion1() : e.files.open(),
                 !saved.isEmpty() ? LoadResult::Loaded : message.isEmpty() ? LoadResult::Cancelled : LoadResult::Refused);
        QCOMPARE(e.prompts.shown.first(), kOpenDialog);
        QCOMPARE(e.prompts.messages(), message);
        QCOMPARE(e.prompts.busyCalls > 0, !target.isEmpty());   // the hourglass while it reads
        QCOMPARE(e.prompts.busyDepth, 0);
        QCOMPARE(e.window.Tempo_Lbl->text(), tempo);
        if (saved.isEmpty()) {
            QCOMPARE(e.controls(), before);
            QCOMPARE(e.session.config, record);
            return;
        }
        QCOMPARE(e.window.Up_Option[1]->isChecked(), saved.endsWith(" 1 \r\n"));   // present for a version-1 file
        QCOMPARE(e.files.save(), SaveResult::Saved);
        QCOMPARE(readAll(e.path("saved.dat")), saved);
        other.prompts.fileAnswers << e.path("saved.dat");
        QCOMPARE(other.files.open(), LoadResult::Loaded);
        QCOMPARE(other.controls(), e.controls());
    }
};

TORVA_TEST(TestFiles)
#include "tst_files.moc"
