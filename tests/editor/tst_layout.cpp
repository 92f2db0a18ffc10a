#include "EditorFixture.h"
#include "support/TestRegistry.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace {

// Frame positions are given in twips; the screen has 15 to a pixel.
QRect fromTwips(int left, int top, int width, int height)
{
    auto px = [](int t) { return qRound(t / 15.0); };
    return {px(left), px(top), px(width), px(height)};
}

QString name(const char *array, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(index);
}

QString caption(QWidget *w)
{
    if (auto *g = qobject_cast<QGroupBox *>(w))
        return g->title();
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->text();
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    return {};
}

} // namespace

class MainWindowLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void control_data();
    void control();
    void functionOneHasNoGroupedCommand();
    void windowAndMenus();
    void picture();
};

void MainWindowLayoutTest::control_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("geometry");   // checked when not null

    auto row = [](const QString &object, const char *kind, const QString &caption,
                  const QString &tip = {}, const QString &container = {}, QRect geometry = {}) {
        QTest::newRow(qPrintable(object)) << QString::fromLatin1(kind) << caption << tip << container
                                          << geometry;
    };
    const QString client = QStringLiteral("client");

    // The window's frames and buttons, in their place.
    row("Det_mode", "QGroupBox", "MODES ALARME", {}, client, fromTwips(96, 96, 3180, 3660));
    row("Up_frm", "QGroupBox", "CARTE UP (UGA/CMSI)", {}, client, fromTwips(96, 3840, 3180, 588));
    row("Frm_Relais", "QGroupBox", "RELAIS PROGRAMMABLES", "Configuration des relais programmables",
        client, fromTwips(3360, 96, 4428, 2988));
    row("Misc_Frm", "QGroupBox", "DIVERS", "Configurations diverses", client,
        fromTwips(3360, 3072, 4428, 1356));
    row("Command2", "QPushButton", "ENVOYER LA CONFIGURATION",
        "Envoyer la configuration actuelle vers l'ECS", client, fromTwips(7800, 240, 3210, 330));
    row("Command1", "QPushButton", "RECEVOIR LA CONFIGURATION", "Récupérer la configuration de l'ECS",
        client, fromTwips(7800, 840, 3210, 330));
    row("Frm_Cde", "QGroupBox", "COMMANDES UGA/CMSI", "Alimentation AES Interne", client,
        fromTwips(96, 4512, 4524, 4428));
    row("Frame1", "QGroupBox", "FONCTIONS CMSI", "Configuration des fonctions CMSI", client,
        fromTwips(4800, 4560, 6375, 4428));

    // "MODES ALARME"
    row("Label_Zone(17)", "QLabel", "Normal", {}, "Det_mode");
    row("Label_Zone(19)", "QLabel", "Discrimination", {}, "Det_mode");
    row("Label_Zone(18)", "QLabel", "Double détection", {}, "Det_mode");
    for (int i = 0; i < 8; ++i) {
        const QString loop = QStringLiteral("Boucle %1").arg(i + 1);
        row(name("Label_Zone", 15 - i), "QLabel", loop, {}, "Det_mode");
        row(name("mode_B", i), "QFrame", {}, {}, "Det_mode");
        row(name("Mode_Normal", i), "QRadioButton", {}, "Mode Alarme simple", name("mode_B", i));
        row(name("Mode_Discrim", i), "QRadioButton", {}, "La même boucle doit être déclenchée 2 fois",
            name("mode_B", i));
        row(name("Mode_Double", i), "QRadioButton", {}, "2 boucles confirment l'alarme", name("mode_B", i));
    }

    // "CARTE UP (UGA/CMSI)"
    row("Up_Option(1)", "QRadioButton", "PRESENTE", {}, "Up_frm");
    row("Up_Option(0)", "QRadioButton", "ABSENTE", {}, "Up_frm");

    // "RELAIS PROGRAMMABLES"
    for (int r = 0; r < 2; ++r) {
        row(name("Frame_Relais", r), "QGroupBox", QStringLiteral("RELAIS %1").arg(r + 1), {}, "Frm_Relais");
        for (int j = 0; j < 8; ++j)
            row(name("Check_Alb", 8 * r + j), "QCheckBox", QStringLiteral("Alarme Boucle %1").arg(j + 1),
                QStringLiteral("Le relais est activé sur l'alarme de la boucle %1").arg(j + 1),
                name("Frame_Relais", r));
    }

    // "DIVERS"
    row("Frm_12v", "QGroupBox", "SORTIE 12V", {}, "Misc_Frm");
    row("OptionRearm(1)", "QRadioButton", "Permanente", "La sortie reste alimentée en permanence", "Frm_12v");
    row("OptionRearm(0)", "QRadioButton", "Réarmable", "La sortie est réarmée avec la touche Réarmement",
        "Frm_12v");
    row("Label1", "QLabel", "CODE NIVEAU 2", {}, "Misc_Frm");
    row("Text_Niveau(0)", "QLineEdit", "BCAB", "Code Niveau 2 : 4 caractères A-B-C", "Misc_Frm");
    row("Label3", "QLabel", "CODE NIVEAU 3", {}, "Misc_Frm");
    row("Text_Niveau(1)", "QLineEdit", "CCBA", "Code Niveau 3 : 4 caractères A-B-C", "Misc_Frm");

    // "COMMANDES UGA/CMSI"
    row("Label8", "QLabel", "UGA", {}, "Frm_Cde");
    row("Label9", "QLabel", "Non", {}, "Frm_Cde");
    row("Label10", "QLabel", "Immédiat", {}, "Frm_Cde");
    row("Label11", "QLabel", "Tempo", {}, "Frm_Cde");
    row("Label4", "QLabel", "FONCTIONS CMSI", {}, "Frm_Cde");
    for (int f = 0; f < 3; ++f)
        row(name("Label7", f), "QLabel", QString::number(f + 1), {}, "Frm_Cde");
    const QStringList ugaTips{"Cette boucle ne commande pas l'UGA", "Commande Immédiate de l'UGA",
                              "Commande Temporisée de l'UGA"};
    for (int i = 0; i < 8; ++i) {
        row(name("Label_Zone", i), "QLabel", QStringLiteral("Boucle %1").arg(i + 1), {}, "Frm_Cde");
        row(name("Frm_Uga", i), "QFrame", {}, {}, "Frm_Cde");
        for (int c = 0; c < 3; ++c)
            row(name("Option1", 3 * i + c), "QRadioButton", {}, ugaTips[c], name("Frm_Uga", i));
        for (int f = 0; f < 3; ++f)
            row(name("Check_CMSI1", 3 * i + f), "QCheckBox", {},
                QStringLiteral("La boucle 1 commande la fonction %1").arg(i == 0 ? f + 1 : 1), "Frm_Cde");
    }
    row("Tempo_Lbl", "QLabel", "Tempo UGA =", "Valeur lue sur le Dip-Switch", "Frm_Cde");
    row("AES_Option(0)", "QRadioButton", "AES Interne", "Alimentation Diffuseurs = AES Interne", "Frm_Cde");
    row("AES_Option(1)", "QRadioButton", "AES Externe", "Alimentation Diffuseurs = AES Externe", "Frm_Cde");

    // "FONCTIONS CMSI"
    const QStringList typeTips{"La fonction n'est pas utilisée",
                               "Fonction à rupture de tension sans contrôle de position",
                               "Fonction à rupture de tension avec contrôle de position",
                               "Fonction à émission de tension sans contrôle de position",
                               "Fonction à émission de tension avec contrôle de position", ""};
    const char *types[] = {"Option_Nul", "Option_RSC", "Option_RAC", "Option_ESC", "Option_EAC",
                           "Option_RSC_UGA"};
    for (int k = 0; k < 3; ++k) {
        row(name("Label2", k), "QLabel", QStringLiteral("FONCTION %1").arg(k + 1), {}, "Frame1");
        row(name("Frm_Fonction", k), "QFrame", {}, {}, "Frame1");
        for (int t = 0; t < 6; ++t)
            row(name(types[t], k), "QRadioButton", {}, typeTips[t], name("Frm_Fonction", k));
        row(name("Check_Hs_Ctc_Aux", k), "QCheckBox", {}, {}, "Frame1");
        row(name("Check_Tempo", k), "QCheckBox", {}, "La fonction est activée après une temporisation",
            "Frame1");
    }
    for (int k = 1; k < 3; ++k) {
        row(name("Check_Rgp", k), "QCheckBox", {}, {}, "Frame1");
        row(name("Check_Bp_Actif", k), "QCheckBox", {}, {}, "Frame1");
    }
    const QStringList legends{"Non utilisée", "Rupture Sans Contrôle", "Rupture Avec Contrôle",
                              "Emission Sans Contrôle", "Emission Avec Contrôle"};
    for (int t = 0; t < 5; ++t)
        row(name("Label5", t), "QLabel", legends[t], {}, "Frame1");
    row("Label14", "QLabel", "Rupture Sans Contrôle Associé à l'UGA", {}, "Frame1");
    row("Label15", "QLabel", "Mise Hors Service avec le Contact Auxiliaire", {}, "Frame1");
    row("Label6", "QLabel", "Temporisé 20s", {}, "Frame1");
    row("Label12", "QLabel", "Commande regroupée sur Fonction 1", {}, "Frame1");
    row("Label13", "QLabel", "Bouton Actif", {}, "Frame1");
}

void MainWindowLayoutTest::control()
{
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(QString, toolTip);
    QFETCH(QString, container);
    QFETCH(QRect, geometry);

    EditorFixture f;
    const QString object = QString::fromLatin1(QTest::currentDataTag());
    const QList<QWidget *> found = f.window.findChildren<QWidget *>(object);
    QCOMPARE(found.size(), 1);
    QWidget *w = found.first();
    QVERIFY2(w->inherits(kind.toLatin1()), w->metaObject()->className());
    QCOMPARE(::caption(w), caption);
    QCOMPARE(w->toolTip(), toolTip);
    QCOMPARE(w->parentWidget()->objectName(), container);
    if (!geometry.isNull())
        QCOMPARE(w->geometry(), geometry);
}

void MainWindowLayoutTest::functionOneHasNoGroupedCommand()
{
    EditorFixture f;
    QVERIFY(!f.window.findChild<QWidget *>("Check_Rgp(0)"));
    QVERIFY(!f.window.findChild<QWidget *>("Check_Bp_Actif(0)"));
    QVERIFY(!f.window.Check_Rgp[0]);
    QVERIFY(!f.window.Check_Bp_Actif[0]);
    QVERIFY(!f.window.Label_Zone[16]);
    // The arrays point at the controls of the same name, index for index.
    QCOMPARE(f.window.Check_Alb[11]->objectName(), QStringLiteral("Check_Alb(11)"));
    QCOMPARE(f.window.Option1[23]->objectName(), QStringLiteral("Option1(23)"));
    QCOMPARE(f.window.Label_Zone[8]->text(), QStringLiteral("Boucle 8"));
}

void MainWindowLayoutTest::windowAndMenus()
{
    EditorFixture f;
    QCOMPARE(f.window.objectName(), QStringLiteral("Main"));
    QCOMPARE(f.window.windowTitle(), QStringLiteral("OSTRALEC CONFIGURATION TORVA Rev.3.00"));
    QVERIFY(!f.window.windowIcon().isNull());
    QCOMPARE(f.window.centralWidget()->size(), QSize(751, 600));
    QCOMPARE(f.window.Command1->font().family(), QStringLiteral("Arial"));
    QCOMPARE(f.window.Command2->font().family(), QStringLiteral("Arial"));

    const QList<QAction *> top = f.window.menuBar()->actions();
    QCOMPARE(top.size(), 2);
    QCOMPARE(top[0]->menu(), f.window.Util_Menu);
    QCOMPARE(f.window.Util_Menu->objectName(), QStringLiteral("Util_Menu"));
    QCOMPARE(f.window.Util_Menu->title(), QStringLiteral("Utilitaires"));
    QCOMPARE(top[1]->objectName(), QStringLiteral("About_Mnu"));
    QCOMPARE(top[1]->text(), QStringLiteral("&A propos de"));
    QVERIFY(!top[1]->menu());

    QStringList items;
    for (QAction *a : f.window.Util_Menu->actions())
        items << a->objectName() + QLatin1Char('=') + a->text();
    QCOMPARE(items, QStringList({"Diag_Menu=Fenêtre Diagnostic", "Open_Menu=Ouvrir", "Save_Menu=Enregistrer",
                                 "Import_Mnu=Importer fichier Version 1", "Quit_Menu=Quitter"}));
}

// The picture of the window right after start-up; written to the path in TORVA_MAIN_WINDOW_PNG.
void MainWindowLayoutTest::picture()
{
    EditorFixture f;
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    const QPixmap shot = f.window.grab();
    QCOMPARE(shot.width(), 751);
    QVERIFY(shot.height() > 600);   // the menu bar is above the client area
    const QString path = qEnvironmentVariable("TORVA_MAIN_WINDOW_PNG");
    if (!path.isEmpty())
        QVERIFY(shot.save(path, "PNG"));
}

#include "tst_layout.moc"
TORVA_TEST(MainWindowLayoutTest)
