#include "EditorFixture.h"
#include "support/TestRegistry.h"

#include <QRegularExpression>

namespace {

// Applies "cmd2=1 mode3=7 type1=17 relay0=129 up=0 out=1 aes=1 tempo=5" to a record.
bool apply(PanelConfig &config, const QString &changes)
{
    static const QRegularExpression item(QStringLiteral("^([a-z]+?)(\\d?)=(\\d+)$"));
    for (const QString &change : changes.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = item.match(change);
        if (!m.hasMatch())
            return false;
        const QString key = m.captured(1);
        const int index = m.captured(2).toInt();
        const auto value = std::uint8_t(m.captured(3).toInt());
        if (key == QLatin1String("cmd"))
            config.CommandMatrix[index] = value;
        else if (key == QLatin1String("mode"))
            config.AlarmModes[index] = value;
        else if (key == QLatin1String("type"))
            config.FunctionTypes[index] = value;
        else if (key == QLatin1String("relay"))
            config.RelayMatrix[index] = value;
        else if (key == QLatin1String("up"))
            config.UpCardPresent = value;
        else if (key == QLatin1String("out"))
            config.Output12vMode = value;
        else if (key == QLatin1String("aes"))
            config.AesChoice = value;
        else if (key == QLatin1String("tempo"))
            config.UgaTempo = value;
        else
            return false;
    }
    return true;
}

// The same notation for the items computed from the controls, starting from the start-up ones.
ControlItems expectedItems(const QString &changes)
{
    PanelConfig config;
    if (!apply(config, changes))
        qFatal("bad expectation %s", qPrintable(changes));
    ControlItems items;
    std::copy_n(config.CommandMatrix.begin(), 8, items.CommandMatrix.begin());
    std::copy_n(config.AlarmModes.begin(), 8, items.AlarmModes.begin());
    std::copy_n(config.FunctionTypes.begin(), 3, items.FunctionTypes.begin());
    std::copy_n(config.RelayMatrix.begin(), 2, items.RelayMatrix.begin());
    items.Output12vMode = config.Output12vMode;
    items.AesChoice = config.AesChoice;
    return items;
}

QString describe(const ControlItems &items)
{
    auto list = [](const auto &array) {
        QStringList out;
        for (auto v : array)
            out << QString::number(v);
        return out.join(QLatin1Char(','));
    };
    return QStringLiteral("cmd=%1 mode=%2 type=%3 relay=%4 out=%5 aes=%6")
        .arg(list(items.CommandMatrix), list(items.AlarmModes), list(items.FunctionTypes),
             list(items.RelayMatrix))
        .arg(items.Output12vMode)
        .arg(items.AesChoice);
}

// An expectation on one control: "Option1(7)" selected or ticked, "!Check_CMSI1(6)" not,
// "Check_Rgp(1)=Ex" enabled and ticked, "Tempo_Lbl:Tempo UGA =  5 min." a label's text.
QString mismatch(EditorFixture &f, const QString &expectation)
{
    if (const int colon = expectation.indexOf(QLatin1Char(':')); colon > 0) {
        auto *label = f.find<QLabel>(expectation.left(colon));
        const QString text = label ? label->text() : QString();
        return text == expectation.mid(colon + 1) ? QString() : expectation + QStringLiteral(" got ") + text;
    }
    if (const int equals = expectation.indexOf(QLatin1Char('=')); equals > 0) {
        const QString state = f.boxState(expectation.left(equals));
        return state == expectation.mid(equals + 1) ? QString() : expectation + QStringLiteral(" got ") + state;
    }
    const bool wanted = !expectation.startsWith(QLatin1Char('!'));
    auto *button = f.find<QAbstractButton>(wanted ? expectation : expectation.mid(1));
    return button && button->isChecked() == wanted ? QString() : expectation;
}

} // namespace

class ShowConfigurationTest : public QObject
{
    Q_OBJECT

private slots:
    void show_data();
    void show();
    void cardAbsentKeepsTheCardControls();
    void showMarksChangedOnlyWhenSomethingChanges();
    void roundTrip_data();
    void roundTrip();
    void itemsFromControls_data();
    void itemsFromControls();
};

void ShowConfigurationTest::show_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("record");
    QTest::addColumn<QStringList>("expected");

    using L = QStringList;
    QTest::newRow("command 30") << L{"Option1(6)", "Check_CMSI1(7)"} << "cmd2=30"
                                << L{"Option1(8)", "Check_CMSI1(6)", "Check_CMSI1(7)", "Check_CMSI1(8)"};
    QTest::newRow("command 1") << L{} << "cmd2=1"
                               << L{"Option1(7)", "!Option1(8)", "!Check_CMSI1(6)", "!Check_CMSI1(7)",
                                    "!Check_CMSI1(8)", "Option1(5)", "Check_CMSI1(5)"};
    QTest::newRow("command 0") << L{} << "cmd2=0" << L{"Option1(6)", "!Check_CMSI1(6)", "!Check_CMSI1(8)"};
    QTest::newRow("command 3 shows immediate") << L{} << "cmd0=3" << L{"Option1(1)", "!Check_CMSI1(0)"};
    QTest::newRow("command 22") << L{} << "cmd4=22"
                                << L{"Option1(14)", "Check_CMSI1(12)", "!Check_CMSI1(13)", "Check_CMSI1(14)"};
    QTest::newRow("function 2 byte 17") << L{} << "type1=17"
                                        << L{"Option_RSC(1)", "Check_Rgp(1)=Ex", "Check_Bp_Actif(1)=E."};
    QTest::newRow("function 3 byte 49") << L{} << "type2=49"
                                        << L{"Option_RSC(2)", "Check_Rgp(2)=Ex", "Check_Bp_Actif(2)=Ex",
                                             "Check_Rgp(1)=E."};
    QTest::newRow("grouped bit clear") << L{"Check_Rgp(1)", "Check_Bp_Actif(1)"} << "type1=1"
                                       << L{"Check_Rgp(1)=E.", "Check_Bp_Actif(1)=D."};
    QTest::newRow("byte 69") << L{} << "type0=69"
                             << L{"Option_RSC_UGA(0)", "Check_Hs_Ctc_Aux(0)=Ex", "Check_Tempo(0)=E."};
    QTest::newRow("byte 133 function 2")
        << L{} << "type1=133"
        << L{"Option_RSC_UGA(1)", "Check_Hs_Ctc_Aux(1)=E.", "Check_Tempo(1)=Ex", "Check_Rgp(1)=D.",
             "Check_Bp_Actif(1)=D."};
    QTest::newRow("type 0 with bit 7")
        << L{} << "type2=128"
        << L{"Option_Nul(2)", "Check_Tempo(2)=Dx", "Check_Hs_Ctc_Aux(2)=D.", "Check_Rgp(2)=D.",
             "Check_Bp_Actif(2)=D."};
    QTest::newRow("type 4 with tempo") << L{} << "type0=132" << L{"Option_EAC(0)", "Check_Tempo(0)=Ex"};
    QTest::newRow("type 3") << L{} << "type1=3" << L{"Option_ESC(1)", "!Option_RSC(1)"};
    QTest::newRow("type 2") << L{} << "type2=2" << L{"Option_RAC(2)"};
    QTest::newRow("unknown type leaves the options") << L{"Option_EAC(0)"} << "type0=9"
                                                     << L{"Option_EAC(0)", "Check_Tempo(0)=E."};
    QTest::newRow("alarm mode 7") << L{} << "mode3=7" << L{"Mode_Double(3)", "Mode_Double(2)"};
    QTest::newRow("alarm mode 1") << L{} << "mode5=1" << L{"Mode_Discrim(5)", "Mode_Normal(4)"};
    QTest::newRow("loop 1 double loop 2 normal")
        << L{} << "mode0=2 mode1=0" << L{"Mode_Normal(0)", "Mode_Normal(1)"};
    QTest::newRow("loop 1 normal loop 2 double")
        << L{} << "mode0=0 mode1=2" << L{"Mode_Double(0)", "Mode_Double(1)"};
    QTest::newRow("relays") << L{"Check_Alb(3)"} << "relay0=129 relay1=254"
                            << L{"Check_Alb(0)", "!Check_Alb(1)", "!Check_Alb(3)", "Check_Alb(7)",
                                 "!Check_Alb(8)", "Check_Alb(9)", "Check_Alb(15)"};
    QTest::newRow("12 V rearmable") << L{} << "out=1" << L{"OptionRearm(0)"};
    QTest::newRow("12 V any other value") << L{} << "out=7" << L{"OptionRearm(0)"};
    QTest::newRow("12 V permanent") << L{"OptionRearm(0)"} << "out=0" << L{"OptionRearm(1)"};
    QTest::newRow("AES external") << L{} << "aes=1" << L{"AES_Option(1)"};
    QTest::newRow("AES internal") << L{"AES_Option(1)"} << "aes=0" << L{"AES_Option(0)"};
    QTest::newRow("tempo 5") << L{} << "tempo=5" << L{"Tempo_Lbl:Tempo UGA =  5 min."};
    QTest::newRow("tempo 120") << L{} << "tempo=120" << L{"Tempo_Lbl:Tempo UGA =  120 min."};
    QTest::newRow("no tempo received") << L{} << "" << L{"Tempo_Lbl:Tempo UGA ="};
    QTest::newRow("card present") << L{"Up_Option(0)"} << "up=1" << L{"Up_Option(1)"};
    QTest::newRow("presence 2 shows present, skips the card")
        << L{"Option1(0)"} << "up=2 cmd0=30 tempo=3" << L{"Up_Option(1)", "Option1(0)", "Tempo_Lbl:Tempo UGA ="};
}

void ShowConfigurationTest::show()
{
    QFETCH(QStringList, before);
    QFETCH(QString, record);
    QFETCH(QStringList, expected);
    EditorFixture f;
    QVERIFY(f.run(before));
    QVERIFY(apply(f.session.config, record));
    const PanelConfig shown = f.session.config;
    f.window.showConfiguration();
    for (const QString &e : expected)
        QVERIFY2(mismatch(f, e).isEmpty(), qPrintable(mismatch(f, e)));
    QCOMPARE(f.session.config, shown);   // showing changes nothing in the record
}

void ShowConfigurationTest::cardAbsentKeepsTheCardControls()
{
    EditorFixture f;
    QVERIFY(f.run(QStringList{"Option1(0)", "Check_CMSI1(0)", "Option_EAC(0)", "Check_Tempo(0)",
                              "Option_Nul(1)", "Check_Rgp(2)", "AES_Option(1)"}));
    f.session.config.UgaTempo = 4;
    f.window.showConfiguration();
    QCOMPARE(f.window.Tempo_Lbl->text(), QStringLiteral("Tempo UGA =  4 min."));
    const ControlItems before = f.window.itemsFromControls();

    QVERIFY(apply(f.session.config, "up=0 cmd0=30 type0=1 type1=1 type2=0 aes=0 tempo=7 mode0=1 relay0=1 out=1"));
    f.window.showConfiguration();

    const ControlItems after = f.window.itemsFromControls();
    QCOMPARE(after.CommandMatrix, before.CommandMatrix);
    QCOMPARE(after.FunctionTypes, before.FunctionTypes);
    QCOMPARE(after.AesChoice, before.AesChoice);
    QCOMPARE(f.window.Tempo_Lbl->text(), QStringLiteral("Tempo UGA =  4 min."));
    // The rest is refreshed.
    QVERIFY(f.window.Up_Option[0]->isChecked());
    QVERIFY(f.window.Mode_Discrim[0]->isChecked());
    QVERIFY(f.window.Check_Alb[0]->isChecked());
    QVERIFY(f.window.OptionRearm[0]->isChecked());
    QVERIFY(f.window.Frm_Cde->isHidden());
    QVERIFY(f.window.Frame1->isHidden());
}

void ShowConfigurationTest::showMarksChangedOnlyWhenSomethingChanges()
{
    EditorFixture f;
    f.window.showConfiguration();   // the start-up record: every control already shows it
    QVERIFY(f.session.ConfigSaved);
    f.session.config.CommandMatrix[5] = 29;
    f.window.showConfiguration();
    QVERIFY(!f.session.ConfigSaved);
}

void ShowConfigurationTest::roundTrip_data()
{
    QTest::addColumn<QString>("record");
    QTest::newRow("start-up") << "";
    QTest::newRow("every function type")
        << "type0=0 type1=2 type2=3 cmd0=0 cmd1=1 cmd2=2 cmd3=4 cmd4=8 cmd5=16 cmd6=29 cmd7=30";
    QTest::newRow("type 0 with its tempo disabled but ticked") << "type0=128 type2=128";
    QTest::newRow("RSC_UGA with every flag on function 2") << "type1=245";
    QTest::newRow("grouped and button") << "type1=49 type2=17 type0=132";
    QTest::newRow("modes, relays, output, supply")
        << "mode0=1 mode2=2 mode3=2 mode6=1 relay0=255 relay1=170 out=1 aes=1";
}

void ShowConfigurationTest::roundTrip()
{
    QFETCH(QString, record);
    EditorFixture f;
    QVERIFY(apply(f.session.config, record));
    f.window.showConfiguration();
    QCOMPARE(describe(f.window.itemsFromControls()), describe(expectedItems(record)));
}

void ShowConfigurationTest::itemsFromControls_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("items");

    using L = QStringList;
    L allRelay1;
    for (int j = 0; j < 8; ++j)
        allRelay1 << QStringLiteral("Check_Alb(%1)").arg(j);
    QTest::newRow("start-up") << L{} << "";
    QTest::newRow("relay 1 all loops") << allRelay1 << "relay0=255";
    QTest::newRow("relay 2 loops 1 and 8") << L{"Check_Alb(8)", "Check_Alb(15)"} << "relay1=129";
    QTest::newRow("no UGA option and no function")
        << L{"none:Frm_Uga(2)", "Check_CMSI1(6)", "Check_CMSI1(7)", "Check_CMSI1(8)"} << "cmd2=0";
    QTest::newRow("no UGA option with functions") << L{"none:Frm_Uga(7)"} << "cmd7=28";
    QTest::newRow("immediate with function 2")
        << L{"Option1(4)", "Check_CMSI1(3)", "Check_CMSI1(5)"} << "cmd1=9";
    QTest::newRow("modes") << L{"Mode_Discrim(2)", "Mode_Double(6)"} << "mode2=1 mode6=2 mode7=2";
    QTest::newRow("rearmable and external") << L{"OptionRearm(0)", "AES_Option(1)"} << "out=1 aes=1";
    QTest::newRow("types") << L{"Option_Nul(0)", "Option_RAC(1)", "Option_EAC(2)"} << "type0=0 type1=2 type2=4";
    QTest::newRow("ESC") << L{"Option_ESC(0)"} << "type0=3";
    QTest::newRow("button without grouped adds nothing") << L{"Check_Bp_Actif(1)"} << "";
    QTest::newRow("grouped alone") << L{"Check_Rgp(1)"} << "type1=17";
    QTest::newRow("grouped and button") << L{"Check_Rgp(2)", "Check_Bp_Actif(2)"} << "type2=49";
    QTest::newRow("tempo") << L{"Check_Tempo(1)"} << "type1=129";
    QTest::newRow("aux with RSC_UGA") << L{"Option_RSC_UGA(2)", "Check_Hs_Ctc_Aux(2)"} << "type2=69";
    QTest::newRow("aux ticked under RSC counts nothing") << L{"+Check_Hs_Ctc_Aux(0)"} << "";
    QTest::newRow("RSC_UGA with all four boxes ticked")
        << L{"Option_RSC_UGA(1)", "Check_Hs_Ctc_Aux(1)", "Check_Tempo(1)", "+Check_Rgp(1)", "+Check_Bp_Actif(1)"}
        << "type1=245";
    QTest::newRow("no type chosen counts as RSC_UGA") << L{"Check_Tempo(0)", "none:Frm_Fonction(0)"}
                                                      << "type0=133";
    QTest::newRow("no type chosen with aux") << L{"+Check_Hs_Ctc_Aux(1)", "none:Frm_Fonction(1)"} << "type1=69";
}

void ShowConfigurationTest::itemsFromControls()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, items);
    EditorFixture f;
    QVERIFY(f.run(steps));
    QCOMPARE(describe(f.window.itemsFromControls()), describe(expectedItems(items)));
}

#include "tst_show.moc"
TORVA_TEST(ShowConfigurationTest)
