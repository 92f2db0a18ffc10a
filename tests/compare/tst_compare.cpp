// The comparisons of the main window: the editor against the panel (read only) or a data file,
// in the comparison window; the editor, its code boxes and the session left as they were.
#include "support/DifferenceRows.h"
#include "support/PanelBench.h"
#include "support/TestRegistry.h"

#include "compare/CompareFrm.h"
#include "config/Session.h"
#include "editor/MainCommands.h"
#include "editor/MainWindow.h"
#include "files/DataFile.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtWidgets>

#include <functional>

using PanelChange = std::function<void(PanelState &)>;
Q_DECLARE_METATYPE(PanelChange)
Q_DECLARE_METATYPE(std::optional<Message>)

namespace {

// The main window with its commands, the emulated panel behind the port selection, the editor
// showing what the panel holds, saved, from a file.
struct CompareBench : PanelBench
{
    Session session;
    MainWindow window{session, link, prompts};
    MainCommands commands{window, link, session, prompts, [] {}};

    // What the comparison window showed, if it came.
    std::optional<QList<Difference>> rows;
    QString summary;
    bool sendOffered = false;

    CompareBench()
    {
        commands.setPortSelection([this] {
            return link.openPort(PortChoice::simulated()) ? PortOutcome::Opened : PortOutcome::Failed;
        });
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

    // The command bytes of the requests the panel received.
    QList<int> commandsReceived() const
    {
        QList<int> out;
        for (const QByteArray &frame : panel.requests())
            out << quint8(frame[2]);
        return out;
    }
};

// A change of the panel's command matrix, function types or relays, made by item: the panel holds
// them as the very bytes a configuration keeps.
PanelChange byItem(std::function<void(PanelConfig &)> change)
{
    return [change](PanelState &s) {
        PanelConfig c = configOf(s);
        change(c);
        putConfig(c, s);
    };
}

} // namespace

class CompareTest : public QObject
{
    Q_OBJECT

private slots:
    // One item changed in the panel gives exactly its row, in the editor's words.
    void panelRows_data()
    {
        QTest::addColumn<PanelChange>("change");
        QTest::addColumn<QList<Difference>>("expected");
        const auto row = differenceRow<PanelState>;
        row("equal", [](PanelState &) {}, {});
        row("alarm mode", [](PanelState &s) { s.alarmModes[1] = 1; },
            {{"Boucle 2 : mode alarme", "Mode Alarme simple", "Discrimination"}});
        row("relay", byItem([](PanelConfig &c) { c.setRelayFollows(1, 0, true); }),
            {{"Relais 2 : Boucle 1", "non", "oui"}});
        row("12 V output", [](PanelState &s) { s.output12v = 0; },
            {{"Sortie 12V", "Réarmable", "Permanente"}});
        row("command matrix bit", byItem([](PanelConfig &c) { c.setDrivesFunction(4, 2, true); }),
            {{"Boucle 5 : fonction CMSI 3", "non", "oui"}});
        row("function option",
            byItem([](PanelConfig &c) { c.setFunctionFlag(0, FunctionFlag::Delayed, true); }),
            {{"Fonction 1 : Temporisé 20s", "non", "oui"}});
        row("AES", [](PanelState &s) { s.aes = 0; },
            {{"Alimentation Diffuseurs", "AES Externe", "AES Interne"}});
        row("level 2 code", [](PanelState &s) { s.codes[0] = 5; }, {{"Code niveau 2", "ABCA", "CBCA"}});
        row("card absent", [](PanelState &s) { s.cardFitted = false; },
            {{"Carte UP", "PRESENTE", "ABSENTE"}});
    }
    void panelRows()
    {
        QFETCH(PanelChange, change);
        QFETCH(QList<Difference>, expected);
        CompareBench b;
        change(b.panel.state);
        b.answerComparison("Command_Close");
        b.commands.compareWithPanel();
        QCOMPARE(b.rows, std::optional(expected));
        if (expected.isEmpty())
            QCOMPARE(b.summary, QStringLiteral("Aucune différence."));
        QVERIFY(b.sendOffered);
    }

    // Compared or refused, the editor is left as it was and nothing is written to the panel; a
    // refusal or a failure gives the receive's message and no comparison.
    void panelLeavesEditor_data()
    {
        QTest::addColumn<std::optional<FaultRule>>("fault");
        QTest::addColumn<bool>("manual");
        QTest::addColumn<std::optional<Message>>("message");
        const std::optional<FaultRule> none;
        QTest::newRow("compared") << none << false << std::optional<Message>();
        QTest::newRow("manual mode") << none << true << std::optional(Msg::manualMode());
        QTest::newRow("silent panel")
            << std::optional(FaultRule{Fault::Silence}) << false << std::optional(Msg::timeOut());
        QTest::newRow("codes reply unusable") << std::optional(FaultRule{Fault::MissingDataByte, 4}) << false
                                              << std::optional(Msg::transferError());
    }
    void panelLeavesEditor()
    {
        QFETCH(std::optional<FaultRule>, fault);
        QFETCH(bool, manual);
        QFETCH(std::optional<Message>, message);
        CompareBench b;
        b.window.setCodes({QStringLiteral("AAAB"), QStringLiteral("CCCA")});
        const PanelConfig before = b.window.configuration();
        const PanelState panelBefore = b.panel.state;
        if (fault)
            b.panel.addFault(*fault);
        b.panel.state.manualMode = manual;
        b.answerComparison("Command_Close");
        b.commands.compareWithPanel();
        QCOMPARE(b.rows.has_value(), !message);
        QCOMPARE(b.prompts.messages(), message ? QList<Message>{*message} : QList<Message>());
        QCOMPARE(b.window.configuration(), before);
        QVERIFY(b.session.ConfigSaved);
        QCOMPARE(b.session.DataFileName, std::optional(QStringLiteral("/sites/a.dat")));
        QCOMPARE(b.window.Compare_Menu->isEnabled(), true);
        for (int command : b.commandsReceived())
            QVERIFY2(command <= 6 || command == 12 || command == 14 || command == 20 || command == 21 ||
                         command == 27 || command == 30,
                     qPrintable(QStringLiteral("command %1 is not a read").arg(command)));
        QCOMPARE(b.panel.state.codes, panelBefore.codes);
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
        QCOMPARE(b.rows->size(), 3);
        QCOMPARE(b.prompts.messages(), QList<Message>());
        QCOMPARE(configOf(b.panel.state), b.window.configuration());
    }

    // The item's name is never cut, even in a font larger than the one the window was made with,
    // and the two values share the rest of the width.
    void columnsFitTheirContents()
    {
        const QList<Difference> rows{{"Relais 1 : Boucle 2", "oui", "non"},
                                     {"Boucle 2 : mode alarme", "Discrimination", "Mode Alarme simple"}};
        CompareFrm frm(rows, CompareFrm::Against::Panel);
        QFont larger = frm.Table_Diff->font();
        larger.setPointSizeF(larger.pointSizeF() * 1.5);
        frm.Table_Diff->setFont(larger);
        frm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frm));
        const QFontMetrics metrics(larger);
        QVERIFY(frm.Table_Diff->columnWidth(0) > metrics.horizontalAdvance(rows[1].item));
        QVERIFY(qAbs(frm.Table_Diff->columnWidth(1) - frm.Table_Diff->columnWidth(2)) <= 1);
    }

    // The file is checked as "Ouvrir" checks it; a refused file gets Open's message and no comparison.
    void withFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<std::optional<QList<Difference>>>("expected");
        PanelConfig other;
        other.setOutput12v(Output12v::Rearmable);
        QTest::newRow("default file")
            << DataFile::format(other)
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
        QFile file(dir.filePath(QStringLiteral("site.dat")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        b.prompts.fileAnswers = {file.fileName()};
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
