// The main window as the installer drives it: its change rules, showing a configuration, the code
// boxes; then its commands, one exchange with the panel at a time.
#include "support/FunctionSetting.h"
#include "support/TestRegistry.h"
#include "support/WindowFixture.h"

#include "editor/CodeEdit.h"
#include "files/DataFile.h"
#include "link/ExchangeLog.h"
#include "linkwindows/LogFrm.h"

#include <QTest>
#include <QtWidgets>

#include <functional>

using Type = FunctionType;
using Flag = FunctionFlag;

// One thing done to the window, by the installer or by the program.
using Step = std::function<void(MainWindow &)>;
using Steps = QList<Step>;
using Modes = std::array<std::uint8_t, kLoopCount>;
using Codes = std::array<QString, 2>;
Q_DECLARE_METATYPE(Steps)
Q_DECLARE_METATYPE(PanelConfig)
Q_DECLARE_METATYPE(Modes)
Q_DECLARE_METATYPE(Codes)

namespace {

const QString kEnter = QStringLiteral("\r");
const QString kNoTempo = QStringLiteral("Tempo UGA ="); // the tempo label until a tempo is shown

QAbstractButton *button(MainWindow &window, const char *name)
{
    auto *found = window.findChild<QAbstractButton *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// Code box 0 (level 2) or 1 (level 3).
CodeEdit *codeBox(MainWindow &window, int box)
{
    return control<CodeEdit>(window, QStringLiteral("Text_Niveau(%1)").arg(box));
}

bool hidden(MainWindow &window, const char *frame)
{
    return control(window, QLatin1String(frame))->isHidden();
}

// A mouse click; a greyed control ignores it.
Step click(const char *control)
{
    return [control](MainWindow &w) { button(w, control)->click(); };
}

Steps clicks(std::initializer_list<const char *> controls)
{
    Steps steps;
    for (const char *control : controls)
        steps << click(control);
    return steps;
}

// The configuration shown, as a receive or an open does.
Step shown(const PanelConfig &config)
{
    return [config](MainWindow &w) { w.show(config); };
}

// Keys typed at the end of a code box.
Step keys(int box, const QString &keys)
{
    return [box, keys](MainWindow &w) {
        codeBox(w, box)->end(false);
        QTest::keyClicks(codeBox(w, box), keys);
    };
}

// Ctrl+V in a code box.
Step paste(int box)
{
    return [box](MainWindow &w) { QTest::keyClick(codeBox(w, box), Qt::Key_V, Qt::ControlModifier); };
}

// The focus taken from a code box.
Step leave(int box, Qt::FocusReason why)
{
    return [box, why](MainWindow &w) {
        QFocusEvent event(QEvent::FocusOut, why);
        QApplication::sendEvent(codeBox(w, box), &event);
    };
}

PanelConfig withTypes(const FunctionSetting &f1, const FunctionSetting &f2, const FunctionSetting &f3)
{
    PanelConfig c;
    setFunction(c, 0, f1);
    setFunction(c, 1, f2);
    setFunction(c, 2, f3);
    return c;
}

// The main window with its commands, left unshown unless a test shows it.
struct EditorBench : WindowFixture
{
    void run(const Steps &steps)
    {
        for (const Step &step : steps)
            step(window);
    }

    // The option buttons and boxes of "FONCTIONS CMSI" that are selected or ticked, and those greyed.
    QStringList functionControls(bool (*which)(const QAbstractButton *)) const
    {
        QStringList names;
        for (const QAbstractButton *b :
             control(window, QStringLiteral("Frame1"))->findChildren<QAbstractButton *>())
            if (which(b))
                names << b->objectName();
        names.sort();
        return names;
    }
    QStringList functionsChecked() const
    {
        return functionControls([](const QAbstractButton *b) { return b->isChecked(); });
    }
    QStringList functionsGreyed() const
    {
        return functionControls([](const QAbstractButton *b) { return !b->isEnabled(); });
    }

    // Those of the commands that start an exchange, change the editor or hold a wait with a dialog
    // that are disabled.
    QStringList disabledCommands() const
    {
        const QList<QObject *> commands{window.commands().Command1,  window.commands().Command2,
                                        window.commands().Diag_Menu, window.commands().Open_Menu,
                                        window.commands().Save_Menu, window.commands().Print_Menu,
                                        window.commands().Pdf_Menu,  window.commands().Import_Mnu};
        QStringList names;
        for (QObject *o : commands)
            if (!o->property("enabled").toBool())
                names << o->objectName();
        return names;
    }
};

} // namespace

class EditorTest : public QObject
{
    Q_OBJECT

private slots:
    // The rules of the CMSI functions' types and option boxes, clicked or shown: what is then
    // selected or ticked in "FONCTIONS CMSI", and what is greyed.
    void functionRules_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QStringList>("checked");
        QTest::addColumn<QStringList>("greyed");
        const QStringList auxGreyed{"Check_Hs_Ctc_Aux(0)", "Check_Hs_Ctc_Aux(1)", "Check_Hs_Ctc_Aux(2)"};
        const QStringList buttonsGreyed = auxGreyed + QStringList{"Check_Bp_Actif(1)", "Check_Bp_Actif(2)"};
        const auto row = [](const char *name, const Steps &steps, const QStringList &checked,
                            const QStringList &greyed) { QTest::newRow(name) << steps << checked << greyed; };

        // The "Bouton Actif" boxes usable although unticked, as the RSC rule leaves them.
        row("start-up", {}, {"Option_RSC(0)", "Option_RSC(1)", "Option_RSC(2)"}, auxGreyed);
        row("function 1 Nul clears the tempo and the contact",
            clicks({"Option_RSC_UGA(0)", "Check_Hs_Ctc_Aux(0)", "Check_Tempo(0)", "Option_Nul(0)"}),
            {"Option_Nul(0)", "Option_RSC(1)", "Option_RSC(2)"}, auxGreyed + QStringList{"Check_Tempo(0)"});
        row("function 2 Nul clears every box",
            clicks({"Check_Tempo(1)", "Check_Rgp(1)", "Check_Bp_Actif(1)", "Option_Nul(1)"}),
            {"Option_RSC(0)", "Option_Nul(1)", "Option_RSC(2)"},
            auxGreyed + QStringList{"Check_Tempo(1)", "Check_Rgp(1)", "Check_Bp_Actif(1)"});
        row("function 2 RSC_UGA unticks the tempo and the grouping",
            clicks({"Check_Tempo(1)", "Check_Rgp(1)", "Check_Bp_Actif(1)", "Option_RAC(1)",
                    "Option_RSC_UGA(1)"}),
            {"Option_RSC(0)", "Option_RSC_UGA(1)", "Option_RSC(2)"},
            {"Check_Hs_Ctc_Aux(0)", "Check_Rgp(1)", "Check_Bp_Actif(1)", "Check_Hs_Ctc_Aux(2)"});
        row("function 3 ungrouped leaves function 2",
            clicks(
                {"Check_Rgp(1)", "Check_Bp_Actif(1)", "Check_Rgp(2)", "Check_Bp_Actif(2)", "Check_Rgp(2)"}),
            {"Option_RSC(0)", "Option_RSC(1)", "Check_Rgp(1)", "Check_Bp_Actif(1)", "Option_RSC(2)"},
            auxGreyed + QStringList{"Check_Bp_Actif(2)"});

        row("shown grouped on function 2, with the button on function 3",
            {shown(withTypes({Type::RSC}, {Type::RSC, {Flag::Grouped}},
                             {Type::RSC, {Flag::Grouped, Flag::ActiveButton}}))},
            {"Option_RSC(0)", "Option_RSC(1)", "Check_Rgp(1)", "Option_RSC(2)", "Check_Rgp(2)",
             "Check_Bp_Actif(2)"},
            auxGreyed);
        // The tempo flag is shown after the type, on its greyed box.
        row("shown Nul temporised on function 3",
            {shown(withTypes({Type::RSC}, {Type::RSC}, {Type::Nul, {Flag::Delayed}}))},
            {"Option_RSC(0)", "Option_RSC(1)", "Option_Nul(2)", "Check_Tempo(2)"},
            buttonsGreyed + QStringList{"Check_Tempo(2)", "Check_Rgp(2)"});
        row("shown unknown type keeps the selected one",
            {click("Option_EAC(0)"), shown(withTypes({FunctionType(9)}, {Type::RSC}, {Type::RSC}))},
            {"Option_EAC(0)", "Option_RSC(1)", "Option_RSC(2)"}, buttonsGreyed);
    }
    void functionRules()
    {
        QFETCH(Steps, steps);
        QFETCH(QStringList, checked);
        QFETCH(QStringList, greyed);
        EditorBench f;
        f.run(steps);
        checked.sort();
        greyed.sort();
        QCOMPARE(f.functionsChecked(), checked);
        QCOMPARE(f.functionsGreyed(), greyed);
    }

    // Double detection takes the partner loop along; normal or discrimination on the partner then
    // frees both. Nothing else of the configuration changes.
    void alarmModePairs_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<Modes>("modes");
        constexpr std::uint8_t N = 0;
        constexpr std::uint8_t D = 1;
        constexpr std::uint8_t X = 2;
        QTest::newRow("double on 1 takes 2 along")
            << clicks({"Mode_Double(0)"}) << Modes{X, X, N, N, N, N, N, N};
        QTest::newRow("discrimination on 2 after double on 1")
            << clicks({"Mode_Double(0)", "Mode_Discrim(1)"}) << Modes{N, D, N, N, N, N, N, N};
        QTest::newRow("normal on 5 leaves 6 in discrimination")
            << clicks({"Mode_Discrim(4)", "Mode_Discrim(5)", "Mode_Normal(4)"})
            << Modes{N, N, N, N, N, D, N, N};
    }
    void alarmModePairs()
    {
        QFETCH(Steps, steps);
        QFETCH(Modes, modes);
        EditorBench f;
        f.run(steps);
        PanelConfig expected;
        expected.AlarmModes = modes;
        QCOMPARE(f.window.configuration(), expected);
    }

    // Every kind of control of the configuration marks it changed, at once; selecting the option
    // already selected changes nothing.
    void changeMarksUnsaved_data()
    {
        QTest::addColumn<Steps>("before"); // made before the configuration is marked saved
        QTest::addColumn<Steps>("change");
        QTest::addColumn<bool>("saved");
        const auto row = [](const char *name, const Steps &before, const char *control, bool saved) {
            QTest::newRow(name) << before << Steps{click(control)} << saved;
        };
        row("alarm mode back to normal", clicks({"Mode_Discrim(2)"}), "Mode_Normal(2)", false);
        row("relay 2 on loop 8", {}, "Check_Alb(15)", false);
        row("loop 8 no longer drives function 3", {}, "Check_CMSI1(23)", false);
        row("loop 1 commands no UGA", {}, "Option1(0)", false);
        row("function 3 temporised", {}, "Check_Tempo(2)", false);
        row("function 2 auxiliary contact", clicks({"Option_RSC_UGA(1)"}), "Check_Hs_Ctc_Aux(1)", false);
        row("function 3 RAC", {}, "Option_RAC(2)", false);
        row("12 V output rearmable", {}, "OptionRearm(0)", false);
        row("external AES", {}, "AES_Option(1)", false);
        row("the selected type again", {}, "Option_RSC(0)", true);
    }
    void changeMarksUnsaved()
    {
        QFETCH(Steps, before);
        QFETCH(Steps, change);
        EditorBench f;
        f.run(before);
        f.session.ConfigSaved = true;
        f.run(change);
        QTEST(f.session.ConfigSaved, "saved");
    }

    // The card's presence only hides and shows its frames: removing it and putting it back clears
    // no control and is no change of configuration.
    void cardPresenceClearsNothing()
    {
        EditorBench f;
        f.run(clicks({"Option1(4)", "Check_CMSI1(5)", "Option_RAC(1)", "Check_Rgp(1)", "AES_Option(1)"}));
        const PanelConfig edited = f.window.configuration();
        const QStringList greyed = f.functionsGreyed();
        f.session.ConfigSaved = true;

        f.run(clicks({"Up_Option(0)"}));
        QVERIFY(hidden(f.window, "Frame1") && hidden(f.window, "Frm_Cde"));
        f.run(clicks({"Up_Option(1)"}));
        QVERIFY(!hidden(f.window, "Frame1") && !hidden(f.window, "Frm_Cde"));
        QCOMPARE(f.window.configuration(), edited);
        QCOMPARE(f.functionsGreyed(), greyed);
        QVERIFY(f.session.ConfigSaved);
    }

    // A configuration shown over edited controls, then computed back from them: the card's frames
    // show exactly when it is present, and the tempo label says the tempo shown.
    void show_data()
    {
        QTest::addColumn<Steps>("before");
        QTest::addColumn<PanelConfig>("shown");
        QTest::addColumn<PanelConfig>("computed");
        QTest::addColumn<QString>("tempoLabel");

        PanelConfig tempo;
        tempo.UgaTempo = 5;
        QTest::newRow("tempo 5 minutes")
            << Steps{} << tempo << tempo << QStringLiteral("Tempo UGA =  5 min.");

        // Without the card its items are not shown: its controls keep what the clicks left.
        PanelConfig absent;
        absent.setCardPresent(false);
        absent.setAlarmMode(0, AlarmMode::Discrimination);
        absent.setFunctionType(2, Type::Nul);
        absent.setAes(Aes::External);
        absent.UgaTempo = 7;
        PanelConfig absentBack = absent;
        absentBack.setUgaCommand(0, UgaCommand::None);
        absentBack.setFunctionType(0, Type::EAC);
        absentBack.setFunctionType(2, Type::RSC);
        absentBack.setAes(Aes::Internal);
        absentBack.UgaTempo.reset();
        QTest::newRow("card absent: the card's controls kept")
            << clicks({"Option1(0)", "Option_EAC(0)"}) << absent << absentBack << kNoTempo;
    }
    void show()
    {
        QFETCH(Steps, before);
        QFETCH(PanelConfig, shown);
        QFETCH(PanelConfig, computed);
        EditorBench f;
        f.run(before);
        f.window.show(shown);
        QCOMPARE(f.window.configuration(), computed);
        QCOMPARE(hidden(f.window, "Frame1"), !computed.cardPresent());
        QCOMPARE(hidden(f.window, "Frm_Cde"), !computed.cardPresent());
        QTEST(control<QLabel>(f.window, QStringLiteral("Tempo_Lbl"))->text(), "tempoLabel");
    }

    // "Bouton Actif" ticked on an ungrouped function, which the start-up leaves usable, is not
    // counted: the panel would get a button without its grouping.
    void buttonCountsOnlyGrouped()
    {
        EditorBench f;
        f.run(clicks({"Check_Bp_Actif(1)"}));
        QCOMPARE(f.window.configuration(), PanelConfig());
    }

    // Real keys typed into the code boxes: only A, B and C, four at most. A short code or two equal ones
    // are refused when the box is left (not for a message box) or Enter is pressed; a box made equal to
    // the other goes back to its delivery code.
    void codeBoxes_data()
    {
        QTest::addColumn<Codes>("before");
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<Codes>("after");
        QTest::addColumn<QList<Message>>("messages");
        QTest::addColumn<bool>("saved");
        const QList<Message> none;
        const QList<Message> shortCodes{Msg::shortCodes()};
        const QList<Message> equalCodes{Msg::equalCodes()};
        QTest::newRow("letters after the fourth refused")
            << Codes{"BCAB", "A"} << Steps{keys(1, "bcaBca")} << Codes{"BCAB", "ABCA"} << none << false;
        QTest::newRow("D, digits, blanks, signs and paste refused")
            << Codes{"AB", "CCBA"} << Steps{keys(0, "Dd12 9xyZ!-"), paste(0)} << Codes{"AB", "CCBA"} << none
            << false;
        QTest::newRow("short box left with the mouse")
            << Codes{"BCAB", "CC"} << Steps{leave(1, Qt::MouseFocusReason)} << Codes{"BCAB", "CC"}
            << shortCodes << true;
        QTest::newRow("short box left for a message box")
            << Codes{"BCAB", "CC"} << Steps{leave(1, Qt::ActiveWindowFocusReason)} << Codes{"BCAB", "CC"}
            << none << true;
        QTest::newRow("short box 0 not checked from box 1")
            << Codes{"BC", "CCBA"} << Steps{keys(1, kEnter)} << Codes{"BC", "CCBA"} << none << false;
        QTest::newRow("box 1 made equal, then Tab")
            << Codes{"BCAB", ""} << Steps{keys(1, "bcab"), leave(1, Qt::TabFocusReason)}
            << Codes{"BCAB", "CCBA"} << equalCodes << false;
        QTest::newRow("short and equal: both messages")
            << Codes{"AB", "AB"} << Steps{keys(0, kEnter)} << Codes{"BCAB", "AB"} << shortCodes + equalCodes
            << false;
    }
    void codeBoxes()
    {
        QFETCH(Codes, before);
        QFETCH(Steps, steps);
        QFETCH(Codes, after);
        EditorBench f;
        f.window.setCodes(before);
        f.session.ConfigSaved = true;
        // A real message box takes the focus from the box being checked: that must not check it again.
        f.prompts.onShown = [&f](const FakePrompts::Shown &) {
            for (CodeEdit *box : {codeBox(f.window, 0), codeBox(f.window, 1)}) {
                QFocusEvent event(QEvent::FocusOut, Qt::OtherFocusReason);
                QApplication::sendEvent(box, &event);
            }
        };
        QApplication::clipboard()->setText(QStringLiteral("abc12")); // a paste would go round the key filter
        f.run(steps);
        QCOMPARE(f.window.configuration().AccessCodes, after);
        QTEST(f.prompts.messages(), "messages");
        QTEST(f.session.ConfigSaved, "saved");
    }

    // What the editor computes is accepted in a file; spoilt at random, a value is accepted exactly
    // when the editor, showing it with the card present, gives it back, whatever the card presence.
    void fileCheckAgreesWithEditor()
    {
        EditorBench e;
        QRandomGenerator random(20261206);
        const auto byte = [&](int below) { return std::uint8_t(random.bounded(below)); };
        int accepted = 0;
        int refused = 0;
        for (int n = 0; n < 3000; ++n) {
            PanelConfig drawn;
            for (int i = 0; i < kLoopCount; ++i) {
                drawn.CommandMatrix[i] = byte(32);
                drawn.AlarmModes[i] = byte(3);
            }
            for (int k = 0; k < kFunctionCount; ++k) {
                drawn.setFunctionType(k, FunctionType(byte(6)));
                for (FunctionFlag flag : kFunctionFlags)
                    drawn.setFunctionFlag(k, flag, random.bounded(2));
            }
            drawn.RelayMatrix = {byte(256), byte(256)};
            drawn.Output12vMode = byte(2);
            drawn.AesChoice = byte(2);
            e.window.show(drawn);
            PanelConfig checked = e.window.configuration();
            checked.UpCardPresent = byte(2);
            QVERIFY(DataFile::editorCanShow(checked));

            QList<std::uint8_t *> values{&checked.Output12vMode, &checked.AesChoice, &checked.RelayMatrix[0],
                                         &checked.RelayMatrix[1]};
            for (std::uint8_t &value : checked.CommandMatrix)
                values << &value;
            for (std::uint8_t &value : checked.AlarmModes)
                values << &value;
            for (std::uint8_t &value : checked.FunctionTypes)
                values << &value;
            for (int spoilt = byte(3); spoilt > 0; --spoilt) {
                std::uint8_t &value = *values[random.bounded(int(values.size()))];
                value = random.bounded(2) ? byte(256) : std::uint8_t(value ^ (1 << byte(8)));
            }

            PanelConfig withCard = checked;
            withCard.UpCardPresent = 1;
            e.window.show(withCard);
            PanelConfig back = e.window.configuration();
            back.UpCardPresent = checked.UpCardPresent;
            const bool same = back == checked;
            QVERIFY2(DataFile::editorCanShow(checked) == same,
                     qPrintable(QString::fromLatin1(DataFile::format(checked).simplified())));
            (same ? accepted : refused) += 1;
        }
        QVERIFY2(accepted > 500 && refused > 500,
                 qPrintable(QStringLiteral("%1 / %2").arg(accepted).arg(refused)));
    }

    // While a receive waits on a silent panel, nothing can start another exchange; all comes back
    // after. The exchange log stays within reach, its save only once the receive has ended.
    void commandsDisabledDuringExchange()
    {
        EditorBench b;
        ExchangeLog log;
        b.link.setExchangeLog(&log);
        b.window.show();
        b.panel.addFault({Fault::Silence});
        QStringList during;
        bool logSaveUsable = true;
        QTimer::singleShot(300, [&] {
            during = b.disabledCommands();
            b.window.commands().Log_Menu->trigger();
            logSaveUsable = !b.commands.exchangeLog() || b.commands.exchangeLog()->Enregistrer->isEnabled();
            // A click that slips through anyway starts nothing.
            b.commands.receive();
            b.commands.send();
        });
        QTest::mouseClick(b.window.commands().Command1, Qt::LeftButton);
        QCOMPARE(during, QStringList({"Command1", "Command2", "Diag_Menu", "Open_Menu", "Save_Menu",
                                      "Print_Menu", "Pdf_Menu", "Import_Mnu"}));
        QVERIFY(!logSaveUsable);
        QCOMPARE(b.disabledCommands(), QStringList());
        QVERIFY(b.commands.exchangeLog() && b.commands.exchangeLog()->isVisible());
        QVERIFY(b.commands.exchangeLog()->Enregistrer->isEnabled());
        QCOMPARE(b.prompts.messages(), QList<Message>{Msg::timeOut()});
        // Only the first exchange read the mode, three attempts.
        QCOMPARE(b.panel.requests().size(), Link::kAttempts);
    }

    // The window closed while a transfer waits on a silent panel: the transfer stops (no further
    // frame, no message of its own), the editor stays as it was (controls, code boxes, unsaved), then
    // the leave procedure runs: its question, answered No.
    void closeDuringTransferChangesNothing_data()
    {
        QTest::addColumn<bool>("send");
        QTest::addColumn<FaultRule>("silentAt");
        QTest::newRow("receive: an alarm mode read") << false << FaultRule{Fault::Silence, 21, 3};
        QTest::newRow("send: a write") << true << FaultRule{Fault::Silence, 22, 2};
        QTest::newRow("send: a verification read") << true << FaultRule{Fault::Silence, 21};
    }
    void closeDuringTransferChangesNothing()
    {
        QFETCH(bool, send);
        QFETCH(FaultRule, silentAt);
        EditorBench b;
        b.window.show();
        b.window.setCodes({QStringLiteral("AAAB"), QStringLiteral("CCCA")});
        control<QRadioButton>(b.window, QStringLiteral("Mode_Discrim(2)"))->setChecked(true);
        const PanelConfig shown = b.window.configuration();
        b.panel.addFault(silentAt);
        // Closes once the silent request has gone out.
        qsizetype framesAtClose = -1;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            const QList<QByteArray> frames = b.panel.requests();
            const bool waiting = !frames.isEmpty() && quint8(frames.last()[2]) == silentAt.command &&
                                 (silentAt.index < 0 || quint8(frames.last()[3]) == silentAt.index);
            if (waiting && framesAtClose < 0) {
                framesAtClose = frames.size();
                b.window.close();
            }
        });
        poll.start(10);
        b.prompts.yesNoAnswers = {false};
        QTest::mouseClick(send ? b.window.commands().Command2 : b.window.commands().Command1, Qt::LeftButton);
        QTRY_VERIFY(!b.window.isVisible());
        QTest::qWait(100); // time for a frame sent after the close to reach the panel
        QVERIFY(framesAtClose >= 0);
        QCOMPARE(b.panel.requests().size(), framesAtClose);
        QCOMPARE(b.prompts.messages(), QList<Message>());
        QCOMPARE(b.prompts.shown.size(), 1); // the leave question
        QCOMPARE(b.window.configuration(), shown);
        QVERIFY(!b.session.ConfigSaved);
    }
};

#include "tst_editor.moc"
TORVA_TEST(EditorTest)
