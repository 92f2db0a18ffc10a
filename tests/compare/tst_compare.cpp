// The comparisons of the main window: the editor against the panel (read only) or a data file,
// in the comparison window; the editor, its code boxes and the session left as they were.
#include "files/FileFixtures.h"
#include "support/DifferenceRows.h"
#include "support/TestRegistry.h"
#include "support/WindowFixture.h"

#include "compare/CompareFrm.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtWidgets>

#include <functional>

using PanelChange = std::function<void(PanelState &)>;
Q_DECLARE_METATYPE(PanelChange)
Q_DECLARE_METATYPE(std::optional<Message>)

namespace {

// The editor showing what the panel holds, saved, from a file.
struct CompareBench : WindowFixture
{
    // What the comparison window showed, if it came.
    std::optional<QList<Difference>> rows;
    QString summary;
    bool sendOffered = false;

    CompareBench()
    {
        window.show(configOf(panel.state));
        session.ConfigSaved = true;
        session.DataFileName = QStringLiteral("/sites/a.dat");
        window.show();
    }

    // Reads the comparison window once it is up, then presses one of its buttons.
    void answerComparison(const char *button)
    {
        auto *poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, button] {
            auto *frm = qobject_cast<CompareFrm *>(QApplication::activeModalWidget());
            if (!frm)
                return;
            poll->deleteLater();
            QList<Difference> shown;
            for (int r = 0; r < frm->Table_Diff->rowCount(); ++r)
                shown.append({frm->Table_Diff->item(r, 0)->text(), frm->Table_Diff->item(r, 1)->text(),
                              frm->Table_Diff->item(r, 2)->text()});
            rows = shown;
            summary = frm->Label_Result->text();
            sendOffered = !frm->Command_Send->isHidden();
            // The pictures of docs/ are taken here (README).
            if (const QByteArray picture = qgetenv("TORVA_COMPARE_PNG"); !picture.isEmpty())
                frm->grab().save(QString::fromLocal8Bit(picture));
            frm->findChild<QPushButton *>(QLatin1String(button))->click();
        });
        poll->start(10);
    }
};

} // namespace

class CompareTest : public QObject
{
    Q_OBJECT

private slots:
    // The editor against the panel, which is only read: an item changed there gives its row in the
    // editor's words; a refusal or a failure gives the receive's message and no comparison. Either
    // way the editor, whether it is saved and its file are left as they were.
    void withPanel_data()
    {
        QTest::addColumn<PanelChange>("change");
        QTest::addColumn<std::optional<FaultRule>>("fault");
        QTest::addColumn<std::optional<QList<Difference>>>("expected"); // none: no comparison
        QTest::addColumn<std::optional<Message>>("message");
        const PanelChange same = [](PanelState &) {};
        const std::optional<FaultRule> noFault;
        const std::optional<QList<Difference>> noComparison;
        const std::optional<Message> noMessage;
        QTest::newRow("equal") << same << noFault << std::optional(QList<Difference>{}) << noMessage;
        QTest::newRow("alarm mode") << PanelChange([](PanelState &s) { s.alarmModes[1] = 1; }) << noFault
                                    << std::optional(
                                           QList<Difference>{{"Boucle 2 : mode alarme", "Mode Alarme simple",
                                                              "Discrimination"}})
                                    << noMessage;
        QTest::newRow("silent panel") << same << std::optional(FaultRule{Fault::Silence}) << noComparison
                                      << std::optional(Msg::timeOut());
    }
    void withPanel()
    {
        QFETCH(PanelChange, change);
        QFETCH(std::optional<FaultRule>, fault);
        QFETCH(std::optional<QList<Difference>>, expected);
        QFETCH(std::optional<Message>, message);
        CompareBench b;
        const PanelConfig before = b.window.configuration();
        change(b.panel.state);
        const PanelState panelBefore = b.panel.state;
        if (fault)
            b.panel.addFault(*fault);
        b.answerComparison("Command_Close");
        b.commands.compareWithPanel();
        QCOMPARE(b.rows, expected);
        if (expected && expected->isEmpty())
            QCOMPARE(b.summary, QStringLiteral("Aucune différence."));
        QCOMPARE(b.sendOffered, expected.has_value());
        QCOMPARE(b.prompts.messages(), message ? QList<Message>{*message} : QList<Message>());
        QCOMPARE(b.window.configuration(), before);
        QVERIFY(b.session.ConfigSaved);
        QCOMPARE(b.session.DataFileName, std::optional(QStringLiteral("/sites/a.dat")));
        QVERIFY(b.window.commands().Compare_Menu->isEnabled());
        QCOMPARE(configOf(b.panel.state), configOf(panelBefore)); // nothing written
    }

    // "ENVOYER LA CONFIGURATION" in the comparison window sends what the editor shows.
    void sendFromComparison()
    {
        CompareBench b;
        PanelConfig edited = configOf(b.panel.state);
        edited.setAlarmMode(1, AlarmMode::Discrimination);
        edited.setRelayFollows(0, 1, true);
        edited.setRelayFollows(0, 7, false);
        b.window.show(edited);
        b.answerComparison("Command_Send");
        b.commands.compareWithPanel();
        QCOMPARE(b.prompts.messages(), QList<Message>());
        QCOMPARE(configOf(b.panel.state), edited);
    }

    // The file is checked as "Ouvrir" checks it; a refused file gets Open's message and no comparison.
    void withFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<std::optional<QList<Difference>>>("expected");
        QList<QByteArray> rearmable = FileFixtures::startupFields();
        rearmable[22] = "1"; // line 23, the 12 V output
        QTest::newRow("default file")
            << FileFixtures::joinLines(rearmable)
            << std::optional(QList<Difference>{{"Sortie 12V", "Permanente", "Réarmable"}});
        QTest::newRow("refused file")
            << QByteArray("not a data file\n") << std::optional<QList<Difference>>();
    }
    void withFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(std::optional<QList<Difference>>, expected);
        CompareBench b;
        b.window.show(PanelConfig{});
        b.session.ConfigSaved = true;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("site.dat"));
        QVERIFY(FileFixtures::writeAll(path, content));
        b.prompts.fileAnswers = {path};
        b.answerComparison("Command_Close");
        b.commands.compareWithFile();
        QCOMPARE(b.rows, expected);
        QCOMPARE(b.prompts.messages(), expected ? QList<Message>() : QList<Message>{Msg::incompatible()});
        QVERIFY(!b.sendOffered);
        QCOMPARE(b.window.configuration(), PanelConfig{});
        QVERIFY(b.session.ConfigSaved);
        QCOMPARE(b.session.DataFileName, std::optional(QStringLiteral("/sites/a.dat")));
        QVERIFY(b.panel.requests().isEmpty());
    }
};

TORVA_TEST(CompareTest)
#include "tst_compare.moc"
