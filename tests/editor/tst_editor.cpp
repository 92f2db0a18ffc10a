// The main window as the installer drives it: start-up, change rules, showing a record, the items from
// the controls, the code boxes; then its commands, one exchange with the panel at a time.
#include "support/FakePrompts.h"
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "editor/CodeEdit.h"
#include "editor/MainCommands.h"
#include "editor/MainWindow.h"
#include "files/DataFile.h"
#include "link/Link.h"
#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"

#include <QTest>

Q_DECLARE_METATYPE(FaultRule)
#include <QtWidgets>

namespace {

// Applies "cmd2=1,mode3=7,type1=17,relay0=129,up=0,out=1,aes=1,tempo=5" to a record or to the items.
template <typename Record>
bool apply(Record &c, const QString &changes)
{
    for (const QString &change : changes.split(',', Qt::SkipEmptyParts)) {
        const QString name = change.section('=', 0, 0), key = name.chopped(name.back().isDigit() ? 1 : 0);
        const int i = name.mid(key.size()).toInt();
        const auto value = std::uint8_t(change.section('=', 1).toInt());
        std::uint8_t *slot = key == "cmd" ? &c.CommandMatrix[i] : key == "mode" ? &c.AlarmModes[i]
                             : key == "type" ? &c.FunctionTypes[i] : key == "relay" ? &c.RelayMatrix[i]
                             : key == "out" ? &c.Output12vMode : key == "aes" ? &c.AesChoice : nullptr;
        if constexpr (std::is_same_v<Record, PanelConfig>)
            slot = key == "up" ? &c.UpCardPresent : key == "tempo" ? &c.UgaTempo.emplace() : slot;
        if (!slot)
            return false;
        *slot = value;
    }
    return true;
}

const QStringList kFocusReasons{"mouse", "tab", "backtab", "window", "popup"};   // Qt::FocusReason 0 to 4

void loseFocus(QWidget *box, Qt::FocusReason reason)
{
    QFocusEvent event(QEvent::FocusOut, reason);
    QApplication::sendEvent(box, &event);
}

// A main window after its start-up, with the emulated panel behind its link and prompts that record.
struct Editor
{
    EmulatedPanel panel;
    FakePrompts prompts;
    Session session;
    Link link{prompts, [this](const PortChoice &) { return std::make_unique<EmulatedPort>(panel); }};
    MainWindow window{session, link, prompts};
    PanelConfig record;   // what "show:" steps show, changed step by step

    // Steps separated by blanks: "Mode_Double(3)" clicks (a disabled control ignores it, as it does a real
    // click), "+Check_Rgp(1)" ticks from the program, "none:Frm_Uga(2)" leaves no option of that frame
    // selected, "show:cmd2=30,type1=17" shows the record so changed; "codes:AB,CCBA" fills the code boxes,
    // "keys1:ab\r^" types real keys at the end of box 1 ("_" a blank, "^" Ctrl+V with "abc12" to paste),
    // "leave1:mouse" takes the focus from box 1 for that reason.
    bool run(const QString &steps)
    {
        for (const QString &step : steps.split(' ', Qt::SkipEmptyParts)) {
            const QString verb = step.section(':', 0, 0), arg = step.section(':', 1);
            auto *b = window.findChild<QAbstractButton *>(step.mid(step.startsWith('+') ? 1 : 0));
            CodeEdit *box = window.Text_Niveau[verb.endsWith('1') ? 1 : 0];
            if (verb == "none") {
                auto *group = window.findChild<QWidget *>(arg)->findChild<QButtonGroup *>();
                group->setExclusive(false);
                group->checkedButton()->setChecked(false);
                group->setExclusive(true);
            } else if (verb == "show") {
                if (!apply(record, arg))
                    return false;
                window.show(record);
            } else if (verb == "codes") {
                for (int i : {0, 1})
                    window.setCode(i, arg.section(',', i, i));
            } else if (verb.startsWith("keys") || (verb.startsWith("leave") && kFocusReasons.contains(arg))) {
                // A real message box takes the focus from the box being checked: that must not check it again.
                prompts.onShown = [box](const FakePrompts::Shown &) { loseFocus(box, Qt::OtherFocusReason); };
                QApplication::clipboard()->setText(QStringLiteral("abc12"));   // a paste would go round the key filter
                box->end(false);
                for (const char c : verb.startsWith("keys") ? arg.toLatin1() : QByteArray())
                    c == '^' ? QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier)
                             : QTest::keyClick(box, c == '_' ? ' ' : c);
                if (verb.startsWith("leave"))
                    loseFocus(box, Qt::FocusReason(kFocusReasons.indexOf(arg)));
            } else if (!b) {
                return false;
            } else {
                step.startsWith('+') ? b->setChecked(true) : b->click();
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

    // What an expectation "key:want" looks at.
    QString probe(const QString &key, const QString &want)
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
                const int set = window.Mode_Normal[i]->isChecked() + 2 * window.Mode_Discrim[i]->isChecked();
                out += QStringLiteral("?nd?2???").at(set + 4 * window.Mode_Double[i]->isChecked());
            }
            return out;
        }
        if (key == "codes") {   // the two boxes, then every prompt shown: "/short" or "/equal" for the input warnings
            QString out = window.code(0) + ',' + window.code(1);
            for (const FakePrompts::Shown &s : prompts.shown)
                out += s.icon != Prompts::Icon::Warning || s.title != "ERREUR DE SAISIE" ? "/?"
                       : s.text == "Les codes doivent avoir 4 lettres !"                 ? "/short"
                       : s.text == "Les deux codes doivent être différents !"            ? "/equal" : "/?";
            return out;
        }
        if (key == "items") {   // the configuration from the controls is the start-up one so changed
            PanelConfig items;
            return apply(items, want) && window.configuration() == items ? want : "other items";
        }
        if (key == "tempo")   // the label, "_" for each blank
            return window.Tempo_Lbl->text().replace(' ', '_');
        if (key == "card")   // the presence computed, then "v" or "h" for Frame1 and Frm_Cde
            return QString::number(window.configuration().UpCardPresent) + (window.Frame1->isHidden() ? 'h' : 'v')
                   + (window.Frm_Cde->isHidden() ? 'h' : 'v');
        return key == "saved" ? QString::number(session.ConfigSaved) : "?";
    }

    // The expectations that do not hold, each with what was seen: "Option1(7)" selected or ticked,
    // "!Check_CMSI1(6)" not, "Check_Rgp(1)=Ex" a box's state, "key:want" a probe.
    QString mismatches(const QString &expectations)
    {
        QStringList wrong;
        for (const QString &e : expectations.split(' ', Qt::SkipEmptyParts)) {
            const bool named = !e.contains(':'), whole = named && e.contains('=');
            const QString key = e.section(':', 0, 0), name = e.section('=', 0, 0).remove('!');
            const QString want = whole ? e.section('=', 1) : !named ? e.section(':', 1) : e.startsWith('!') ? "." : "x";
            const QString got = whole ? state(name) : named ? state(name).right(1) : probe(key, want);
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
        QString on;
        for (QObject *o : QObjectList{window.Command1, window.Command2, window.Diag_Menu, window.Open_Menu,
                                      window.Save_Menu, window.Print_Menu, window.Pdf_Menu, window.Import_Mnu})
            on += o->property("enabled").toBool() ? '1' : '0';
        return on;
    }
};

const QString kStart = QStringLiteral("boxes:E.D.|E.D.E.E.|E.D.E.E.");

} // namespace

class EditorTest : public QObject
{
    Q_OBJECT

private slots:
    // Steps from the start-up window, the last one made with the configuration marked saved, then what the
    // window shows: function types, alarm-mode pairs, change tracking, card presence, showing, items, codes.
    void editing_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *tag, QString steps, QString want) { QTest::newRow(tag) << steps << want; };
        const QString aux0 = QStringLiteral("Option_RSC_UGA(0) Check_Hs_Ctc_Aux(0) ");
        const QString all2 = QStringLiteral("Check_Tempo(1) Check_Rgp(1) Check_Bp_Actif(1) ");
        // "Bouton Actif" usable although unticked, as the RSC rule leaves it.
        QString start = "Option_RSC(0) Option_RSC(1) Option_RSC(2) OptionRearm(1) AES_Option(0) items: "
                        "tempo:Tempo_UGA_= modes:nnnnnnnn card:1vv saved:1 codes:BCAB,CCBA " + kStart;
        for (int i = 0; i < 24; ++i)
            start += QString::asprintf(" Check_CMSI1(%d) !Check_Alb(%d) Option1(%d)", i, i % 16, i - i % 3 + 2);
        row("start-up", "", start);
        row("f1 Nul clears tempo and aux", aux0 + "Check_Tempo(0) Option_Nul(0)", "boxes:D.D.|E.D.E.E.|E.D.E.E.");
        row("f1 RAC keeps the tempo tick", "Check_Tempo(0) Option_RAC(0)", "boxes:ExD.|E.D.E.E.|E.D.E.E.");
        row("f1 RSC_UGA keeps the tempo box", "Check_Tempo(0) Option_RSC_UGA(0)", "boxes:ExE.|E.D.E.E.|E.D.E.E.");
        row("f1 Nul then RSC_UGA: tempo greyed", "Option_Nul(0) Option_RSC_UGA(0)", "boxes:D.E.|E.D.E.E.|E.D.E.E.");
        row("f1 RSC_UGA unticks aux", "+Check_Hs_Ctc_Aux(0) Option_RSC_UGA(0)", "boxes:E.E.|E.D.E.E.|E.D.E.E.");
        row("f2 Nul after all ticked", all2 + "Option_Nul(1)", "boxes:E.D.|D.D.D.D.|E.D.E.E.");
        row("f2 RAC keeps the ticks", all2 + "Option_RAC(1)", "boxes:E.D.|ExD.ExEx|E.D.E.E.");
        row("f2 RAC with ticks to RSC_UGA", all2 + "Option_RAC(1) Option_RSC_UGA(1)", "boxes:E.D.|E.E.D.D.|E.D.E.E.");
        row("f2 Nul then RSC_UGA: tempo usable", "Option_Nul(1) Option_RSC_UGA(1)", "boxes:E.D.|E.E.D.D.|E.D.E.E.");
        row("f2 Nul then ESC: button usable, unticked", "Option_Nul(1) Option_ESC(1)", kStart);
        row("f2 ungrouped greys button", "Check_Rgp(1) Check_Bp_Actif(1) Check_Rgp(1)", "boxes:E.D.|E.D.E.D.|E.D.E.E.");
        row("f2 regrouped: button usable", "Check_Rgp(1) Check_Rgp(1) Check_Rgp(1)", "boxes:E.D.|E.D.ExE.|E.D.E.E.");
        row("f3 ungrouped leaves f2", "Check_Rgp(1) Check_Bp_Actif(1) Check_Rgp(2) Check_Bp_Actif(2) Check_Rgp(2)",
            "boxes:E.D.|E.D.ExEx|E.D.E.D.");

        // Double detection takes the partner along; normal or discrimination on the partner then frees both.
        for (int i = 0; i < 8; ++i) {
            QTest::addRow("double on %d", i + 1) << QStringLiteral("Mode_Double(%1)").arg(i)
                                                 << "modes:" + QString(8, 'n').replace(i & ~1, 2, "22");
            QTest::addRow("%s on %d after double on %d", i % 2 ? "normal" : "discrimination", (i ^ 1) + 1, i + 1)
                << QStringLiteral("Mode_Double(%1) Mode_%2(%3)").arg(i).arg(i % 2 ? "Normal" : "Discrim").arg(i ^ 1)
                << "modes:" + QString(8, 'n').replace(i ^ 1, 1, i % 2 ? "n" : "d");
        }
        row("normal on 5: 6 stays discrimination", "Mode_Discrim(4) Mode_Discrim(5) Mode_Normal(4)", "modes:nnnnndnn");

        for (const char *steps :
             {"Mode_Discrim(2) Mode_Normal(2)", "Mode_Discrim(5)", "Mode_Double(6)", "Check_Alb(0)", "Check_Alb(15)",
              "Check_CMSI1(23)", "Check_Tempo(2)", "Option_RSC_UGA(1) Check_Hs_Ctc_Aux(1)", "Check_Bp_Actif(2)",
              "Check_Rgp(1)", "AES_Option(1)", "Option1(0)", "OptionRearm(0)", "Option_Nul(0)",
              "Option_RAC(1) Option_RSC(1)", "Option_RAC(2)", "Option_ESC(0)", "Option_EAC(1)", "Option_RSC_UGA(2)"})
            QTest::newRow(steps) << QString::fromLatin1(steps) << "saved:0";
        row("selected option again", "Option_RSC(0)", "saved:1");
        row("card present again: nothing cleared",
            "Option1(4) Check_CMSI1(5) Option_RAC(1) Check_Rgp(1) AES_Option(1) Up_Option(0) Up_Option(1)",
            "card:1vv saved:1 Option1(4) !Check_CMSI1(5) Option_RAC(1) AES_Option(1) boxes:E.D.|E.D.ExE.|E.D.E.E.");

        row("show command bytes 30, 1, 0, 3", "Option1(6) Check_CMSI1(7) show:cmd2=30,cmd1=1,cmd0=0,cmd3=3",
            "Option1(8) Check_CMSI1(6) Check_CMSI1(7) Check_CMSI1(8) Option1(4) !Check_CMSI1(3) !Check_CMSI1(5) "
            "Option1(0) !Check_CMSI1(0) !Check_CMSI1(2) Option1(10) !Check_CMSI1(9) !Check_CMSI1(11)");
        row("show byte 17 on f2, 49 on f3", "show:type1=17,type2=49", "Option_RSC(1) boxes:E.D.|E.D.ExE.|E.D.ExEx");
        row("show grouped bit clear", "Check_Rgp(1) Check_Bp_Actif(1) show:type1=1", "boxes:E.D.|E.D.E.D.|E.D.E.D.");
        row("show byte 69", "show:type0=69", "Option_RSC_UGA(0) Check_Hs_Ctc_Aux(0)=Ex Check_Tempo(0)=E.");
        row("show byte 133 on f2", "show:type1=133", "Option_RSC_UGA(1) boxes:E.D.|ExE.D.D.|E.D.E.D.");
        row("show type 0 with bit 7", "show:type2=128", "Option_Nul(2) boxes:E.D.|E.D.E.D.|DxD.D.D.");
        row("show unknown type: options kept", "Option_EAC(0) show:type0=9", "Option_EAC(0) Check_Tempo(0)=E.");
        row("show alarm modes 7 and 1, no tempo", "show:mode3=7,mode5=1", "modes:nn22ndnn tempo:Tempo_UGA_=");
        row("show loop 1 double, loop 2 normal", "show:mode0=2,mode1=0", "Mode_Normal(0) Mode_Normal(1)");
        row("show relays, 12 V and AES not 0", "Check_Alb(3) show:relay0=129,relay1=254,out=7,aes=9", "OptionRearm(0) "
            "AES_Option(1) Check_Alb(0) !Check_Alb(3) Check_Alb(7) !Check_Alb(8) Check_Alb(9) Check_Alb(15)");
        row("show tempo 5", "show:tempo=5", "tempo:Tempo_UGA_=__5_min.");
        row("show presence 2: present, card skipped", "Option1(0) show:up=2,cmd0=30,tempo=3",
            "Up_Option(1) Option1(0) tempo:Tempo_UGA_=");
        row("show card absent: card's controls kept",
            "Option1(0) Check_CMSI1(0) Option_EAC(0) Check_Tempo(0) Option_Nul(1) Check_Rgp(2) AES_Option(1) "
            "show:up=0,cmd0=30,type0=1,type1=1,type2=0,aes=0,tempo=7,mode0=1,relay0=1,out=1",
            "Option1(0) !Check_CMSI1(0) Option_EAC(0) Check_Tempo(0)=Ex Option_Nul(1) Option_RSC(2) Check_Rgp(2)=Ex "
            "AES_Option(1) tempo:Tempo_UGA_= card:0hh Mode_Discrim(0) Check_Alb(0) OptionRearm(0)");

        // Controls that showing a record never leaves so; the round trips through a file and through the
        // panel pin the rest of the computation.
        row("items: button without grouped, aux under RSC", "Check_Bp_Actif(1) +Check_Hs_Ctc_Aux(0)", "items:");
        row("items no UGA option", "none:Frm_Uga(2) Check_CMSI1(6) Check_CMSI1(7) Check_CMSI1(8) none:Frm_Uga(7)",
            "items:cmd2=0,cmd7=28");
        row("items no type counts as RSC_UGA", "Check_Tempo(0) none:Frm_Fonction(0)", "items:type0=133");
        row("items no type, with aux", "+Check_Hs_Ctc_Aux(1) none:Frm_Fonction(1)", "items:type1=69");

        // Real keys typed into the code boxes ("\r" Enter, "\b" Backspace); leaving a box for a message box
        // checks nothing.
        row("code lower case becomes upper case", "codes:,CCBA keys0:abc", "codes:ABC,CCBA saved:0");
        row("code letters after the fourth refused", "codes:BCAB,A keys1:bcaBca", "codes:BCAB,ABCA saved:0");
        row("code D, digits, blanks, paste refused", "codes:AB,CCBA keys0:Dd12_9xyZ!-^", "codes:AB,CCBA saved:0");
        row("code backspace in a full box", "codes:BCAB,CCBA keys1:\b", "codes:BCAB,CCB saved:0");
        row("code two letters, Enter", "codes:BC,CCBA keys0:\r", "codes:BC,CCBA/short");
        row("code short box left with the mouse", "codes:BCAB,CC leave1:mouse", "codes:BCAB,CC/short saved:1");
        row("code short box left for a message box", "codes:BCAB,CC leave1:window", "codes:BCAB,CC saved:1");
        row("code short box 0 not checked from box 1", "codes:BC,CCBA keys1:\r", "codes:BC,CCBA");
        row("code box 1 made equal, then Tab", "keys1:\b\b\b\bbcab leave1:tab", "codes:BCAB,CCBA/equal");
        row("code equal codes, Enter in box 0", "codes:ABAB,ABAB keys0:\r", "codes:BCAB,ABAB/equal");
        row("code box 0 reset to a default equal to box 1", "codes:BCAB,BCAB keys0:\r", "codes:BCAB,BCAB/equal");
        row("code short and equal: both messages", "codes:AB,AB keys0:\r", "codes:BCAB,AB/short/equal");
    }
    void editing()
    {
        QFETCH(QString, steps);
        QFETCH(QString, expected);
        Editor f;
        const int last = steps.lastIndexOf(' ');
        QVERIFY(f.run(steps.left(qMax(last, 0))));
        f.session.ConfigSaved |= last > 0;
        QVERIFY(f.run(steps.mid(last + 1)));
        QCOMPARE(f.mismatches(expected), QString());
    }

    // The check of a file's values and the editor agree both ways: from configurations the editor
    // computed, with a few values spoilt at random, a value is accepted exactly when showing it (the
    // card present) and computing it back from the controls gives it again, whatever its card
    // presence says; and whatever the editor computes is accepted.
    void fileCheckAgreesWithEditor()
    {
        Editor e;
        QRandomGenerator random(20261206);
        const auto byte = [&](int below) { return std::uint8_t(random.bounded(below)); };
        int accepted = 0, refused = 0;
        for (int n = 0; n < 3000; ++n) {
            PanelConfig drawn;
            for (int i = 0; i < kLoopCount; ++i) {
                drawn.CommandMatrix[i] = byte(32);
                drawn.AlarmModes[i] = byte(3);
            }
            for (int k = 0; k < kFunctionCount; ++k)
                drawn.FunctionTypes[k] = std::uint8_t(byte(6) | byte(16) << 4);
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
        QVERIFY2(accepted > 500 && refused > 500, qPrintable(QStringLiteral("%1 / %2").arg(accepted).arg(refused)));
    }

    // While a receive waits on a silent panel, nothing can start another exchange; all comes back after.
    void commandsDisabledDuringExchange()
    {
        Exchange b;
        b.panel.addFault({Fault::Silence});
        QString during;
        QTimer::singleShot(300, [&] {
            during = b.commandsEnabled();
            // A click that slips through anyway starts nothing.
            b.commands.receive();
            b.commands.send();
        });
        QTest::mouseClick(b.window.Command1, Qt::LeftButton);
        QCOMPARE(during, QStringLiteral("00000000"));
        QCOMPARE(b.commandsEnabled(), QStringLiteral("11111111"));
        QCOMPARE(b.prompts.messages(), QList<Message>{Msg::timeOut()});
        // Only the first exchange read the mode, three attempts.
        QCOMPARE(b.panel.requests().size(), Link::kAttempts);
    }

    // The window closed while a transfer waits on a silent panel: the transfer stops (no further
    // frame, no message of its own), the editor stays as it was (controls, code boxes, whether it is
    // saved), then the leave procedure runs: its question only for an edited configuration.
    void closeDuringTransferChangesNothing_data()
    {
        QTest::addColumn<bool>("send");
        QTest::addColumn<std::optional<FaultRule>>("silentAt");   // none: close during the wake-up
        QTest::addColumn<bool>("edited");
        const std::optional<FaultRule> wakeUp;
        const auto at = [](int command, int index = -1) { return std::optional(FaultRule{Fault::Silence, command, index}); };
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
        b.window.setCode(0, QStringLiteral("AAAB"));
        b.window.setCode(1, QStringLiteral("CCCA"));
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
            const bool waiting = silentAt ? !frames.isEmpty() && quint8(frames.last()[2]) == silentAt->command
                                                && (silentAt->index < 0 || quint8(frames.last()[3]) == silentAt->index)
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
        QTest::qWait(100);   // time for a frame sent after the close to reach the panel
        QVERIFY(framesAtClose >= 0);
        QCOMPARE(b.panel.requests().size(), framesAtClose);
        QCOMPARE(b.prompts.messages(), QList<Message>());
        QCOMPARE(b.prompts.shown.size(), edited ? 1 : 0);   // the leave question, answered No
        QCOMPARE(b.window.configuration(), shown);
        QCOMPARE(b.window.code(0) + ' ' + b.window.code(1), QStringLiteral("AAAB CCCA"));
        QCOMPARE(b.session.ConfigSaved, !edited);
        QVERIFY(!b.link.isPortOpen());
    }

    // The desktop ends the session: the leave question, and the session's end cancelled only when
    // the installer asked to save and nothing could be saved.
    void sessionEnd_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("target");   // relative to a fresh folder
        QTest::addColumn<bool>("mayEnd");
        QTest::newRow("No: ends unsaved") << false << "" << true;
        QTest::newRow("Yes: saved, ends") << true << "site.dat" << true;
        QTest::newRow("Yes, the save fails: stays") << true << "." << false;
    }
    void sessionEnd()
    {
        QFETCH(bool, save);
        QFETCH(QString, target);
        QFETCH(bool, mayEnd);
        Exchange b;
        QTemporaryDir dir;
        b.window.Mode_Discrim[2]->setChecked(true);
        b.prompts.yesNoAnswers = {save};
        b.prompts.fileAnswers = {QDir(dir.path()).filePath(target)};
        QCOMPARE(b.commands.commitData(), mayEnd);
        QCOMPARE(b.prompts.shown.first().text, QStringLiteral("DESIREZ-VOUS SAUVEGARDER CETTE CONFIGURATION ?"));
        QCOMPARE(b.session.ConfigSaved, save && mayEnd);
        QCOMPARE(QFileInfo(QDir(dir.path()).filePath(target)).isFile(), save && mayEnd);
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
