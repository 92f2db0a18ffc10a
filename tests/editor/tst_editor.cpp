// The main window as the installer drives it: start-up, change rules, showing a record, the items from
// the controls, the code boxes; then its commands, one exchange with the panel at a time.
#include "support/FakePrompts.h"
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "editor/CodeEdit.h"
#include "editor/MainCommands.h"
#include "editor/MainWindow.h"
#include "link/Link.h"
#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"

#include <QTest>
#include <QtWidgets>

#include <algorithm>

namespace {

// Applies "cmd2=1,mode3=7,type1=17,relay0=129,up=0,out=1,aes=1,tempo=5" to a record.
bool apply(PanelConfig &c, const QString &changes)
{
    static const QRegularExpression item(QStringLiteral("^([a-z]+?)(\\d?)=(\\d+)$"));
    for (const QString &change : changes.split(',', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = item.match(change);
        const QString key = m.captured(1);
        const int i = m.captured(2).toInt();
        std::uint8_t *slot = key == "cmd" ? &c.CommandMatrix[i] : key == "mode" ? &c.AlarmModes[i]
                             : key == "type" ? &c.FunctionTypes[i] : key == "relay" ? &c.RelayMatrix[i]
                             : key == "up" ? &c.UpCardPresent : key == "out" ? &c.Output12vMode
                             : key == "aes" ? &c.AesChoice : nullptr;
        if (key == "tempo")
            c.UgaTempo = std::uint8_t(m.captured(3).toInt());
        else if (!slot)
            return false;
        else
            *slot = std::uint8_t(m.captured(3).toInt());
    }
    return true;
}

// A main window after its start-up, with the emulated panel behind its link and prompts that record.
struct Editor
{
    EmulatedPanel panel;
    FakePrompts prompts;
    Session session;
    Link link{prompts, [this](const PortChoice &) { return std::make_unique<EmulatedPort>(panel); }};
    MainWindow window{session, link, prompts};

    // Steps separated by blanks: "Mode_Double(3)" clicks (a disabled control ignores it, as it does a
    // real click), "+Check_Rgp(1)" / "-Check_Rgp(1)" tick or untick from the program, "none:Frm_Uga(2)"
    // leaves no option of that frame selected, "show:cmd2=30,type1=17" shows the record so changed.
    bool run(const QString &steps)
    {
        for (const QString &step : steps.split(' ', Qt::SkipEmptyParts)) {
            const bool set = step.startsWith('+') || step.startsWith('-');
            auto *b = window.findChild<QAbstractButton *>(step.mid(set ? 1 : 0));
            auto *frame = window.findChild<QWidget *>(step.mid(5));
            if (auto *group = frame && step.startsWith("none:") ? frame->findChild<QButtonGroup *>() : nullptr) {
                group->setExclusive(false);
                for (QAbstractButton *option : group->buttons())
                    option->setChecked(false);
                group->setExclusive(true);
            } else if (step.startsWith("show:")) {
                if (!apply(session.config, step.mid(5)))
                    return false;
                const PanelConfig shown = session.config;
                window.showConfiguration();
                if (!(session.config == shown))   // showing changes nothing in the record
                    return false;
            } else if (!b) {
                return false;
            } else if (set) {
                b->setChecked(step[0] == '+');
            } else {
                b->click();
            }
        }
        return true;
    }

    // "E"/"D" enabled or not, then "x"/"." ticked (selected) or not: "Ex", "D.".
    QString state(const QString &name)
    {
        auto *b = window.findChild<QAbstractButton *>(name);
        return !b ? QStringLiteral("??") : QString(b->isEnabled() ? 'E' : 'D') + (b->isChecked() ? 'x' : '.');
    }

    // What an expectation "key:value" looks at.
    QString probe(const QString &key)
    {
        if (key == "boxes") {   // the option boxes of the functions, "Tempo Aux|Tempo Aux Rgp Bp|Tempo Aux Rgp Bp"
            QString out;
            for (const QString k : {"(0)", "(1)", "(2)"})
                out += (k == "(0)" ? "" : "|") + state("Check_Tempo" + k) + state("Check_Hs_Ctc_Aux" + k)
                       + (k == "(0)" ? "" : state("Check_Rgp" + k) + state("Check_Bp_Actif" + k));
            return out;
        }
        if (key == "modes") {   // per loop: "n" normal, "d" discrimination, "2" double detection, "?" not one
            QString out;
            for (int i = 0; i < 8; ++i) {
                const bool n = window.Mode_Normal[i]->isChecked(), d = window.Mode_Discrim[i]->isChecked();
                out += n + d + window.Mode_Double[i]->isChecked() != 1 ? '?' : n ? 'n' : d ? 'd' : '2';
            }
            return out;
        }
        if (key == "card")   // the presence in the record, then "v" or "h" for Frame1 and Frm_Cde
            return QString::number(session.config.UpCardPresent) + (window.Frame1->isHidden() ? 'h' : 'v')
                   + (window.Frm_Cde->isHidden() ? 'h' : 'v');
        return key == "tempo" ? window.Tempo_Lbl->text() : key == "saved" ? QString::number(session.ConfigSaved) : "?";
    }

    // The expectations that do not hold: "Option1(7)" selected or ticked, "!Check_CMSI1(6)" not,
    // "Check_Rgp(1)=Ex" a box's state, "tempo:5" the tempo label for 5 minutes ("tempo:" none),
    // "items:cmd2=0" the items from the controls are the start-up ones so changed, other "key:value" a probe.
    QString mismatches(const QString &expectations)
    {
        QStringList wrong;
        for (const QString &e : expectations.split(' ', Qt::SkipEmptyParts)) {
            const QString key = e.section(':', 0, 0);
            QString want = e.section(':', 1), got;
            if (!e.contains(':')) {
                const int equals = e.indexOf('=');
                want = equals > 0 ? e.mid(equals + 1) : e.startsWith('!') ? "." : "x";
                got = equals > 0 ? state(e.left(equals)) : state(e.mid(e.startsWith('!') ? 1 : 0)).right(1);
            } else if (key == "items") {
                PanelConfig c;
                const bool known = apply(c, want);
                ControlItems items{{}, {}, {}, {}, c.Output12vMode, c.AesChoice};
                std::copy_n(c.CommandMatrix.begin(), 8, items.CommandMatrix.begin());
                std::copy_n(c.AlarmModes.begin(), 8, items.AlarmModes.begin());
                std::copy_n(c.FunctionTypes.begin(), 3, items.FunctionTypes.begin());
                std::copy_n(c.RelayMatrix.begin(), 2, items.RelayMatrix.begin());
                got = known && window.itemsFromControls() == items ? want : "other items";
            } else {
                got = probe(key);
                if (key == "tempo")
                    want = "Tempo UGA =" + (want.isEmpty() ? QString() : "  " + want + " min.");
            }
            if (got != want)
                wrong << e + " (" + got + ')';
        }
        return wrong.join(", ");
    }
};

// The editor with its commands wired, shown, the port chosen being the emulated panel.
struct Exchange : Editor
{
    int diagnostics = 0;
    MainCommands commands{window, link, session, prompts, [this] { ++diagnostics; }};

    Exchange()
    {
        commands.setPortSelection(
            [this] { return link.openPort(PortChoice::simulated()) ? PortOutcome::Opened : PortOutcome::Failed; });
        window.show();
    }

    // The commands that would start an exchange, change the editor or hold a wait with a dialog: "11111111".
    QString commandsEnabled() const
    {
        QString on = QString(window.Command1->isEnabled() ? '1' : '0') + (window.Command2->isEnabled() ? '1' : '0');
        for (QAction *a : {window.Diag_Menu, window.Open_Menu, window.Save_Menu, window.Print_Menu, window.Pdf_Menu,
                           window.Import_Mnu})
            on += a->isEnabled() ? '1' : '0';
        return on;
    }
};

const QString kStart = QStringLiteral("boxes:E.D.|E.D.E.E.|E.D.E.E.");
const QString kShort = QStringLiteral("ERREUR DE SAISIE|Les codes doivent avoir 4 lettres !");
const QString kEqual = QStringLiteral("ERREUR DE SAISIE|Les deux codes doivent être différents !");
constexpr int kKept = -1;   // in place of a focus reason: the box kept the focus

void loseFocus(QWidget *box, int reason)
{
    QFocusEvent event(QEvent::FocusOut, Qt::FocusReason(reason));
    QApplication::sendEvent(box, &event);
}

} // namespace

class EditorTest : public QObject
{
    Q_OBJECT

private slots:
    void startUp()
    {
        Editor f;
        // "Bouton Actif" usable although unticked, as the RSC rule leaves it.
        QString want = "Option_RSC(0) Option_RSC(1) Option_RSC(2) OptionRearm(1) AES_Option(0) tempo: "
                       "modes:nnnnnnnn card:1vv saved:1 " + kStart;
        for (int i = 0; i < 24; ++i)
            want += QStringLiteral(" Check_CMSI1(%1) !Check_Alb(%2) Option1(%3)").arg(i).arg(i % 16).arg(i - i % 3 + 2);
        QCOMPARE(f.mismatches(want), QString());
        QCOMPARE(f.window.code(0) + f.window.code(1), QStringLiteral("BCABCCBA"));
        QVERIFY(f.session.config == PanelConfig() && f.prompts.shown.isEmpty());
        QVERIFY(f.link.openPort(PortChoice::simulated()));
        MainWindow again(f.session, f.link, f.prompts);
        QVERIFY(!f.link.isPortOpen());   // the start-up closes a port left open
    }

    // Steps from the start-up window, the last one made with the configuration marked saved, then what the
    // window shows: function types, alarm-mode pairs, change tracking, card presence, showing, items.
    void editing_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *tag, QString steps, QString want) { QTest::newRow(tag) << steps << want; };
        const QString aux0 = QStringLiteral("Option_RSC_UGA(0) Check_Hs_Ctc_Aux(0) ");
        const QString all2 = QStringLiteral("Check_Tempo(1) Check_Rgp(1) Check_Bp_Actif(1) ");
        row("f1 Nul clears tempo and aux", aux0 + "Check_Tempo(0) Option_Nul(0)", "boxes:D.D.|E.D.E.E.|E.D.E.E.");
        row("f1 RAC keeps the tempo tick", "Check_Tempo(0) Option_RAC(0)", "boxes:ExD.|E.D.E.E.|E.D.E.E.");
        row("f1 RSC_UGA keeps the tempo box", "Check_Tempo(0) Option_RSC_UGA(0)", "boxes:ExE.|E.D.E.E.|E.D.E.E.");
        row("f1 Nul then RSC_UGA keeps tempo greyed", "Option_Nul(0) Option_RSC_UGA(0)",
            "boxes:D.E.|E.D.E.E.|E.D.E.E.");
        row("f1 RSC_UGA unticks aux", aux0 + "Option_RSC(0) Option_RSC_UGA(0)", "boxes:E.E.|E.D.E.E.|E.D.E.E.");
        row("f2 Nul after all ticked", all2 + "Option_Nul(1)", "boxes:E.D.|D.D.D.D.|E.D.E.E.");
        row("f2 RAC keeps the ticks", all2 + "Option_RAC(1)", "boxes:E.D.|ExD.ExEx|E.D.E.E.");
        row("f2 RAC with ticks to RSC_UGA", all2 + "Option_RAC(1) Option_RSC_UGA(1)", "boxes:E.D.|E.E.D.D.|E.D.E.E.");
        row("f2 Nul then RSC_UGA: tempo usable", "Option_Nul(1) Option_RSC_UGA(1)", "boxes:E.D.|E.E.D.D.|E.D.E.E.");
        row("f2 Nul then ESC: button usable, unticked", "Option_Nul(1) Option_ESC(1)", kStart);
        row("f2 RSC_UGA with aux then EAC", "Option_RSC_UGA(1) Check_Hs_Ctc_Aux(1) Option_EAC(1)", kStart);
        row("f2 grouped unticked greys the button", "Check_Rgp(1) Check_Bp_Actif(1) Check_Rgp(1)",
            "boxes:E.D.|E.D.E.D.|E.D.E.E.");
        row("f2 grouped ticked again: button usable", "Check_Rgp(1) Check_Rgp(1) Check_Rgp(1)",
            "boxes:E.D.|E.D.ExE.|E.D.E.E.");
        row("f3 grouped unticked leaves f2",
            "Check_Rgp(1) Check_Bp_Actif(1) Check_Rgp(2) Check_Bp_Actif(2) Check_Rgp(2)",
            "boxes:E.D.|E.D.ExEx|E.D.E.D.");
        row("f3 Nul leaves f2", "Check_Tempo(1) Check_Rgp(1) Option_Nul(2)", "boxes:E.D.|ExD.ExE.|D.D.D.D.");

        for (int i = 0; i < 8; ++i)
            QTest::addRow("double on %d", i + 1) << QStringLiteral("Mode_Double(%1)").arg(i)
                                                 << "modes:" + QString(8, 'n').replace(i & ~1, 2, "22");
        row("normal on 1 after double on 2", "Mode_Double(1) Mode_Normal(0)", "modes:nnnnnnnn");
        row("discrimination on 3 after double on 4", "Mode_Double(3) Mode_Discrim(2)", "modes:nndnnnnn");
        row("discrimination on 6 after double on 5", "Mode_Double(4) Mode_Discrim(5)", "modes:nnnnndnn");
        row("normal on 7 after double on 8", "Mode_Double(7) Mode_Normal(6)", "modes:nnnnnnnn");
        row("normal on 5 leaves 6 in discrimination", "Mode_Discrim(4) Mode_Discrim(5) Mode_Normal(4)",
            "modes:nnnnndnn");
        row("double on 2 and 4 leaves loop 5", "Mode_Discrim(4) Mode_Double(1) Mode_Double(3)", "modes:2222dnnn");

        for (const char *steps :
             {"Mode_Discrim(2) Mode_Normal(2)", "Mode_Discrim(5)", "Mode_Double(6)", "Check_Alb(0)", "Check_Alb(15)",
              "Check_CMSI1(23)", "Check_Tempo(2)", "Option_RSC_UGA(1) Check_Hs_Ctc_Aux(1)", "Check_Bp_Actif(2)",
              "Check_Rgp(1)", "AES_Option(1)", "Option1(0)", "OptionRearm(0)", "Option_Nul(0)",
              "Option_RAC(1) Option_RSC(1)", "Option_RAC(2)", "Option_ESC(0)", "Option_EAC(1)", "Option_RSC_UGA(2)"})
            QTest::newRow(steps) << QString::fromLatin1(steps) << "saved:0";
        row("selected option again", "Option_RSC(0)", "saved:1");
        row("disabled box", "Check_Hs_Ctc_Aux(0)", "saved:1");
        row("card absent: frames hidden", "Up_Option(0)", "card:0hh saved:1");
        row("card present again: nothing cleared",
            "Option1(4) Check_CMSI1(5) Option_RAC(1) Check_Rgp(1) AES_Option(1) Up_Option(0) Up_Option(1)",
            "card:1vv saved:1 Option1(4) !Check_CMSI1(5) Option_RAC(1) Check_Rgp(1)=Ex Check_Bp_Actif(1)=E. "
            "AES_Option(1)");

        row("show command 30", "Option1(6) Check_CMSI1(7) show:cmd2=30",
            "Option1(8) Check_CMSI1(6) Check_CMSI1(7) Check_CMSI1(8)");
        row("show command 1", "show:cmd2=1", "Option1(7) !Check_CMSI1(6) !Check_CMSI1(7) !Check_CMSI1(8) Option1(5)");
        row("show commands 0 and 3", "show:cmd2=0,cmd0=3",
            "Option1(6) !Check_CMSI1(6) !Check_CMSI1(8) Option1(1) !Check_CMSI1(0)");
        row("show function 2 byte 17, 3 byte 49", "show:type1=17,type2=49",
            "Option_RSC(1) Check_Rgp(1)=Ex Check_Bp_Actif(1)=E. Check_Rgp(2)=Ex Check_Bp_Actif(2)=Ex");
        row("show grouped bit clear", "Check_Rgp(1) Check_Bp_Actif(1) show:type1=1",
            "Check_Rgp(1)=E. Check_Bp_Actif(1)=D.");
        row("show byte 69", "show:type0=69", "Option_RSC_UGA(0) Check_Hs_Ctc_Aux(0)=Ex Check_Tempo(0)=E.");
        row("show byte 133 on function 2", "show:type1=133",
            "Option_RSC_UGA(1) Check_Hs_Ctc_Aux(1)=E. Check_Tempo(1)=Ex Check_Rgp(1)=D.");
        row("show type 0 with bit 7", "show:type2=128",
            "Option_Nul(2) Check_Tempo(2)=Dx Check_Hs_Ctc_Aux(2)=D. Check_Rgp(2)=D.");
        row("show unknown type: options kept", "Option_EAC(0) show:type0=9", "Option_EAC(0) Check_Tempo(0)=E.");
        row("show alarm modes 7 and 1", "show:mode3=7,mode5=1",
            "Mode_Double(3) Mode_Double(2) Mode_Discrim(5) Mode_Normal(4)");
        row("show loop 1 double, loop 2 normal", "show:mode0=2,mode1=0", "Mode_Normal(0) Mode_Normal(1)");
        row("show relays", "Check_Alb(3) show:relay0=129,relay1=254",
            "Check_Alb(0) !Check_Alb(1) !Check_Alb(3) Check_Alb(7) !Check_Alb(8) Check_Alb(9) Check_Alb(15)");
        row("show 12 V and AES other than 0", "show:out=7,aes=9", "OptionRearm(0) AES_Option(1)");
        row("show 12 V and AES 0", "OptionRearm(0) AES_Option(1) show:out=0,aes=0", "OptionRearm(1) AES_Option(0)");
        row("show tempo 5", "show:tempo=5", "tempo:5");
        row("show no tempo", "show:", "tempo:");
        row("show presence 2: present, card skipped", "Option1(0) show:up=2,cmd0=30,tempo=3",
            "Up_Option(1) Option1(0) tempo:");
        row("show card absent: card's controls kept",
            "Option1(0) Check_CMSI1(0) Option_EAC(0) Check_Tempo(0) Option_Nul(1) Check_Rgp(2) AES_Option(1) "
            "show:up=0,cmd0=30,type0=1,type1=1,type2=0,aes=0,tempo=7,mode0=1,relay0=1,out=1",
            "Option1(0) !Check_CMSI1(0) Option_EAC(0) Check_Tempo(0)=Ex Option_Nul(1) Option_RSC(2) Check_Rgp(2)=Ex "
            "AES_Option(1) tempo: card:0hh Mode_Discrim(0) Check_Alb(0) OptionRearm(0)");

        // Controls that showing a record never leaves so; the round trips through a file and through the
        // panel pin the rest of the computation.
        row("items start-up", "", "items:");
        row("items no UGA option, no function", "none:Frm_Uga(2) Check_CMSI1(6) Check_CMSI1(7) Check_CMSI1(8)",
            "items:cmd2=0");
        row("items no UGA option, immediate", "none:Frm_Uga(7) Option1(4) Check_CMSI1(3) Check_CMSI1(5)",
            "items:cmd7=28,cmd1=9");
        row("items button without grouped", "Check_Bp_Actif(1)", "items:");
        row("items aux ticked under RSC", "+Check_Hs_Ctc_Aux(0)", "items:");
        row("items no type counts as RSC_UGA", "Check_Tempo(0) none:Frm_Fonction(0)", "items:type0=133");
        row("items no type, with aux", "+Check_Hs_Ctc_Aux(1) none:Frm_Fonction(1)", "items:type1=69");
    }
    void editing()
    {
        QFETCH(QString, steps);
        QFETCH(QString, expected);
        Editor f;
        const int last = steps.lastIndexOf(' ');
        QVERIFY(f.run(steps.left(qMax(last, 0))));
        f.session.ConfigSaved = true;
        QVERIFY(f.run(steps.mid(last + 1)));
        QCOMPARE(f.mismatches(expected), QString());
    }

    // Real keys typed at the end of a code box ("\r" is Enter) and a paste, then the box may lose the focus.
    void codes_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("before");   // the two boxes
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("focusOut");     // the reason the box lost the focus, or kKept
        QTest::addColumn<QString>("after");
        QTest::addColumn<QStringList>("messages");
        const QStringList none, tooShort{kShort}, equal{kEqual};
        const int tab = Qt::TabFocusReason;
        auto row = [](const char *name, int box, const char *before, const char *keys, int focusOut, const char *after,
                      const QStringList &messages) {
            QTest::newRow(name) << box << before << keys << focusOut << after << messages;
        };
        row("lower case becomes upper case", 0, " CCBA", "abc", kKept, "ABC CCBA", none);
        row("letters after the fourth refused", 1, "BCAB A", "bcaBca", kKept, "BCAB ABCA", none);
        row("D, digits, blanks refused", 0, "AB CCBA", "Dd12 9", kKept, "AB CCBA", none);
        row("other letters refused", 1, "BCAB ", "xyZ!-", kKept, "BCAB ", none);
        row("backspace in a full box, then a letter", 1, "BCAB CCBA", "\bc", kKept, "BCAB CCBC", none);
        row("backspace in an empty box", 0, " CCBA", "\b\ba", kKept, "A CCBA", none);
        row("two letters, Enter", 0, "BC CCBA", "\r", kKept, "BC CCBA", tooShort);
        row("short box, mouse elsewhere", 1, "BCAB CC", "", int(Qt::MouseFocusReason), "BCAB CC", tooShort);
        row("short box, focus to a message box", 1, "BCAB CC", "", int(Qt::ActiveWindowFocusReason), "BCAB CC", none);
        row("short box, focus to a menu", 1, "BCAB CC", "", int(Qt::PopupFocusReason), "BCAB CC", none);
        row("short box 0 not checked from box 1", 1, "BC CCBA", "\r", kKept, "BC CCBA", none);
        row("box 1 typed equal, then Tab", 1, "BCAB CCBA", "\b\b\b\bbcab", tab, "BCAB CCBA", equal);
        row("equal codes, Enter in box 1", 1, "ABAB ABAB", "\r", kKept, "ABAB CCBA", equal);
        row("equal codes, Enter in box 0", 0, "ABAB ABAB", "\r", kKept, "BCAB ABAB", equal);
        row("box 0 reset to a default equal to box 1", 0, "BCAB BCAB", "\r", kKept, "BCAB BCAB", equal);
        row("short and equal: both messages", 0, "AB AB", "\r", kKept, "BCAB AB", QStringList{kShort, kEqual});
    }
    void codes()
    {
        QFETCH(int, box);
        QFETCH(QString, before);
        QFETCH(QString, keys);
        QFETCH(int, focusOut);
        Editor f;
        f.window.setCode(0, before.section(' ', 0, 0));
        f.window.setCode(1, before.section(' ', 1));
        // A real message box takes the focus from the box being checked: that must not check it again.
        CodeEdit *edit = f.window.Text_Niveau[box];
        f.prompts.onShown = [&](const FakePrompts::Shown &) { loseFocus(edit, Qt::OtherFocusReason); };
        edit->end(false);
        QTest::keyClicks(edit, keys);
        QApplication::clipboard()->setText(QStringLiteral("abc12"));   // a paste would go round the key filter
        if (!keys.isEmpty())
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        if (focusOut != kKept)
            loseFocus(edit, focusOut);
        QTEST(f.window.code(0) + ' ' + f.window.code(1), "after");
        QTEST(f.prompts.messages(), "messages");
        for (const FakePrompts::Shown &shown : f.prompts.shown)
            QCOMPARE(shown.icon, Prompts::Icon::Warning);
        QCOMPARE(f.session.ConfigSaved, keys.isEmpty());   // every key is an edit, refused or not; leaving is not
    }

    void commandsDisabledDuringExchange_data()
    {
        QTest::addColumn<bool>("send");
        QTest::addColumn<bool>("silent");
        QTest::newRow("receive") << false << false;
        QTest::newRow("send") << true << false;
        QTest::newRow("receive from a silent panel") << false << true;
        QTest::newRow("send to a silent panel") << true << true;
    }
    void commandsDisabledDuringExchange()
    {
        QFETCH(bool, send);
        QFETCH(bool, silent);
        Exchange b;
        if (silent)
            b.panel.addFault({Fault::Silence});
        QString during;
        QTimer::singleShot(300, [&] {
            during = b.commandsEnabled();
            // A click that slips through anyway starts nothing.
            b.commands.receive();
            b.commands.send();
        });
        QTest::mouseClick(send ? b.window.Command2 : b.window.Command1, Qt::LeftButton);
        QCOMPARE(during, QStringLiteral("00000000"));
        QCOMPARE(b.commandsEnabled(), QStringLiteral("11111111"));
        QCOMPARE(b.prompts.messages().size(), silent ? 1 : 0);
        // Only the first exchange read the mode (three attempts on a silent panel).
        const QList<QByteArray> sent = b.panel.requests();
        QCOMPARE(std::count_if(sent.begin(), sent.end(), [](const QByteArray &f) { return quint8(f[2]) == 20; }),
                 silent ? Link::kAttempts : 1);
    }

    void closeDuringReceiveStopsThenLeaves()
    {
        Exchange b;
        b.panel.addFault({Fault::Silence, 21});   // the receive waits on the alarm modes
        qsizetype framesAtClose = -1;
        QTimer::singleShot(1200, [&] {
            framesAtClose = b.panel.requests().size();
            b.window.close();
        });
        b.prompts.yesNoAnswers = {false};
        QTest::mouseClick(b.window.Command1, Qt::LeftButton);
        QTRY_VERIFY(!b.window.isVisible());
        QTest::qWait(100);   // time for a frame sent after the close to reach the panel
        QVERIFY(framesAtClose > 0);
        QCOMPARE(b.panel.requests().size(), framesAtClose);
        // No "TIME OUT" for the aborted wait; the leave procedure's question, answered No.
        QCOMPARE(b.prompts.shown.size(), 1);
        QCOMPARE(b.prompts.shown[0].text, QStringLiteral("DESIREZ-VOUS SAUVEGARDER CETTE CONFIGURATION ?"));
        QVERIFY(!b.link.isPortOpen());
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
