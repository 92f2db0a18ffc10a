// The main window as the installer drives it: start-up, change rules, showing a configuration, the
// configuration from the controls, the code boxes; then its commands, one exchange with the panel at
// a time.
#include "support/FunctionSetting.h"
#include "support/PanelBench.h"
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "editor/CodeEdit.h"
#include "editor/MainCommands.h"
#include "editor/MainWindow.h"
#include "files/DataFile.h"
#include "link/ExchangeLog.h"
#include "linkwindows/LogFrm.h"

#include <QTest>
#include <QtWidgets>

#include <algorithm>
#include <variant>

using Type = FunctionType;
using Flag = FunctionFlag;

// One thing done to the window, by the installer or by the program.
struct Click
{
    QString control;
}; // a mouse click; a greyed control ignores it
struct Tick
{
    QString control;
}; // ticked by the program, greyed or not
struct ClearGroup
{
    QString frame;
}; // no option of the frame selected, which no click can do
struct Show
{
    PanelConfig config;
}; // the configuration shown, as a receive or an open does
struct Keys
{
    int box;
    QString keys;
}; // keys typed at the end of a code box
struct Paste
{
    int box;
}; // Ctrl+V in a code box
struct Leave
{
    int box;
    Qt::FocusReason why;
}; // the focus taken from a code box
using Step = std::variant<Click, Tick, ClearGroup, Show, Keys, Paste, Leave>;
using Steps = QList<Step>;
using Modes = std::array<std::uint8_t, kLoopCount>;
using Codes = std::array<QString, 2>;
Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(Steps)
Q_DECLARE_METATYPE(PanelConfig)
Q_DECLARE_METATYPE(Modes)
Q_DECLARE_METATYPE(Codes)

// For QCOMPARE's report: the items as a data file holds them, then the tempo.
static char *toString(const PanelConfig &c)
{
    const QByteArray tempo = c.UgaTempo ? QByteArray::number(*c.UgaTempo) : QByteArray("none");
    return qstrdup(DataFile::format(c).simplified() + " tempo " + tempo);
}

namespace {

const QString kEnter = QStringLiteral("\r");
const QString kBackspace = QStringLiteral("\b");
const QString kNoTempo = QStringLiteral("Tempo UGA ="); // the tempo label until a tempo is shown

Steps clicks(std::initializer_list<const char *> controls)
{
    Steps steps;
    for (const char *control : controls)
        steps.emplaceBack(std::in_place_type<Click>, QString::fromLatin1(control));
    return steps;
}

PanelConfig withModes(const Modes &modes)
{
    PanelConfig c;
    c.AlarmModes = modes;
    return c;
}

PanelConfig withTypes(const FunctionSetting &f1, const FunctionSetting &f2, const FunctionSetting &f3)
{
    PanelConfig c;
    setFunction(c, 0, f1);
    setFunction(c, 1, f2);
    setFunction(c, 2, f3);
    return c;
}

QStringList sorted(QStringList names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// A main window after its start-up, with the emulated panel behind its link and prompts that record.
struct EditorBench : PanelBench
{
    Session session;
    MainWindow window{session, link, prompts};

    // False, with a warning, when a step names no control of the window.
    bool run(const Steps &steps)
    {
        bool known = true;
        for (const Step &step : steps)
            known = std::visit([this](const auto &s) { return make(s); }, step) && known;
        return known;
    }

    QAbstractButton *control(const QString &name)
    {
        auto *button = window.findChild<QAbstractButton *>(name);
        if (!button)
            qWarning("no control %s", qPrintable(name));
        return button;
    }
    bool make(const Click &s)
    {
        QAbstractButton *b = control(s.control);
        return b && (b->click(), true);
    }
    bool make(const Tick &s)
    {
        QAbstractButton *b = control(s.control);
        return b && (b->setChecked(true), true);
    }
    bool make(const ClearGroup &s)
    {
        auto *group = window.findChild<QWidget *>(s.frame)->findChild<QButtonGroup *>();
        group->setExclusive(false);
        group->checkedButton()->setChecked(false);
        group->setExclusive(true);
        return true;
    }
    bool make(const Show &s)
    {
        window.show(s.config);
        return true;
    }
    bool make(const Keys &s)
    {
        window.Text_Niveau[s.box]->end(false);
        QTest::keyClicks(window.Text_Niveau[s.box], s.keys);
        return true;
    }
    bool make(const Paste &s)
    {
        QTest::keyClick(window.Text_Niveau[s.box], Qt::Key_V, Qt::ControlModifier);
        return true;
    }
    bool make(const Leave &s)
    {
        QFocusEvent event(QEvent::FocusOut, s.why);
        QApplication::sendEvent(window.Text_Niveau[s.box], &event);
        return true;
    }

    // The option buttons and boxes of "FONCTIONS CMSI" that are selected or ticked, and those greyed.
    QStringList functionControls(bool (*which)(const QAbstractButton *)) const
    {
        QStringList names;
        for (const QAbstractButton *b : window.Frame1->findChildren<QAbstractButton *>())
            if (which(b))
                names << b->objectName();
        return sorted(names);
    }
    QStringList functionsChecked() const
    {
        return functionControls([](const QAbstractButton *b) { return b->isChecked(); });
    }
    QStringList functionsGreyed() const
    {
        return functionControls([](const QAbstractButton *b) { return !b->isEnabled(); });
    }
};

// The editor with its commands wired, shown, the port chosen being the emulated panel.
struct Exchange : EditorBench
{
    int diagnostics = 0;
    MainCommands commands{window, link, session, prompts, [this] { ++diagnostics; }};

    Exchange()
    {
        commands.setPortSelection([this] {
            return link.openPort(PortChoice::simulated()) ? PortOutcome::Opened : PortOutcome::Failed;
        });
        window.show();
    }

    // The commands that would start an exchange, change the editor or hold a wait with a dialog.
    QList<QObject *> exchangeCommands() const
    {
        return {window.Command1,  window.Command2,   window.Diag_Menu, window.Open_Menu,
                window.Save_Menu, window.Print_Menu, window.Pdf_Menu,  window.Import_Mnu};
    }
    QStringList disabledCommands() const
    {
        QStringList names;
        for (QObject *o : exchangeCommands())
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
    // The window as the program starts: the start-up configuration, saved, every auxiliary contact
    // box greyed (the "Bouton Actif" boxes usable although unticked, as the RSC rule leaves them).
    void startUp()
    {
        EditorBench f;
        QCOMPARE(f.window.configuration(), PanelConfig());
        QVERIFY(f.session.ConfigSaved);
        QVERIFY(f.prompts.shown.isEmpty());
        QCOMPARE(f.window.Tempo_Lbl->text(), kNoTempo);
        QVERIFY(!f.window.Frame1->isHidden() && !f.window.Frm_Cde->isHidden());
        QCOMPARE(f.functionsChecked(), sorted({"Option_RSC(0)", "Option_RSC(1)", "Option_RSC(2)"}));
        QCOMPARE(f.functionsGreyed(),
                 sorted({"Check_Hs_Ctc_Aux(0)", "Check_Hs_Ctc_Aux(1)", "Check_Hs_Ctc_Aux(2)"}));
    }

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

        row("function 1 Nul clears the tempo and the contact",
            clicks({"Option_RSC_UGA(0)", "Check_Hs_Ctc_Aux(0)", "Check_Tempo(0)", "Option_Nul(0)"}),
            {"Option_Nul(0)", "Option_RSC(1)", "Option_RSC(2)"}, auxGreyed + QStringList{"Check_Tempo(0)"});
        row("function 1 RSC_UGA keeps the tempo box", clicks({"Check_Tempo(0)", "Option_RSC_UGA(0)"}),
            {"Option_RSC_UGA(0)", "Check_Tempo(0)", "Option_RSC(1)", "Option_RSC(2)"},
            {"Check_Hs_Ctc_Aux(1)", "Check_Hs_Ctc_Aux(2)"});
        row("function 1 Nul then RSC_UGA leaves the tempo greyed",
            clicks({"Option_Nul(0)", "Option_RSC_UGA(0)"}),
            {"Option_RSC_UGA(0)", "Option_RSC(1)", "Option_RSC(2)"},
            {"Check_Tempo(0)", "Check_Hs_Ctc_Aux(1)", "Check_Hs_Ctc_Aux(2)"});
        row("function 1 RSC_UGA unticks the contact",
            {Tick{"Check_Hs_Ctc_Aux(0)"}, Click{"Option_RSC_UGA(0)"}},
            {"Option_RSC_UGA(0)", "Option_RSC(1)", "Option_RSC(2)"},
            {"Check_Hs_Ctc_Aux(1)", "Check_Hs_Ctc_Aux(2)"});
        row("function 2 Nul clears every box",
            clicks({"Check_Tempo(1)", "Check_Rgp(1)", "Check_Bp_Actif(1)", "Option_Nul(1)"}),
            {"Option_RSC(0)", "Option_Nul(1)", "Option_RSC(2)"},
            auxGreyed + QStringList{"Check_Tempo(1)", "Check_Rgp(1)", "Check_Bp_Actif(1)"});
        row("function 2 RAC keeps every tick",
            clicks({"Check_Tempo(1)", "Check_Rgp(1)", "Check_Bp_Actif(1)", "Option_RAC(1)"}),
            {"Option_RSC(0)", "Option_RAC(1)", "Check_Tempo(1)", "Check_Rgp(1)", "Check_Bp_Actif(1)",
             "Option_RSC(2)"},
            auxGreyed);
        row("function 2 RSC_UGA unticks the tempo and the grouping",
            clicks({"Check_Tempo(1)", "Check_Rgp(1)", "Check_Bp_Actif(1)", "Option_RAC(1)",
                    "Option_RSC_UGA(1)"}),
            {"Option_RSC(0)", "Option_RSC_UGA(1)", "Option_RSC(2)"},
            {"Check_Hs_Ctc_Aux(0)", "Check_Rgp(1)", "Check_Bp_Actif(1)", "Check_Hs_Ctc_Aux(2)"});
        row("function 2 Nul then RSC_UGA makes the tempo usable",
            clicks({"Option_Nul(1)", "Option_RSC_UGA(1)"}),
            {"Option_RSC(0)", "Option_RSC_UGA(1)", "Option_RSC(2)"},
            {"Check_Hs_Ctc_Aux(0)", "Check_Rgp(1)", "Check_Bp_Actif(1)", "Check_Hs_Ctc_Aux(2)"});
        row("function 2 Nul then ESC makes the button usable", clicks({"Option_Nul(1)", "Option_ESC(1)"}),
            {"Option_RSC(0)", "Option_ESC(1)", "Option_RSC(2)"}, auxGreyed);
        row("function 2 ungrouped greys the button",
            clicks({"Check_Rgp(1)", "Check_Bp_Actif(1)", "Check_Rgp(1)"}),
            {"Option_RSC(0)", "Option_RSC(1)", "Option_RSC(2)"},
            auxGreyed + QStringList{"Check_Bp_Actif(1)"});
        row("function 2 grouped again makes the button usable",
            clicks({"Check_Rgp(1)", "Check_Rgp(1)", "Check_Rgp(1)"}),
            {"Option_RSC(0)", "Option_RSC(1)", "Check_Rgp(1)", "Option_RSC(2)"}, auxGreyed);
        row("function 3 ungrouped leaves function 2",
            clicks(
                {"Check_Rgp(1)", "Check_Bp_Actif(1)", "Check_Rgp(2)", "Check_Bp_Actif(2)", "Check_Rgp(2)"}),
            {"Option_RSC(0)", "Option_RSC(1)", "Check_Rgp(1)", "Check_Bp_Actif(1)", "Option_RSC(2)"},
            auxGreyed + QStringList{"Check_Bp_Actif(2)"});

        row("shown grouped on function 2, with the button on function 3",
            {Show{withTypes({Type::RSC}, {Type::RSC, {Flag::Grouped}},
                            {Type::RSC, {Flag::Grouped, Flag::ActiveButton}})}},
            {"Option_RSC(0)", "Option_RSC(1)", "Check_Rgp(1)", "Option_RSC(2)", "Check_Rgp(2)",
             "Check_Bp_Actif(2)"},
            auxGreyed);
        row("shown ungrouped greys both buttons",
            {Click{"Check_Rgp(1)"}, Click{"Check_Bp_Actif(1)"},
             Show{withTypes({Type::RSC}, {Type::RSC}, {Type::RSC})}},
            {"Option_RSC(0)", "Option_RSC(1)", "Option_RSC(2)"}, buttonsGreyed);
        row("shown RSC_UGA with the contact on function 1",
            {Show{withTypes({Type::RSC_UGA, {Flag::AuxContact}}, {Type::RSC}, {Type::RSC})}},
            {"Option_RSC_UGA(0)", "Check_Hs_Ctc_Aux(0)", "Option_RSC(1)", "Option_RSC(2)"},
            {"Check_Hs_Ctc_Aux(1)", "Check_Bp_Actif(1)", "Check_Hs_Ctc_Aux(2)", "Check_Bp_Actif(2)"});
        row("shown RSC_UGA temporised on function 2",
            {Show{withTypes({Type::RSC}, {Type::RSC_UGA, {Flag::Delayed}}, {Type::RSC})}},
            {"Option_RSC(0)", "Option_RSC_UGA(1)", "Check_Tempo(1)", "Option_RSC(2)"},
            {"Check_Hs_Ctc_Aux(0)", "Check_Rgp(1)", "Check_Bp_Actif(1)", "Check_Hs_Ctc_Aux(2)",
             "Check_Bp_Actif(2)"});
        // The tempo flag is shown after the type, on its greyed box.
        row("shown Nul temporised on function 3",
            {Show{withTypes({Type::RSC}, {Type::RSC}, {Type::Nul, {Flag::Delayed}})}},
            {"Option_RSC(0)", "Option_RSC(1)", "Option_Nul(2)", "Check_Tempo(2)"},
            buttonsGreyed + QStringList{"Check_Tempo(2)", "Check_Rgp(2)"});
        row("shown unknown type keeps the selected one",
            {Click{"Option_EAC(0)"}, Show{withTypes({FunctionType(9)}, {Type::RSC}, {Type::RSC})}},
            {"Option_EAC(0)", "Option_RSC(1)", "Option_RSC(2)"}, buttonsGreyed);
    }
    void functionRules()
    {
        QFETCH(Steps, steps);
        QFETCH(QStringList, checked);
        QFETCH(QStringList, greyed);
        EditorBench f;
        QVERIFY(f.run(steps));
        QCOMPARE(f.functionsChecked(), sorted(checked));
        QCOMPARE(f.functionsGreyed(), sorted(greyed));
    }

    // Double detection takes the partner loop along; normal or discrimination on the partner then
    // frees both. Nothing else of the configuration changes.
    void alarmModePairs_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<Modes>("modes");
        constexpr std::uint8_t N = 0, D = 1, X = 2; // normal, discrimination, double detection
        QTest::newRow("double on 1 takes 2 along")
            << clicks({"Mode_Double(0)"}) << Modes{X, X, N, N, N, N, N, N};
        QTest::newRow("double on 8 takes 7 along")
            << clicks({"Mode_Double(7)"}) << Modes{N, N, N, N, N, N, X, X};
        QTest::newRow("discrimination on 2 after double on 1")
            << clicks({"Mode_Double(0)", "Mode_Discrim(1)"}) << Modes{N, D, N, N, N, N, N, N};
        QTest::newRow("normal on 7 after double on 8")
            << clicks({"Mode_Double(7)", "Mode_Normal(6)"}) << Modes{};
        QTest::newRow("normal on 5 leaves 6 in discrimination")
            << clicks({"Mode_Discrim(4)", "Mode_Discrim(5)", "Mode_Normal(4)"})
            << Modes{N, N, N, N, N, D, N, N};
        QTest::newRow("shown 7 counts as double and takes 3 along")
            << Steps{Show{withModes({N, N, N, 7, N, D, N, N})}} << Modes{N, N, X, X, N, D, N, N};
        QTest::newRow("shown double on 1 then normal on 2: both normal")
            << Steps{Show{withModes({X, N, N, N, N, N, N, N})}} << Modes{};
    }
    void alarmModePairs()
    {
        QFETCH(Steps, steps);
        QFETCH(Modes, modes);
        EditorBench f;
        QVERIFY(f.run(steps));
        QCOMPARE(f.window.configuration(), withModes(modes));
    }

    // Every control of the configuration marks it changed, at once; selecting the option already
    // selected changes nothing.
    void changeMarksUnsaved_data()
    {
        QTest::addColumn<Steps>("before"); // made before the configuration is marked saved
        QTest::addColumn<Step>("change");
        QTest::addColumn<bool>("saved");
        const auto row = [](const char *name, const Steps &before, const char *control, bool saved) {
            QTest::newRow(name) << before << Step{Click{QString::fromLatin1(control)}} << saved;
        };
        row("alarm mode back to normal", clicks({"Mode_Discrim(2)"}), "Mode_Normal(2)", false);
        row("discrimination on loop 6", {}, "Mode_Discrim(5)", false);
        row("double detection on loop 7", {}, "Mode_Double(6)", false);
        row("relay 2 on loop 8", {}, "Check_Alb(15)", false);
        row("loop 8 no longer drives function 3", {}, "Check_CMSI1(23)", false);
        row("loop 1 commands no UGA", {}, "Option1(0)", false);
        row("function 3 temporised", {}, "Check_Tempo(2)", false);
        row("function 2 auxiliary contact", clicks({"Option_RSC_UGA(1)"}), "Check_Hs_Ctc_Aux(1)", false);
        row("function 2 grouped", {}, "Check_Rgp(1)", false);
        row("function 3 active button", {}, "Check_Bp_Actif(2)", false);
        row("function 1 Nul", {}, "Option_Nul(0)", false);
        row("function 3 RAC", {}, "Option_RAC(2)", false);
        row("function 3 RSC_UGA", {}, "Option_RSC_UGA(2)", false);
        row("12 V output rearmable", {}, "OptionRearm(0)", false);
        row("external AES", {}, "AES_Option(1)", false);
        row("the selected type again", {}, "Option_RSC(0)", true);
    }
    void changeMarksUnsaved()
    {
        QFETCH(Steps, before);
        QFETCH(Step, change);
        EditorBench f;
        QVERIFY(f.run(before));
        f.session.ConfigSaved = true;
        QVERIFY(f.run({change}));
        QTEST(f.session.ConfigSaved, "saved");
    }

    // The card's presence only hides and shows its frames: removing it and putting it back clears
    // no control and is no change of configuration.
    void cardPresenceClearsNothing()
    {
        EditorBench f;
        QVERIFY(f.run(
            clicks({"Option1(4)", "Check_CMSI1(5)", "Option_RAC(1)", "Check_Rgp(1)", "AES_Option(1)"})));
        const PanelConfig edited = f.window.configuration();
        const QStringList greyed = f.functionsGreyed();
        f.session.ConfigSaved = true;

        QVERIFY(f.run(clicks({"Up_Option(0)"})));
        QVERIFY(f.window.Frame1->isHidden() && f.window.Frm_Cde->isHidden());
        PanelConfig absent = edited;
        absent.setCardPresent(false);
        QCOMPARE(f.window.configuration(), absent);

        QVERIFY(f.run(clicks({"Up_Option(1)"})));
        QVERIFY(!f.window.Frame1->isHidden() && !f.window.Frm_Cde->isHidden());
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

        PanelConfig commands;
        commands.CommandMatrix = {0, 1, 30, 3, 30, 30, 30, 30};
        PanelConfig commandsBack = commands;
        commandsBack.CommandMatrix[3] = 1; // both UGA bits: immediate
        QTest::newRow("commands none, immediate, temporised, both bits")
            << clicks({"Option1(6)", "Check_CMSI1(7)"}) << commands << commandsBack << kNoTempo;

        PanelConfig outputs;
        outputs.RelayMatrix = {129, 254};
        outputs.Output12vMode = 7;
        outputs.AesChoice = 9;
        PanelConfig outputsBack = outputs;
        outputsBack.Output12vMode = outputsBack.AesChoice = 1;
        QTest::newRow("relays, 12 V and AES not 0")
            << clicks({"Check_Alb(3)"}) << outputs << outputsBack << kNoTempo;

        PanelConfig tempo;
        tempo.UgaTempo = 5;
        QTest::newRow("tempo 5 minutes")
            << Steps{} << tempo << tempo << QStringLiteral("Tempo UGA =  5 min.");

        PanelConfig codes;
        codes.AccessCodes = {QStringLiteral("ABCA"), QStringLiteral("CBAB")};
        QTest::newRow("access codes") << Steps{} << codes << codes << kNoTempo;

        PanelConfig other;
        other.UpCardPresent = 2;
        other.UgaTempo = 3;
        PanelConfig otherBack;
        otherBack.setUgaCommand(0, UgaCommand::None); // as the click left it
        QTest::newRow("presence 2 counts as present, the card's items skipped")
            << clicks({"Option1(0)"}) << other << otherBack << kNoTempo;

        PanelConfig absent;
        absent.setCardPresent(false);
        absent.setFunctionType(2, Type::Nul);
        absent.setAes(Aes::Internal);
        absent.UgaTempo = 7;
        absent.setAlarmMode(0, AlarmMode::Discrimination);
        absent.setRelayFollows(0, 0, true);
        absent.setOutput12v(Output12v::Rearmable);
        // The card's controls as the clicks left them.
        PanelConfig absentBack = absent;
        absentBack.setUgaCommand(0, UgaCommand::None);
        absentBack.setDrivesFunction(0, 0, false);
        setFunction(absentBack, 0, {Type::EAC, {Flag::Delayed}});
        setFunction(absentBack, 1, {Type::Nul});
        setFunction(absentBack, 2, {Type::RSC, {Flag::Grouped}});
        absentBack.setAes(Aes::External);
        absentBack.UgaTempo.reset();
        QTest::newRow("card absent: the card's controls kept")
            << clicks({"Option1(0)", "Check_CMSI1(0)", "Option_EAC(0)", "Check_Tempo(0)", "Option_Nul(1)",
                       "Check_Rgp(2)", "AES_Option(1)"})
            << absent << absentBack << kNoTempo;
    }
    void show()
    {
        QFETCH(Steps, before);
        QFETCH(PanelConfig, shown);
        QFETCH(PanelConfig, computed);
        EditorBench f;
        QVERIFY(f.run(before));
        f.window.show(shown);
        QCOMPARE(f.window.configuration(), computed);
        QCOMPARE(f.window.Frame1->isHidden(), !computed.cardPresent());
        QCOMPARE(f.window.Frm_Cde->isHidden(), !computed.cardPresent());
        QTEST(f.window.Tempo_Lbl->text(), "tempoLabel");
    }

    // Control states that showing a configuration never leaves, computed all the same; the round
    // trips through a file and through the panel pin the rest of the computation.
    void configurationFromControls_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<PanelConfig>("computed");
        QTest::newRow("button without grouping, contact under RSC: not counted")
            << Steps{Click{"Check_Bp_Actif(1)"}, Tick{"Check_Hs_Ctc_Aux(0)"}} << PanelConfig();
        PanelConfig noUga;
        noUga.setUgaCommand(2, UgaCommand::None);
        for (int f = 0; f < kFunctionCount; ++f)
            noUga.setDrivesFunction(2, f, false);
        noUga.setUgaCommand(7, UgaCommand::None);
        QTest::newRow("no UGA option counts as none")
            << Steps{ClearGroup{"Frm_Uga(2)"}, Click{"Check_CMSI1(6)"}, Click{"Check_CMSI1(7)"},
                     Click{"Check_CMSI1(8)"}, ClearGroup{"Frm_Uga(7)"}}
            << noUga;
        QTest::newRow("no type counts as RSC_UGA")
            << Steps{Click{"Check_Tempo(0)"}, ClearGroup{"Frm_Fonction(0)"}}
            << withTypes({Type::RSC_UGA, {Flag::Delayed}}, {Type::RSC}, {Type::RSC});
        QTest::newRow("no type counts as RSC_UGA, with its contact")
            << Steps{Tick{"Check_Hs_Ctc_Aux(1)"}, ClearGroup{"Frm_Fonction(1)"}}
            << withTypes({Type::RSC}, {Type::RSC_UGA, {Flag::AuxContact}}, {Type::RSC});
    }
    void configurationFromControls()
    {
        QFETCH(Steps, steps);
        EditorBench f;
        QVERIFY(f.run(steps));
        QTEST(f.window.configuration(), "computed");
    }

    // Real keys typed into the code boxes and the focus leaving them: only A, B and C, four at most;
    // a short code or two equal ones are refused when the box is left or Enter is pressed, and a box
    // made equal to the other goes back to its delivery code. Leaving a box for a message box
    // checks nothing.
    void codeBoxes_data()
    {
        QTest::addColumn<Codes>("before");
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<Codes>("after");
        QTest::addColumn<QList<Message>>("messages");
        QTest::addColumn<bool>("saved");
        const QList<Message> none, shortCodes{Msg::shortCodes()}, equalCodes{Msg::equalCodes()};
        QTest::newRow("lower case becomes upper case")
            << Codes{"", "CCBA"} << Steps{Keys{0, "abc"}} << Codes{"ABC", "CCBA"} << none << false;
        QTest::newRow("letters after the fourth refused")
            << Codes{"BCAB", "A"} << Steps{Keys{1, "bcaBca"}} << Codes{"BCAB", "ABCA"} << none << false;
        QTest::newRow("D, digits, blanks, signs and paste refused")
            << Codes{"AB", "CCBA"} << Steps{Keys{0, "Dd12 9xyZ!-"}, Paste{0}} << Codes{"AB", "CCBA"} << none
            << false;
        QTest::newRow("backspace in a full box")
            << Codes{"BCAB", "CCBA"} << Steps{Keys{1, kBackspace}} << Codes{"BCAB", "CCB"} << none << false;
        QTest::newRow("two letters, Enter")
            << Codes{"BC", "CCBA"} << Steps{Keys{0, kEnter}} << Codes{"BC", "CCBA"} << shortCodes << false;
        QTest::newRow("short box left with the mouse")
            << Codes{"BCAB", "CC"} << Steps{Leave{1, Qt::MouseFocusReason}} << Codes{"BCAB", "CC"}
            << shortCodes << true;
        QTest::newRow("short box left for a message box")
            << Codes{"BCAB", "CC"} << Steps{Leave{1, Qt::ActiveWindowFocusReason}} << Codes{"BCAB", "CC"}
            << none << true;
        QTest::newRow("short box 0 not checked from box 1")
            << Codes{"BC", "CCBA"} << Steps{Keys{1, kEnter}} << Codes{"BC", "CCBA"} << none << false;
        QTest::newRow("box 1 made equal, then Tab")
            << Codes{"BCAB", "CCBA"}
            << Steps{Keys{1, kBackspace.repeated(4) + "bcab"}, Leave{1, Qt::TabFocusReason}}
            << Codes{"BCAB", "CCBA"} << equalCodes << false;
        QTest::newRow("equal codes, Enter in box 0") << Codes{"ABAB", "ABAB"} << Steps{Keys{0, kEnter}}
                                                     << Codes{"BCAB", "ABAB"} << equalCodes << false;
        QTest::newRow("box 0 reset to a delivery code equal to box 1")
            << Codes{"BCAB", "BCAB"} << Steps{Keys{0, kEnter}} << Codes{"BCAB", "BCAB"} << equalCodes
            << false;
        QTest::newRow("short and equal: both messages")
            << Codes{"AB", "AB"} << Steps{Keys{0, kEnter}} << Codes{"BCAB", "AB"} << shortCodes + equalCodes
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
            for (CodeEdit *box : f.window.Text_Niveau) {
                QFocusEvent event(QEvent::FocusOut, Qt::OtherFocusReason);
                QApplication::sendEvent(box, &event);
            }
        };
        QApplication::clipboard()->setText(QStringLiteral("abc12")); // a paste would go round the key filter
        QVERIFY(f.run(steps));
        QCOMPARE(f.window.configuration().AccessCodes, after);
        QTEST(f.prompts.messages(), "messages");
        QTEST(f.session.ConfigSaved, "saved");
    }

    // The check of a file's values and the editor agree both ways: from configurations the editor
    // computed, with a few values spoilt at random, a value is accepted exactly when showing it (the
    // card present) and computing it back from the controls gives it again, whatever its card
    // presence says; and whatever the editor computes is accepted.
    void fileCheckAgreesWithEditor()
    {
        EditorBench e;
        QRandomGenerator random(20261206);
        const auto byte = [&](int below) { return std::uint8_t(random.bounded(below)); };
        int accepted = 0, refused = 0;
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

            std::array<std::uint8_t *, 23> values{&checked.Output12vMode, &checked.AesChoice};
            for (int i = 0; i < kLoopCount; ++i) {
                values[2 + i] = &checked.CommandMatrix[i];
                values[10 + i] = &checked.AlarmModes[i];
            }
            for (int k = 0; k < kFunctionCount; ++k)
                values[18 + k] = &checked.FunctionTypes[k];
            values[21] = &checked.RelayMatrix[0];
            values[22] = &checked.RelayMatrix[1];
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

    // While a receive waits on a silent panel, nothing can start another exchange; all comes back after.
    void commandsDisabledDuringExchange()
    {
        Exchange b;
        b.panel.addFault({Fault::Silence});
        QStringList during;
        QTimer::singleShot(300, [&] {
            during = b.disabledCommands();
            // A click that slips through anyway starts nothing.
            b.commands.receive();
            b.commands.send();
        });
        QTest::mouseClick(b.window.Command1, Qt::LeftButton);
        QCOMPARE(during.size(), b.exchangeCommands().size());
        QCOMPARE(b.disabledCommands(), QStringList());
        QCOMPARE(b.prompts.messages(), QList<Message>{Msg::timeOut()});
        // Only the first exchange read the mode, three attempts.
        QCOMPARE(b.panel.requests().size(), Link::kAttempts);
    }

    // "Journal des échanges" during a receive: its window opens and stays usable while the receive
    // runs; emptied part-way, it shows the rest of the receive as it happens, and nothing pops up.
    // Its save, whose dialog would hold the receive, waits for the end.
    void exchangeLogDuringTransfer()
    {
        Exchange b;
        ExchangeLog log;
        b.link.setExchangeLog(&log);
        bool asked = false, running = false, shown = false, saveOff = false;
        qsizetype linesShown = -1, recordsThen = 0;
        connect(&log, &ExchangeLog::recorded, this, [&](const ExchangeRecord &record) {
            if (asked || record.step != QStringLiteral("Lecture modes alarme"))
                return;
            asked = true;
            QTimer::singleShot(0, &b.window, [&] {
                running = b.commands.isExchangeRunning() && b.window.Log_Menu->isEnabled();
                b.window.Log_Menu->trigger();
                LogFrm *window = b.commands.exchangeLog();
                shown = window && window->isVisible();
                saveOff = window && !window->Enregistrer->isEnabled();
                linesShown = window ? window->Journal->blockCount() : -1;
                recordsThen = qsizetype(log.records().size());
                if (window)
                    QTest::mouseClick(window->Effacer, Qt::LeftButton);
            });
        });
        QTest::mouseClick(b.window.Command1, Qt::LeftButton);
        QVERIFY(running && shown && saveOff);
        QVERIFY(b.commands.exchangeLog()->Enregistrer->isEnabled());
        QCOMPARE(linesShown, recordsThen);
        QCOMPARE(b.prompts.shown.size(), 0);
        QTRY_COMPARE(b.commands.exchangeLog()->Journal->toPlainText() + u'\n', log.text());
        QCOMPARE(log.records().front().step, QStringLiteral("Lecture modes alarme"));
        QVERIFY(ExchangeLog::line(log.records().back())
                    .endsWith(QStringLiteral("Lecture choix AES | 01 06 1b 01 23 00 | acceptée")));
    }

    // The window closed while a transfer waits on a silent panel: the transfer stops (no further
    // frame, no message of its own), the editor stays as it was (controls, code boxes, whether it is
    // saved), then the leave procedure runs: its question only for an edited configuration.
    void closeDuringTransferChangesNothing_data()
    {
        QTest::addColumn<bool>("send");
        QTest::addColumn<std::optional<FaultRule>>("silentAt"); // none: close during the wake-up
        QTest::addColumn<bool>("edited");
        const std::optional<FaultRule> wakeUp;
        const auto at = [](int command, int index = -1) {
            return std::optional(FaultRule{Fault::Silence, command, index});
        };
        QTest::newRow("receive: the wake-up") << false << wakeUp << false;
        QTest::newRow("receive: the codes read") << false << at(4) << false;
        QTest::newRow("receive: an alarm mode read, edited") << false << at(21, 3) << true;
        QTest::newRow("send: the wake-up") << true << wakeUp << true;
        QTest::newRow("send: a write") << true << at(22, 2) << true;
        QTest::newRow("send: a verification read") << true << at(21) << true;
        QTest::newRow("send: the codes verification read") << true << at(4) << false;
    }
    void closeDuringTransferChangesNothing()
    {
        QFETCH(bool, send);
        QFETCH(std::optional<FaultRule>, silentAt);
        QFETCH(bool, edited);
        Exchange b;
        b.window.setCodes({QStringLiteral("AAAB"), QStringLiteral("CCCA")});
        b.window.Mode_Discrim[2]->setChecked(true);
        b.session.ConfigSaved = !edited;
        const PanelConfig shown = b.window.configuration();
        if (silentAt)
            b.panel.addFault(*silentAt);
        // Closes once the silent request has gone out, or 100 ms into the 200 ms wake-up.
        qsizetype framesAtClose = -1;
        QTimer poll;
        QElapsedTimer clock;
        clock.start();
        connect(&poll, &QTimer::timeout, [&] {
            const QList<QByteArray> frames = b.panel.requests();
            const bool waiting =
                silentAt ? !frames.isEmpty() && quint8(frames.last()[2]) == silentAt->command &&
                               (silentAt->index < 0 || quint8(frames.last()[3]) == silentAt->index)
                         : clock.elapsed() >= 100;
            if (waiting && framesAtClose < 0) {
                framesAtClose = frames.size();
                b.window.close();
            }
        });
        poll.start(10);
        b.prompts.yesNoAnswers = {false};
        QTest::mouseClick(send ? b.window.Command2 : b.window.Command1, Qt::LeftButton);
        QTRY_VERIFY(!b.window.isVisible());
        QTest::qWait(100); // time for a frame sent after the close to reach the panel
        QVERIFY(framesAtClose >= 0);
        QCOMPARE(b.panel.requests().size(), framesAtClose);
        QCOMPARE(b.prompts.messages(), QList<Message>());
        QCOMPARE(b.prompts.shown.size(), edited ? 1 : 0); // the leave question, answered No
        QCOMPARE(b.window.configuration(), shown);
        QCOMPARE(b.session.ConfigSaved, !edited);
        QVERIFY(!b.link.isPortOpen());
    }

    // The desktop ends the session: the leave question, answered Yes, and the session's end
    // cancelled only when nothing could be saved.
    void sessionEnd_data()
    {
        QTest::addColumn<QString>("target"); // relative to a fresh folder
        QTest::addColumn<bool>("mayEnd");
        QTest::newRow("saved, ends") << "site.dat" << true;
        QTest::newRow("the save fails: stays") << "." << false;
    }
    void sessionEnd()
    {
        QFETCH(QString, target);
        QFETCH(bool, mayEnd);
        Exchange b;
        QTemporaryDir dir;
        b.window.Mode_Discrim[2]->setChecked(true);
        b.prompts.yesNoAnswers = {true};
        b.prompts.fileAnswers = {QDir(dir.path()).filePath(target)};
        QCOMPARE(b.commands.commitData(), mayEnd);
        QCOMPARE(b.prompts.shown.first().text,
                 QStringLiteral("DESIREZ-VOUS SAUVEGARDER CETTE CONFIGURATION ?"));
        QCOMPARE(b.session.ConfigSaved, mayEnd);
        QCOMPARE(QFileInfo(QDir(dir.path()).filePath(target)).isFile(), mayEnd);
    }

    // "Fenêtre Diagnostic" opens the window only on a port that opened; "Quitter" leaves the
    // same way as the close box, with the question while the configuration is unsaved.
    void diagnosticAndQuit()
    {
        Exchange b;
        b.window.Diag_Menu->trigger();
        b.commands.setPortSelection([] { return PortOutcome::Failed; });
        b.window.Diag_Menu->trigger();
        QCOMPARE(b.diagnostics, 1);
        b.window.Mode_Discrim[2]->setChecked(true);
        b.window.Quit_Menu->trigger();
        QVERIFY(!b.window.isVisible());
        QCOMPARE(b.prompts.shown.size(), 1);
        QCOMPARE(b.prompts.shown[0].icon, Prompts::Icon::Critical);
    }
};

#include "tst_editor.moc"
TORVA_TEST(EditorTest)
