// Save and open through the real main window: its show procedure and change rules decide what the
// controls hold, so a file must bring back exactly the controls it was saved from.
#include "FileFixtures.h"
#include "support/FakePrompts.h"
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "editor/MainWindow.h"
#include "files/FileCommands.h"
#include "link/Link.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace FileFixtures;

Q_DECLARE_METATYPE(DataFileContent)

namespace {

// One window with everything it needs, fresh from start-up.
struct Editor
{
    FakePrompts prompts;
    Session session;
    Link link{prompts, PortFactory{}};
    MainWindow window{session, link, prompts};
    FileCommands files{session, window, prompts};
};

// Every option button and check box (checked state and enabling), the code boxes and the card's
// frames, by objectName.
QStringList controlStates(const MainWindow &window)
{
    QStringList out;
    for (const QAbstractButton *b : window.findChildren<QAbstractButton *>()) {
        QString state;
        if (const auto *box = qobject_cast<const QCheckBox *>(b))
            state = QString::number(int(box->checkState()));
        else
            state = b->isChecked() ? QStringLiteral("on") : QStringLiteral("off");
        out << b->objectName() + QLatin1Char('=') + state + (b->isEnabled() ? "" : " disabled");
    }
    out << QStringLiteral("codes=") + window.code(0) + QLatin1Char('/') + window.code(1);
    out << QStringLiteral("Frame1 hidden=") + QString::number(window.Frame1->isHidden());
    out << QStringLiteral("Frm_Cde hidden=") + QString::number(window.Frm_Cde->isHidden());
    out.sort();
    return out;
}

} // namespace

class TestRoundTrip : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void startupWindowSavesTheStartupFile()
    {
        Editor editor;
        editor.prompts.fileAnswers << m_dir.filePath(QStringLiteral("startup.dat"));
        QCOMPARE(editor.files.save(), SaveResult::Saved);
        QCOMPARE(readAll(m_dir.filePath(QStringLiteral("startup.dat"))),
                 DataFile::format(startupContent()));
        QVERIFY(editor.session.ConfigSaved);
    }

    void saveThenOpen_data()
    {
        QTest::addColumn<DataFileContent>("content");
        const DataFileContent base = startupContent();
        const auto row = [&](const char *name, auto change) {
            DataFileContent c = base;
            change(c);
            QTest::newRow(name) << c;
        };

        row("start-up", [](DataFileContent &) {});
        row("types Nul, RSC, RAC", [](DataFileContent &c) { c.items.FunctionTypes = {0, 1, 2}; });
        row("types ESC, EAC, RSC_UGA", [](DataFileContent &c) { c.items.FunctionTypes = {3, 4, 5}; });
        row("RSC_UGA with the auxiliary contact",
            [](DataFileContent &c) { c.items.FunctionTypes = {69, 69, 69}; });
        row("delayed functions", [](DataFileContent &c) { c.items.FunctionTypes = {129, 130, 133}; });
        row("Nul delayed", [](DataFileContent &c) { c.items.FunctionTypes = {128, 0, 128}; });
        row("grouped on function 1", [](DataFileContent &c) { c.items.FunctionTypes = {1, 17, 20}; });
        row("grouped with active button",
            [](DataFileContent &c) { c.items.FunctionTypes = {2, 49, 180}; });
        row("relay 1 every loop", [](DataFileContent &c) { c.items.RelayMatrix = {255, 0}; });
        row("relay 2 every loop", [](DataFileContent &c) { c.items.RelayMatrix = {0, 255}; });
        row("relays alternate", [](DataFileContent &c) { c.items.RelayMatrix = {0xA5, 0x5A}; });
        row("every UGA command and function",
            [](DataFileContent &c) { c.items.CommandMatrix = {0, 1, 2, 4, 8, 16, 30, 29}; });
        row("all loops discrimination", [](DataFileContent &c) { c.items.AlarmModes.fill(1); });
        row("all loops double detection", [](DataFileContent &c) { c.items.AlarmModes.fill(2); });
        row("mixed loop modes",
            [](DataFileContent &c) { c.items.AlarmModes = {0, 1, 2, 2, 1, 0, 2, 2}; });
        row("rearmable 12 V, external AES", [](DataFileContent &c) {
            c.items.Output12vMode = 1;
            c.items.AesChoice = 1;
        });
        row("other codes", [](DataFileContent &c) { c.codes = {"AAAA", "CCCC"}; });
        row("card absent", [](DataFileContent &c) {
            c.UpCardPresent = 0;
            c.items.AlarmModes = {1, 0, 2, 2, 0, 0, 0, 1};
            c.items.RelayMatrix = {3, 128};
            c.items.Output12vMode = 1;
        });
    }

    void saveThenOpen()
    {
        QFETCH(DataFileContent, content);
        const QString first = m_dir.filePath(QStringLiteral("first.dat"));
        const QString second = m_dir.filePath(QStringLiteral("second.dat"));

        // The configuration as a receive would leave it: record filled, then shown. Both windows
        // have shown the start-up record once before, so that the controls a card-absent show
        // skips start alike.
        Editor saver;
        saver.window.showConfiguration();
        PanelConfig &record = saver.session.config;
        std::copy_n(content.items.CommandMatrix.begin(), 8, record.CommandMatrix.begin());
        std::copy_n(content.items.AlarmModes.begin(), 8, record.AlarmModes.begin());
        std::copy_n(content.items.FunctionTypes.begin(), 3, record.FunctionTypes.begin());
        std::copy_n(content.items.RelayMatrix.begin(), 2, record.RelayMatrix.begin());
        record.Output12vMode = content.items.Output12vMode;
        record.AesChoice = content.items.AesChoice;
        record.UpCardPresent = content.UpCardPresent;
        saver.window.setCode(0, content.codes[0]);
        saver.window.setCode(1, content.codes[1]);
        saver.window.showConfiguration();
        const QStringList saved = controlStates(saver.window);
        saver.prompts.fileAnswers << first;
        QCOMPARE(saver.files.save(), SaveResult::Saved);
        QCOMPARE(readAll(first), DataFile::format(content));

        // Another window that had received a tempo from a panel opens the file.
        Editor opener;
        opener.session.config.UgaTempo = 9;
        opener.window.showConfiguration();
        const QString tempo = opener.window.Tempo_Lbl->text();
        opener.prompts.fileAnswers << first << second;
        QCOMPARE(opener.files.open(), LoadResult::Loaded);
        QCOMPARE(controlStates(opener.window), saved);
        QCOMPARE(opener.window.Tempo_Lbl->text(), tempo);
        QCOMPARE(opener.session.config.UgaTempo, std::optional<std::uint8_t>(9));
        QVERIFY(opener.prompts.messages().isEmpty());
        QCOMPARE(opener.prompts.busyDepth, 0);

        QCOMPARE(opener.files.save(), SaveResult::Saved);
        QCOMPARE(readAll(second), readAll(first));
    }

    void importShowsTheCardPresent()
    {
        QList<QByteArray> v1 = startupFields("TORVA_DATA");
        v1[1] = "5";     // loop 1: immediate UGA command, CMSI function 1
        v1[17] = "69";   // function 1: RSC_UGA with the auxiliary contact
        const QString old = m_dir.filePath(QStringLiteral("old.dat"));
        const QString saved = m_dir.filePath(QStringLiteral("imported.dat"));
        QVERIFY(writeAll(old, joinLines(v1)));

        Editor editor;
        editor.window.Up_Option[0]->setChecked(true);   // the installer had no card
        QCOMPARE(editor.session.config.UpCardPresent, 0);
        editor.prompts.fileAnswers << old << saved;
        QCOMPARE(editor.files.importVersion1(), LoadResult::Loaded);
        QVERIFY(editor.window.Up_Option[1]->isChecked());
        QVERIFY(!editor.window.Frame1->isHidden());
        QVERIFY(editor.window.Option1[1]->isChecked());
        QVERIFY(editor.window.Check_CMSI1[0]->isChecked());
        QVERIFY(!editor.window.Check_CMSI1[1]->isChecked());
        QVERIFY(editor.window.Option_RSC_UGA[0]->isChecked());
        QVERIFY(editor.window.Check_Hs_Ctc_Aux[0]->isChecked());
        QVERIFY(!editor.session.ConfigSaved);   // quitting now asks whether to save

        QCOMPARE(editor.files.save(), SaveResult::Saved);
        const QByteArray bytes = readAll(saved);
        QVERIFY(bytes.startsWith("TORVA_DATA_V2\r\n 5 \r\n"));
        QVERIFY(bytes.endsWith(" 65 \r\n 1 \r\n"));
        QCOMPARE(bytes.count("\r\n"), 33);
    }

    void refusedFileLeavesTheWindowAlone()
    {
        Editor editor;
        editor.window.Check_Alb[3]->setChecked(true);
        editor.window.Mode_Discrim[5]->setChecked(true);
        const QStringList before = controlStates(editor.window);
        const PanelConfig record = editor.session.config;

        QList<QByteArray> bad = startupFields();
        bad[20] = "255";   // relay 1: every loop
        bad[31] = "68";    // the last code letter is no A, B or C
        const QString path = m_dir.filePath(QStringLiteral("bad.dat"));
        QVERIFY(writeAll(path, joinLines(bad)));
        editor.prompts.fileAnswers << path;

        QCOMPARE(editor.files.open(), LoadResult::Refused);
        QCOMPARE(controlStates(editor.window), before);
        QCOMPARE(editor.session.config, record);
    }
};

TORVA_TEST(TestRoundTrip)
#include "tst_roundtrip.moc"
