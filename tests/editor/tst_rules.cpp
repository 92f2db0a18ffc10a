#include "EditorFixture.h"
#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"
#include "support/TestRegistry.h"

namespace {

// The option boxes of the three functions: "Tempo Hs | Tempo Hs Rgp Bp | Tempo Hs Rgp Bp".
QString functionBoxes(EditorFixture &f)
{
    QStringList parts;
    for (int k = 0; k < 3; ++k) {
        QStringList boxes{f.boxState(QStringLiteral("Check_Tempo(%1)").arg(k)),
                          f.boxState(QStringLiteral("Check_Hs_Ctc_Aux(%1)").arg(k))};
        if (k >= 1)
            boxes << f.boxState(QStringLiteral("Check_Rgp(%1)").arg(k))
                  << f.boxState(QStringLiteral("Check_Bp_Actif(%1)").arg(k));
        parts << boxes.join(QLatin1Char(' '));
    }
    return parts.join(QStringLiteral(" | "));
}

// The alarm mode of each loop: "n" normal, "d" discrimination, "2" double detection.
QString modes(EditorFixture &f)
{
    QString out;
    for (int i = 0; i < 8; ++i) {
        const int on = int(f.window.Mode_Normal[i]->isChecked()) + int(f.window.Mode_Discrim[i]->isChecked())
                       + int(f.window.Mode_Double[i]->isChecked());
        if (on != 1)
            out += QLatin1Char('?');
        else
            out += f.window.Mode_Normal[i]->isChecked() ? QLatin1Char('n')
                   : f.window.Mode_Discrim[i]->isChecked() ? QLatin1Char('d') : QLatin1Char('2');
    }
    return out;
}

const QString kStartBoxes = QStringLiteral("E. D. | E. D. E. E. | E. D. E. E.");

} // namespace

class EditorRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void startUp();
    void startUpClosesAnOpenPort();
    void functionTypes_data();
    void functionTypes();
    void alarmModePairing_data();
    void alarmModePairing();
    void changeTracking_data();
    void changeTracking();
    void upCardPresence();
};

void EditorRulesTest::startUp()
{
    EditorFixture f;
    for (int k = 0; k < 3; ++k)
        QVERIFY(f.window.Option_RSC[k]->isChecked());
    // What the RSC rule leaves: "Bouton Actif" usable although its grouped box is unticked.
    QCOMPARE(functionBoxes(f), kStartBoxes);
    for (int i = 0; i < 24; ++i)
        QVERIFY2(f.window.Check_CMSI1[i]->isChecked(), qPrintable(QString::number(i)));
    for (int i = 0; i < 8; ++i)
        QVERIFY(f.window.Option1[3 * i + 2]->isChecked());
    QCOMPARE(modes(f), QStringLiteral("nnnnnnnn"));
    for (QCheckBox *box : f.window.Check_Alb)
        QVERIFY(!box->isChecked());
    QVERIFY(f.window.Up_Option[1]->isChecked());
    QVERIFY(f.window.OptionRearm[1]->isChecked());
    QVERIFY(f.window.AES_Option[0]->isChecked());
    QVERIFY(!f.window.Frame1->isHidden());
    QVERIFY(!f.window.Frm_Cde->isHidden());
    QCOMPARE(f.window.code(0), QStringLiteral("BCAB"));
    QCOMPARE(f.window.code(1), QStringLiteral("CCBA"));
    QVERIFY(f.session.ConfigSaved);
    QCOMPARE(f.session.config, PanelConfig());
    QVERIFY(!f.link.DiagInProgress);
    QVERIFY(f.prompts.shown.isEmpty());
}

void EditorRulesTest::startUpClosesAnOpenPort()
{
    FakePrompts prompts;
    EmulatedPanel panel;
    Link link(prompts, [&panel](const PortChoice &) { return std::make_unique<EmulatedPort>(panel); });
    QVERIFY(link.openPort(PortChoice::simulated()));
    QVERIFY(link.isPortOpen());
    Session session;
    MainWindow window(session, link, prompts);
    QVERIFY(!link.isPortOpen());
}

void EditorRulesTest::functionTypes_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("boxes");

    const QStringList allTicked2{"Check_Tempo(1)", "Check_Rgp(1)", "Check_Bp_Actif(1)"};
    // Function 1.
    QTest::newRow("f1 Nul") << QStringList{"Option_Nul(0)"} << "D. D. | E. D. E. E. | E. D. E. E.";
    QTest::newRow("f1 RAC keeps the tempo tick")
        << QStringList{"Check_Tempo(0)", "Option_RAC(0)"} << "Ex D. | E. D. E. E. | E. D. E. E.";
    QTest::newRow("f1 ESC") << QStringList{"Option_ESC(0)"} << kStartBoxes;
    QTest::newRow("f1 EAC after RSC_UGA with aux")
        << QStringList{"Option_RSC_UGA(0)", "Check_Hs_Ctc_Aux(0)", "Option_EAC(0)"} << kStartBoxes;
    QTest::newRow("f1 RSC after Nul")
        << QStringList{"Option_Nul(0)", "Option_RSC(0)"} << kStartBoxes;
    QTest::newRow("f1 RSC_UGA keeps the tempo box")
        << QStringList{"Check_Tempo(0)", "Option_RSC_UGA(0)"} << "Ex E. | E. D. E. E. | E. D. E. E.";
    QTest::newRow("f1 Nul then RSC_UGA keeps tempo greyed")
        << QStringList{"Option_Nul(0)", "Option_RSC_UGA(0)"} << "D. E. | E. D. E. E. | E. D. E. E.";
    QTest::newRow("f1 Nul clears tempo and aux")
        << QStringList{"Option_RSC_UGA(0)", "Check_Hs_Ctc_Aux(0)", "Check_Tempo(0)", "Option_Nul(0)"}
        << "D. D. | E. D. E. E. | E. D. E. E.";
    QTest::newRow("f1 RSC_UGA unticks aux chosen before")
        << QStringList{"Option_RSC_UGA(0)", "Check_Hs_Ctc_Aux(0)", "Option_RSC(0)", "Option_RSC_UGA(0)"}
        << "E. E. | E. D. E. E. | E. D. E. E.";
    // Function 2.
    QTest::newRow("f2 Nul") << QStringList{"Option_Nul(1)"} << "E. D. | D. D. D. D. | E. D. E. E.";
    QTest::newRow("f2 Nul after all ticked")
        << (allTicked2 + QStringList{"Option_Nul(1)"}) << "E. D. | D. D. D. D. | E. D. E. E.";
    QTest::newRow("f2 RAC keeps the ticks")
        << (allTicked2 + QStringList{"Option_RAC(1)"}) << "E. D. | Ex D. Ex Ex | E. D. E. E.";
    QTest::newRow("f2 RAC with ticks to RSC_UGA")
        << (allTicked2 + QStringList{"Option_RAC(1)", "Option_RSC_UGA(1)"})
        << "E. D. | E. E. D. D. | E. D. E. E.";
    QTest::newRow("f2 Nul then RSC_UGA makes tempo usable")
        << QStringList{"Option_Nul(1)", "Option_RSC_UGA(1)"} << "E. D. | E. E. D. D. | E. D. E. E.";
    QTest::newRow("f2 Nul then ESC enables the button unticked")
        << QStringList{"Option_Nul(1)", "Option_ESC(1)"} << "E. D. | E. D. E. E. | E. D. E. E.";
    QTest::newRow("f2 RSC_UGA with aux then EAC")
        << QStringList{"Option_RSC_UGA(1)", "Check_Hs_Ctc_Aux(1)", "Option_EAC(1)"}
        << "E. D. | E. D. E. E. | E. D. E. E.";
    QTest::newRow("f2 grouped unticked greys the button")
        << QStringList{"Check_Rgp(1)", "Check_Bp_Actif(1)", "Check_Rgp(1)"}
        << "E. D. | E. D. E. D. | E. D. E. E.";
    QTest::newRow("f2 grouped ticked again enables the button")
        << QStringList{"Check_Rgp(1)", "Check_Rgp(1)", "Check_Rgp(1)"}
        << "E. D. | E. D. Ex E. | E. D. E. E.";
    // Function 3 changes nothing of function 2.
    QTest::newRow("f3 grouped unticked leaves f2")
        << QStringList{"Check_Rgp(1)", "Check_Bp_Actif(1)", "Check_Rgp(2)", "Check_Bp_Actif(2)",
                       "Check_Rgp(2)"}
        << "E. D. | E. D. Ex Ex | E. D. E. D.";
    QTest::newRow("f3 Nul leaves f2")
        << QStringList{"Check_Tempo(1)", "Check_Rgp(1)", "Option_Nul(2)"} << "E. D. | Ex D. Ex E. | D. D. D. D.";
}

void EditorRulesTest::functionTypes()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, boxes);
    EditorFixture f;
    QVERIFY(f.run(clicks));
    QCOMPARE(functionBoxes(f), boxes);
}

void EditorRulesTest::alarmModePairing_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("modes");

    const QStringList pairs{"22nnnnnn", "22nnnnnn", "nn22nnnn", "nn22nnnn",
                            "nnnn22nn", "nnnn22nn", "nnnnnn22", "nnnnnn22"};
    for (int i = 0; i < 8; ++i)
        QTest::addRow("double on loop %d", i + 1) << QStringList{QStringLiteral("Mode_Double(%1)").arg(i)}
                                                  << pairs[i];
    QTest::newRow("discrimination on 3 after double on 4")
        << QStringList{"Mode_Double(3)", "Mode_Discrim(2)"} << "nndnnnnn";
    QTest::newRow("normal on 1 after double on 2") << QStringList{"Mode_Double(1)", "Mode_Normal(0)"}
                                                   << "nnnnnnnn";
    QTest::newRow("discrimination on 6 after double on 5")
        << QStringList{"Mode_Double(4)", "Mode_Discrim(5)"} << "nnnnndnn";
    QTest::newRow("normal on 7 after double on 8") << QStringList{"Mode_Double(7)", "Mode_Normal(6)"}
                                                   << "nnnnnnnn";
    QTest::newRow("discrimination on 8 after double on 7")
        << QStringList{"Mode_Double(6)", "Mode_Discrim(7)"} << "nnnnnnnd";
    QTest::newRow("normal on 5 leaves 6 in discrimination")
        << QStringList{"Mode_Discrim(4)", "Mode_Discrim(5)", "Mode_Normal(4)"} << "nnnnndnn";
    QTest::newRow("double on 2 leaves loop 3") << QStringList{"Mode_Discrim(2)", "Mode_Double(1)"}
                                               << "22dnnnnn";
    QTest::newRow("double on 4 and 5") << QStringList{"Mode_Double(3)", "Mode_Double(4)"} << "nn2222nn";
}

void EditorRulesTest::alarmModePairing()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, modes);
    EditorFixture f;
    QVERIFY(f.run(clicks));
    QCOMPARE(::modes(f), modes);
}

void EditorRulesTest::changeTracking_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("click");
    QTest::addColumn<bool>("saved");

    auto changes = [](const char *tag, const QString &click, const QStringList &before = {}) {
        QTest::newRow(tag) << before << click << false;
    };
    changes("Mode_Normal", "Mode_Normal(2)", {"Mode_Discrim(2)"});
    changes("Mode_Discrim", "Mode_Discrim(5)");
    changes("Mode_Double", "Mode_Double(6)");
    changes("Check_Alb relay 1", "Check_Alb(0)");
    changes("Check_Alb relay 2", "Check_Alb(15)");
    changes("Check_CMSI1", "Check_CMSI1(23)");
    changes("Check_Tempo", "Check_Tempo(2)");
    changes("Check_Hs_Ctc_Aux", "Check_Hs_Ctc_Aux(1)", {"Option_RSC_UGA(1)"});
    changes("Check_Bp_Actif", "Check_Bp_Actif(2)");
    changes("Check_Rgp", "Check_Rgp(1)");
    changes("AES_Option", "AES_Option(1)");
    changes("Option1", "Option1(0)");
    changes("OptionRearm", "OptionRearm(0)");
    changes("Option_Nul", "Option_Nul(0)");
    changes("Option_RSC", "Option_RSC(1)", {"Option_RAC(1)"});
    changes("Option_RAC", "Option_RAC(2)");
    changes("Option_ESC", "Option_ESC(0)");
    changes("Option_EAC", "Option_EAC(1)");
    changes("Option_RSC_UGA", "Option_RSC_UGA(2)");
    QTest::newRow("Up_Option absent") << QStringList{} << "Up_Option(0)" << true;
    QTest::newRow("Up_Option present") << QStringList{"Up_Option(0)"} << "Up_Option(1)" << true;
    QTest::newRow("selected option again") << QStringList{} << "Option_RSC(0)" << true;
    QTest::newRow("disabled box") << QStringList{} << "Check_Hs_Ctc_Aux(0)" << true;
}

void EditorRulesTest::changeTracking()
{
    QFETCH(QStringList, before);
    QFETCH(QString, click);
    QFETCH(bool, saved);
    EditorFixture f;
    QVERIFY(f.run(before));
    f.session.ConfigSaved = true;
    QVERIFY(f.run(click));
    QCOMPARE(f.session.ConfigSaved, saved);
}

void EditorRulesTest::upCardPresence()
{
    EditorFixture f;
    QVERIFY(f.run(QStringList{"Option1(4)", "Check_CMSI1(5)", "Option_RAC(1)", "Check_Rgp(1)",
                              "AES_Option(1)"}));
    const QString boxes = functionBoxes(f);
    const ControlItems items = f.window.itemsFromControls();
    f.session.ConfigSaved = true;

    QVERIFY(f.run("Up_Option(0)"));
    QCOMPARE(f.session.config.UpCardPresent, std::uint8_t(0));
    QVERIFY(f.window.Frame1->isHidden());
    QVERIFY(f.window.Frm_Cde->isHidden());
    QVERIFY(!f.window.Det_mode->isHidden());

    QVERIFY(f.run("Up_Option(1)"));
    QCOMPARE(f.session.config.UpCardPresent, std::uint8_t(1));
    QVERIFY(!f.window.Frame1->isHidden());
    QVERIFY(!f.window.Frm_Cde->isHidden());
    // Hiding cleared nothing and marked nothing as changed.
    QCOMPARE(functionBoxes(f), boxes);
    QCOMPARE(f.window.itemsFromControls(), items);
    QVERIFY(f.session.ConfigSaved);

    f.window.setCardFramesVisible(false);
    QVERIFY(f.window.Frame1->isHidden());
    QVERIFY(f.window.Frm_Cde->isHidden());
    QVERIFY(f.window.Tempo_Lbl->isHidden());
    f.window.setCardFramesVisible(true);
    QVERIFY(!f.window.Frm_Cde->isHidden());
    QVERIFY(!f.window.Tempo_Lbl->isHidden());
}

#include "tst_rules.moc"
TORVA_TEST(EditorRulesTest)
