#include "support/FakePrompts.h"
#include "support/TestRegistry.h"

#include "config/Session.h"
#include "editor/LinedFrame.h"
#include "editor/MainWindow.h"
#include "link/Link.h"

#include <QTest>
#include <QtWidgets>

namespace {

struct Window
{
    FakePrompts prompts;
    Session session;
    Link link{prompts, [](const PortChoice &) { return std::unique_ptr<SerialPort>(); }};
    MainWindow window{session, link, prompts};
};

QString name(const char *array, int index) { return QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(index); }

void row(const QString &object, const QString &caption, const QString &tip, const QString &container, QRect twips = {})
{
    QTest::newRow(qPrintable(object)) << caption << tip << container << twips;
}

// The widget as a screen at `scale` (1.25 for 125 %) shows it, one image pixel a device pixel.
QImage drawnAt(QWidget &widget, qreal scale)
{
    QImage image(QSize(qCeil(widget.width() * scale), qCeil(widget.height() * scale)), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    QPainter painter(&image);
    widget.render(&painter);
    return image;
}

// The pixels a horizontal or vertical line covers, both ends included.
QRect pixels(const QLine &line) { return QRect(line.p1(), line.p2()).normalized(); }

// Whether some device pixel of the window's pixel `at` is as dark as a decorative line.
bool dark(const QImage &image, QPoint at)
{
    const qreal scale = image.devicePixelRatio();
    for (int y = qFloor(at.y() * scale); y < qCeil((at.y() + 1) * scale); ++y)
        for (int x = qFloor(at.x() * scale); x < qCeil((at.x() + 1) * scale); ++x)
            if (qGray(image.pixel(x, y)) < 0xC0)
                return true;
    return false;
}

} // namespace

class MainWindowLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    // Every control by its name: its caption (a frame's title), tooltip, frame and, for the frames, place.
    void control_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QRect>("twips");   // checked when not null
        row("Det_mode", "MODES ALARME", {}, "client", {96, 96, 3180, 3660});
        row("Up_frm", "CARTE UP (UGA/CMSI)", {}, "client", {96, 3840, 3180, 588});
        row("Frm_Relais", "RELAIS PROGRAMMABLES", "Configuration des relais programmables", "client",
            {3360, 96, 4428, 2988});
        row("Misc_Frm", "DIVERS", "Configurations diverses", "client", {3360, 3072, 4428, 1356});
        row("Command2", "ENVOYER LA CONFIGURATION", "Envoyer la configuration actuelle vers l'ECS", "client",
            {7800, 240, 3210, 330});
        row("Command1", "RECEVOIR LA CONFIGURATION", "Récupérer la configuration de l'ECS", "client",
            {7800, 840, 3210, 330});
        row("Frm_Cde", "COMMANDES UGA/CMSI", "Alimentation AES Interne", "client", {96, 4512, 4524, 4428});
        row("Frame1", "FONCTIONS CMSI", "Configuration des fonctions CMSI", "client", {4800, 4560, 6375, 4428});
        // Captioned controls without a tooltip.
        const char *labels[][3] = {
            {"Label15", "Mise Hors Service avec le Contact Auxiliaire", "Frame1"}, {"Label10", "Immédiat", "Frm_Cde"},
            {"Label14", "Rupture Sans Contrôle Associé à l'UGA", "Frame1"}, {"Label_Zone(17)", "Normal", "Det_mode"},
            {"Label12", "Commande regroupée sur Fonction 1", "Frame1"}, {"Frame_Relais(0)", "RELAIS 1", "Frm_Relais"},
            {"Label_Zone(18)", "Double détection", "Det_mode"}, {"Label_Zone(19)", "Discrimination", "Det_mode"},
            {"Frame_Relais(1)", "RELAIS 2", "Frm_Relais"}, {"Label1", "CODE NIVEAU 2", "Misc_Frm"},
            {"Label3", "CODE NIVEAU 3", "Misc_Frm"}, {"Label4", "FONCTIONS CMSI", "Frm_Cde"},
            {"Up_Option(1)", "PRESENTE", "Up_frm"}, {"Label13", "Bouton Actif", "Frame1"}, {"Label8", "UGA", "Frm_Cde"},
            {"Label6", "Temporisé 20s", "Frame1"}, {"Up_Option(0)", "ABSENTE", "Up_frm"}, {"Label9", "Non", "Frm_Cde"},
            {"Frm_12v", "SORTIE 12V", "Misc_Frm"}, {"Label11", "Tempo", "Frm_Cde"}};
        for (auto [object, caption, container] : labels)
            row(object, caption, {}, container);

        const char *ugaTips[] = {"Cette boucle ne commande pas l'UGA", "Commande Immédiate de l'UGA",
                                 "Commande Temporisée de l'UGA"};
        for (int i = 0; i < 8; ++i) {
            const QString loop = QStringLiteral("Boucle %1").arg(i + 1);
            row(name("Label_Zone", 15 - i), loop, {}, "Det_mode");
            row(name("Mode_Normal", i), {}, "Mode Alarme simple", name("mode_B", i));
            row(name("Mode_Discrim", i), {}, "La même boucle doit être déclenchée 2 fois", name("mode_B", i));
            row(name("Mode_Double", i), {}, "2 boucles confirment l'alarme", name("mode_B", i));
            for (int r : {0, 1})
                row(name("Check_Alb", i + 8 * r), "Alarme " + loop,
                    "Le relais est activé sur l'alarme de la boucle " + loop.mid(7), name("Frame_Relais", r));
            row(name("Label_Zone", i), loop, {}, "Frm_Cde");
            for (int c = 0; c < 3; ++c) {
                row(name("Option1", 3 * i + c), {}, ugaTips[c], name("Frm_Uga", i));
                row(name("Check_CMSI1", 3 * i + c), {},
                    QStringLiteral("La boucle 1 commande la fonction %1").arg(i == 0 ? c + 1 : 1), "Frm_Cde");
            }
        }
        row("OptionRearm(1)", "Permanente", "La sortie reste alimentée en permanence", "Frm_12v");
        row("OptionRearm(0)", "Réarmable", "La sortie est réarmée avec la touche Réarmement", "Frm_12v");
        row("Text_Niveau(0)", "BCAB", "Code Niveau 2 : 4 caractères A-B-C", "Misc_Frm");
        row("Text_Niveau(1)", "CCBA", "Code Niveau 3 : 4 caractères A-B-C", "Misc_Frm");
        row("Tempo_Lbl", "Tempo UGA =", "Valeur lue sur le Dip-Switch", "Frm_Cde");
        row("AES_Option(0)", "AES Interne", "Alimentation Diffuseurs = AES Interne", "Frm_Cde");
        row("AES_Option(1)", "AES Externe", "Alimentation Diffuseurs = AES Externe", "Frm_Cde");

        const char *types[][3] = {
            {"Option_Nul", "La fonction n'est pas utilisée", "Non utilisée"},
            {"Option_RSC", "Fonction à rupture de tension sans contrôle de position", "Rupture Sans Contrôle"},
            {"Option_RAC", "Fonction à rupture de tension avec contrôle de position", "Rupture Avec Contrôle"},
            {"Option_ESC", "Fonction à émission de tension sans contrôle de position", "Emission Sans Contrôle"},
            {"Option_EAC", "Fonction à émission de tension avec contrôle de position", "Emission Avec Contrôle"},
            {"Option_RSC_UGA", "", nullptr}};
        for (int k = 0; k < 3; ++k) {
            row(name("Label7", k), QString::number(k + 1), {}, "Frm_Cde");
            row(name("Label2", k), QStringLiteral("FONCTION %1").arg(k + 1), {}, "Frame1");
            for (auto [option, tip, legend] : types)
                row(name(option, k), {}, tip, name("Frm_Fonction", k));
            row(name("Check_Hs_Ctc_Aux", k), {}, {}, "Frame1");
            row(name("Check_Tempo", k), {}, "La fonction est activée après une temporisation", "Frame1");
            for (const char *grouped : {"Check_Rgp", "Check_Bp_Actif"})
                if (k >= 1)
                    row(name(grouped, k), {}, {}, "Frame1");
        }
        for (int t = 0; t < 5; ++t)
            row(name("Label5", t), types[t][2], {}, "Frame1");
    }
    void control()
    {
        QFETCH(QRect, twips);
        Window f;
        const QList<QWidget *> found = f.window.findChildren<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
        QCOMPARE(found.size(), 1);
        QWidget *w = found.first();
        QTEST(w->property(w->inherits("QGroupBox") ? "title" : "text").toString(), "caption");
        QTEST(w->toolTip(), "toolTip");
        QTEST(w->parentWidget()->objectName(), "container");
        auto px = [](int t) { return qRound(t / 15.0); };   // 15 twips to a pixel
        if (!twips.isNull())
            QCOMPARE(w->geometry(), QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
    }

    // The window and its menus; function 1 has no grouped command.
    void window()
    {
        Window f;
        QCOMPARE(f.window.objectName(), QStringLiteral("Main"));
        // The program's icon: the white bell on its red plate.
        const QImage icon = f.window.windowIcon().pixmap(32).toImage();
        QCOMPARE(icon.pixelColor(4, 16), QColor(0xD0, 0x10, 0x10));
        QCOMPARE(icon.pixelColor(16, 16), QColor(Qt::white));
        QCOMPARE(f.window.windowTitle(), QStringLiteral("OSTRALEC CONFIGURATION TORVA Rev.3.00"));
        QCOMPARE(f.window.Command1->font().family() + f.window.Command2->font().family(), QStringLiteral("ArialArial"));
        QStringList menus;
        for (QAction *a : f.window.menuBar()->actions() + f.window.Util_Menu->actions())
            menus << (a->menu() ? a->menu()->objectName() : a->objectName()) + '=' + a->text();
        const char *want = "Util_Menu=Utilitaires|About_Mnu=&A propos de|Diag_Menu=Fenêtre Diagnostic|Open_Menu=Ouvrir|"
                           "Save_Menu=Enregistrer|Print_Menu=Imprimer la configuration...|Pdf_Menu=Exporter en PDF...|"
                           "Import_Mnu=Importer fichier Version 1|Quit_Menu=Quitter";
        QCOMPARE(menus.join('|'), QString::fromUtf8(want));
        QVERIFY(!f.window.findChild<QWidget *>("Check_Rgp(0)") && !f.window.findChild<QWidget *>("Check_Bp_Actif(0)"));
    }

    // Every decorative line is drawn along its whole length at any display scale, none lost
    // between two device pixels.
    void lines_data()
    {
        QTest::addColumn<qreal>("scale");
        QTest::newRow("100 %") << 1.0;
        QTest::newRow("125 %") << 1.25;
        QTest::newRow("150 %") << 1.5;
        QTest::newRow("200 %") << 2.0;
    }
    void lines()
    {
        QFETCH(qreal, scale);
        Window f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        const QImage image = drawnAt(f.window, scale);
        QStringList faint;
        for (const LinedFrame *frame : f.window.findChildren<LinedFrame *>())
            for (const QLine &line : frame->lines()) {
                const QRect along = pixels(line);
                int missing = 0;
                for (int y = along.top(); y <= along.bottom(); ++y)
                    for (int x = along.left(); x <= along.right(); ++x)
                        missing += !dark(image, frame->mapTo(&f.window, QPoint(x, y)));
                if (missing)
                    faint << QStringLiteral("%1 (%2,%3)-(%4,%5): %6 pixels missing")
                                 .arg(frame->objectName()).arg(line.x1()).arg(line.y1()).arg(line.x2())
                                 .arg(line.y2()).arg(missing);
            }
        QVERIFY2(faint.isEmpty(), qPrintable(faint.join(QStringLiteral("; "))));
    }

    // No line runs through a heading, a legend or a row heading of its frame.
    void crossings_data()
    {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<int>("lines");   // rows, columns, and two for each legend
        QTest::newRow("MODES ALARME") << QStringLiteral("Det_mode") << 9 + 4 + 2 * 3;
        QTest::newRow("COMMANDES UGA/CMSI") << QStringLiteral("Frm_Cde") << 9 + 1;
        QTest::newRow("FONCTIONS CMSI") << QStringLiteral("Frame1") << 4 + 1 + 2 * 10;
    }
    void crossings()
    {
        QFETCH(QString, frame);
        Window f;
        const auto *lined = f.window.findChild<LinedFrame *>(frame);
        QVERIFY(lined);
        QTEST(int(lined->lines().size()), "lines");
        QStringList crossed;
        for (const QLabel *label : lined->findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
            for (const QLine &line : lined->lines())
                if (pixels(line).intersects(label->geometry()))
                    crossed << label->objectName();
        QCOMPARE(crossed.join(QStringLiteral(", ")), QString());
    }

    // The window right after start-up, drawn into TORVA_MAIN_WINDOW_PNG when that is set (README).
    void picture()
    {
        Window f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QCOMPARE(f.window.centralWidget()->size(), QSize(751, 600));
        const QString path = qEnvironmentVariable("TORVA_MAIN_WINDOW_PNG");
        QVERIFY(path.isEmpty() || f.window.grab().save(path, "PNG"));
    }
};

#include "tst_layout.moc"
TORVA_TEST(MainWindowLayoutTest)
