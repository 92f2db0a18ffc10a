#include "editor/MainWindow.h"

#include "config/Session.h"
#include "editor/CodeEdit.h"
#include "editor/LinedFrame.h"
#include "editor/ProgramIcon.h"
#include "link/Link.h"
#include "ui/Prompts.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>

namespace {

// Every position of the window is drawn in twips; the screen has 15 twips to a pixel (96 dpi).
constexpr double kTwipsPerPixel = 15.0;
constexpr int kClientWidthTwips = 11265;
constexpr int kClientHeightTwips = 9000;

int px(int twips)
{
    return qRound(twips / kTwipsPerPixel);
}

QRect twips(int left, int top, int width, int height)
{
    return {px(left), px(top), px(width), px(height)};
}

QString indexed(const char *name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

// Sizes of the caption-less option buttons and check boxes, and of a row of them.
constexpr int kBoxTwips = 255;

template <typename W>
W *place(W *widget, const QString &name, QRect geometry, const QString &toolTip = {})
{
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    if (!toolTip.isEmpty())
        widget->setToolTip(toolTip);
    return widget;
}

template <typename Frame = QGroupBox>
Frame *frame(QWidget *parent, const QString &name, const QString &caption, QRect geometry,
             const QString &toolTip = {})
{
    return place(new Frame(caption, parent), name, geometry, toolTip);
}

// A frame without border or caption: it only makes its option buttons one exclusive group.
QFrame *borderless(QWidget *parent, const QString &name, QRect geometry)
{
    auto *f = place(new QFrame(parent), name, geometry);
    f->setFrameShape(QFrame::NoFrame);
    auto *group = new QButtonGroup(f);
    group->setExclusive(true);
    return f;
}

QRadioButton *option(QWidget *parent, const QString &name, const QString &caption, QRect geometry,
                     const QString &toolTip = {})
{
    auto *button = place(new QRadioButton(caption, parent), name, geometry, toolTip);
    if (auto *group = parent->findChild<QButtonGroup *>(QString(), Qt::FindDirectChildrenOnly))
        group->addButton(button);
    return button;
}

QCheckBox *check(QWidget *parent, const QString &name, const QString &caption, QRect geometry,
                 const QString &toolTip = {})
{
    return place(new QCheckBox(caption, parent), name, geometry, toolTip);
}

QLabel *label(QWidget *parent, const QString &name, const QString &text, QRect geometry,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *l = place(new QLabel(text, parent), name, geometry);
    l->setAlignment(alignment);
    return l;
}

// A decorative line, horizontal or vertical, from (x1, y1) to (x2, y2) in twips, drawn by its
// frame under the controls it runs beside.
void line(LinedFrame *frame, int x1, int y1, int x2, int y2)
{
    frame->addLine({px(x1), px(y1)}, {px(x2), px(y2)});
}

// A column legend set below a grid: a line drops from the column to the legend's level and the
// legend ends just left of it, so that the lines of the columns to its left stop above it.
void legend(LinedFrame *frame, QLabel *legendLabel, int columnX, int gridBottom, int top)
{
    constexpr int kHeight = 255;
    constexpr int kGap = 60;
    constexpr int kLeftMargin = 60;
    legendLabel->setGeometry(twips(kLeftMargin, top, columnX - kGap - kLeftMargin, kHeight));
    legendLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const int middle = top + kHeight / 2;
    line(frame, columnX, gridBottom, columnX, middle);
    line(frame, columnX - kGap + 15, middle, columnX, middle);
}

// Selects an option button; its group partners go off. Selecting the one already selected
// changes nothing and runs no rule, since the button emits no signal then.
void select(QRadioButton *button)
{
    button->setChecked(true);
}

void tick(QCheckBox *box, bool ticked)
{
    box->setChecked(ticked);
}

bool ticked(const QCheckBox *box)
{
    return box && box->isChecked();
}

} // namespace

MainWindow::MainWindow(Session &session, Link &link, Prompts &prompts, QWidget *parent)
    : QMainWindow(parent), m_session(session), m_link(link), m_prompts(prompts)
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("OSTRALEC CONFIGURATION TORVA Rev.3.00"));
    setWindowIcon(ProgramIcon::windowIcon());

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(px(kClientWidthTwips), px(kClientHeightTwips));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    client->setFont(font);
    setCentralWidget(client);

    buildMenus();
    buildAlarmModes(client);
    buildUpCard(client);
    buildRelays(client);
    buildMisc(client);
    buildButtons(client);
    buildCommands(client);
    buildFunctions(client);
    // Created before the window is shown: the two boxes stay disabled until a rule enables them.
    for (int k = 0; k < kFunctionCount; ++k) {
        Check_Hs_Ctc_Aux[k]->setEnabled(false);
        if (Check_Bp_Actif[k])
            Check_Bp_Actif[k]->setEnabled(false);
    }

    connectRules();
    startUp();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    Util_Menu = menuBar()->addMenu(QStringLiteral("Utilitaires"));
    Util_Menu->setObjectName(QStringLiteral("Util_Menu"));
    auto item = [this](const char *name, const QString &text) {
        QAction *action = Util_Menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    Diag_Menu = item("Diag_Menu", QStringLiteral("Fenêtre Diagnostic"));
    Open_Menu = item("Open_Menu", QStringLiteral("Ouvrir"));
    Save_Menu = item("Save_Menu", QStringLiteral("Enregistrer"));
    Print_Menu = item("Print_Menu", QStringLiteral("Imprimer la configuration..."));
    Pdf_Menu = item("Pdf_Menu", QStringLiteral("Exporter en PDF..."));
    Import_Mnu = item("Import_Mnu", QStringLiteral("Importer fichier Version 1"));
    Quit_Menu = item("Quit_Menu", QStringLiteral("Quitter"));

    About_Mnu = new QAction(QStringLiteral("&A propos de"), this);
    About_Mnu->setObjectName(QStringLiteral("About_Mnu"));
    menuBar()->addAction(About_Mnu);
}

void MainWindow::buildAlarmModes(QWidget *client)
{
    auto *modes = frame<LinedFrame>(client, QStringLiteral("Det_mode"), QStringLiteral("MODES ALARME"),
                                    twips(96, 96, 3180, 3660));
    Det_mode = modes;

    constexpr int kRowTop = 288;
    constexpr int kRowPitch = 288;
    constexpr int kGridLeft = 900;                            // left of the mode_B frames
    constexpr std::array<int, 3> kColumns{384, 960, 1536};   // options inside mode_B
    constexpr int kGridBottom = kRowTop + 8 * kRowPitch;

    // Row and column separators.
    for (int r = 0; r <= kLoopCount; ++r)
        line(modes, 120, kRowTop + r * kRowPitch, 3060, kRowTop + r * kRowPitch);
    for (int c = 0; c <= 3; ++c) {
        const int x = kGridLeft + 384 - 160 + c * 576;
        line(modes, x, kRowTop, x, kGridBottom);
    }

    for (int i = 0; i < kLoopCount; ++i) {
        const int top = kRowTop + i * kRowPitch;
        Label_Zone[15 - i] = label(Det_mode, indexed("Label_Zone", 15 - i),
                                   QStringLiteral("Boucle %1").arg(i + 1),
                                   twips(120, top + 16, 780, kBoxTwips));   // between the row's lines
        mode_B[i] = borderless(Det_mode, indexed("mode_B", i), twips(kGridLeft, top, 2160, 288));
        Mode_Normal[i] = option(mode_B[i], indexed("Mode_Normal", i), {},
                                twips(kColumns[0], 16, kBoxTwips, kBoxTwips),
                                QStringLiteral("Mode Alarme simple"));
        Mode_Discrim[i] = option(mode_B[i], indexed("Mode_Discrim", i), {},
                                 twips(kColumns[1], 16, kBoxTwips, kBoxTwips),
                                 QStringLiteral("La même boucle doit être déclenchée 2 fois"));
        Mode_Double[i] = option(mode_B[i], indexed("Mode_Double", i), {},
                                twips(kColumns[2], 16, kBoxTwips, kBoxTwips),
                                QStringLiteral("2 boucles confirment l'alarme"));
    }

    // Column headings below the grid, one level each, joined to their column by a line.
    const std::array<std::pair<int, QString>, 3> headings{{
        {17, QStringLiteral("Normal")},
        {19, QStringLiteral("Discrimination")},
        {18, QStringLiteral("Double détection")},
    }};
    for (int c = 0; c < 3; ++c) {
        const auto &[index, text] = headings[c];
        Label_Zone[index] = label(Det_mode, indexed("Label_Zone", index), text, {});
        legend(modes, Label_Zone[index], kGridLeft + kColumns[c] + 112, kGridBottom, 2720 + c * 300);
    }
}

void MainWindow::buildUpCard(QWidget *client)
{
    Up_frm = frame(client, QStringLiteral("Up_frm"), QStringLiteral("CARTE UP (UGA/CMSI)"),
                   twips(96, 3840, 3180, 588));
    auto *group = new QButtonGroup(Up_frm);
    Up_Option[1] = option(Up_frm, indexed("Up_Option", 1), QStringLiteral("PRESENTE"),
                          twips(240, 250, 1300, 270));
    Up_Option[0] = option(Up_frm, indexed("Up_Option", 0), QStringLiteral("ABSENTE"),
                          twips(1700, 250, 1300, 270));
    group->addButton(Up_Option[1]);
    group->addButton(Up_Option[0]);
}

void MainWindow::buildRelays(QWidget *client)
{
    Frm_Relais = frame(client, QStringLiteral("Frm_Relais"), QStringLiteral("RELAIS PROGRAMMABLES"),
                       twips(3360, 96, 4428, 2988),
                       QStringLiteral("Configuration des relais programmables"));
    for (int r = 0; r < kRelayCount; ++r) {
        Frame_Relais[r] = frame(Frm_Relais, indexed("Frame_Relais", r),
                                QStringLiteral("RELAIS %1").arg(r + 1),
                                twips(120 + r * 2148, 240, 2040, 2640));
        for (int j = 0; j < kLoopCount; ++j) {
            const int k = 8 * r + j;
            Check_Alb[k] = check(
                Frame_Relais[r], indexed("Check_Alb", k), QStringLiteral("Alarme Boucle %1").arg(j + 1),
                twips(120, 288 + 288 * j, 1860, kBoxTwips),
                QStringLiteral("Le relais est activé sur l'alarme de la boucle %1").arg(j + 1));
        }
    }
}

void MainWindow::buildMisc(QWidget *client)
{
    Misc_Frm = frame(client, QStringLiteral("Misc_Frm"), QStringLiteral("DIVERS"),
                     twips(3360, 3072, 4428, 1356), QStringLiteral("Configurations diverses"));

    Frm_12v = frame(Misc_Frm, QStringLiteral("Frm_12v"), QStringLiteral("SORTIE 12V"),
                    twips(120, 240, 1800, 1000));
    auto *group = new QButtonGroup(Frm_12v);
    OptionRearm[1] = option(Frm_12v, indexed("OptionRearm", 1), QStringLiteral("Permanente"),
                            twips(120, 300, 1560, 270),
                            QStringLiteral("La sortie reste alimentée en permanence"));
    OptionRearm[0] = option(Frm_12v, indexed("OptionRearm", 0), QStringLiteral("Réarmable"),
                            twips(120, 630, 1560, 270),
                            QStringLiteral("La sortie est réarmée avec la touche Réarmement"));
    group->addButton(OptionRearm[1]);
    group->addButton(OptionRearm[0]);

    Label1 = label(Misc_Frm, QStringLiteral("Label1"), QStringLiteral("CODE NIVEAU 2"),
                   twips(2100, 330, 1400, 330));
    Label3 = label(Misc_Frm, QStringLiteral("Label3"), QStringLiteral("CODE NIVEAU 3"),
                   twips(2100, 750, 1400, 330));
    const std::array<QString, 2> toolTips{QStringLiteral("Code Niveau 2 : 4 caractères A-B-C"),
                                          QStringLiteral("Code Niveau 3 : 4 caractères A-B-C")};
    for (int box = 0; box < 2; ++box) {
        Text_Niveau[box] = place(new CodeEdit(Misc_Frm), indexed("Text_Niveau", box),
                                 twips(3540, 330 + 420 * box, 720, 330), toolTips[box]);
        Text_Niveau[box]->setText(kDeliveryCodes[std::size_t(box)]);
    }
}

void MainWindow::buildButtons(QWidget *client)
{
    QFont arial(QStringLiteral("Arial"));
    arial.setStyleHint(QFont::SansSerif);
    arial.setPointSize(8);
    Command2 = place(new QPushButton(QStringLiteral("ENVOYER LA CONFIGURATION"), client),
                     QStringLiteral("Command2"), twips(7800, 240, 3210, 330),
                     QStringLiteral("Envoyer la configuration actuelle vers l'ECS"));
    Command1 = place(new QPushButton(QStringLiteral("RECEVOIR LA CONFIGURATION"), client),
                     QStringLiteral("Command1"), twips(7800, 840, 3210, 330),
                     QStringLiteral("Récupérer la configuration de l'ECS"));
    Command1->setFont(arial);
    Command2->setFont(arial);
}

void MainWindow::buildCommands(QWidget *client)
{
    auto *commands = frame<LinedFrame>(client, QStringLiteral("Frm_Cde"),
                                       QStringLiteral("COMMANDES UGA/CMSI"), twips(96, 4512, 4524, 4428),
                                       QStringLiteral("Alimentation AES Interne"));
    Frm_Cde = commands;

    constexpr int kRowTop = 780;
    constexpr int kRowPitch = 384;
    constexpr int kUgaLeft = 960;                           // left of the Frm_Uga frames
    constexpr std::array<int, 3> kUgaColumns{120, 840, 1560};
    constexpr int kCmsiLeft = 3060;
    constexpr int kCmsiPitch = 480;
    constexpr int kHeadingTop = 220;
    constexpr int kSubHeadingTop = 450;   // clear of the grid's top line

    for (int r = 0; r <= kLoopCount; ++r)
        line(commands, 120, kRowTop - 64 + r * kRowPitch, 4400, kRowTop - 64 + r * kRowPitch);
    // The separator of the UGA and CMSI columns starts at the grid's top line, under the headings:
    // "Tempo" and "FONCTIONS CMSI" leave no room for it between them.
    line(commands, 2880, kRowTop - 64, 2880, kRowTop - 64 + 8 * kRowPitch);

    const int ugaCentre = kUgaLeft + kUgaColumns[1] + kBoxTwips / 2;
    Label8 = label(Frm_Cde, QStringLiteral("Label8"), QStringLiteral("UGA"),
                   twips(ugaCentre - 900, kHeadingTop, 1800, 255), Qt::AlignCenter);
    const std::array<std::pair<const char *, QString>, 3> ugaHeadings{{
        {"Label9", QStringLiteral("Non")},
        {"Label10", QStringLiteral("Immédiat")},
        {"Label11", QStringLiteral("Tempo")},
    }};
    std::array<QLabel **, 3> ugaLabels{&Label9, &Label10, &Label11};
    for (int c = 0; c < 3; ++c) {
        const int centre = kUgaLeft + kUgaColumns[c] + kBoxTwips / 2;
        *ugaLabels[c] = label(Frm_Cde, QLatin1String(ugaHeadings[c].first), ugaHeadings[c].second,
                              twips(centre - 450, kSubHeadingTop, 900, 255), Qt::AlignCenter);
    }
    const int cmsiCentre = kCmsiLeft + kCmsiPitch + kBoxTwips / 2;
    Label4 = label(Frm_Cde, QStringLiteral("Label4"), QStringLiteral("FONCTIONS CMSI"),
                   twips(cmsiCentre - 850, kHeadingTop, 1700, 255), Qt::AlignCenter);
    for (int f = 0; f < kFunctionCount; ++f) {
        const int centre = kCmsiLeft + f * kCmsiPitch + kBoxTwips / 2;
        Label7[f] = label(Frm_Cde, indexed("Label7", f), QString::number(f + 1),
                          twips(centre - 240, kSubHeadingTop, 480, 255), Qt::AlignCenter);
    }

    const std::array<QString, 3> ugaTips{QStringLiteral("Cette boucle ne commande pas l'UGA"),
                                         QStringLiteral("Commande Immédiate de l'UGA"),
                                         QStringLiteral("Commande Temporisée de l'UGA")};
    for (int i = 0; i < kLoopCount; ++i) {
        const int top = kRowTop + i * kRowPitch;
        Label_Zone[i] = label(Frm_Cde, indexed("Label_Zone", i), QStringLiteral("Boucle %1").arg(i + 1),
                              twips(120, top, 800, kBoxTwips));
        Frm_Uga[i] = borderless(Frm_Cde, indexed("Frm_Uga", i), twips(kUgaLeft, top, 1900, kBoxTwips));
        for (int c = 0; c < 3; ++c)
            Option1[3 * i + c] = option(Frm_Uga[i], indexed("Option1", 3 * i + c), {},
                                        twips(kUgaColumns[c], 0, kBoxTwips, kBoxTwips), ugaTips[c]);
        for (int f = 0; f < kFunctionCount; ++f) {
            // The panel's designer tool-tipped the first row only; the others repeat its first text.
            const QString tip = QStringLiteral("La boucle 1 commande la fonction %1").arg(i == 0 ? f + 1 : 1);
            Check_CMSI1[3 * i + f] = check(Frm_Cde, indexed("Check_CMSI1", 3 * i + f), {},
                                           twips(kCmsiLeft + f * kCmsiPitch, top, kBoxTwips, kBoxTwips), tip);
        }
    }

    Tempo_Lbl = label(Frm_Cde, QStringLiteral("Tempo_Lbl"), QStringLiteral("Tempo UGA ="),
                      twips(120, 3940, 2200, 255));
    Tempo_Lbl->setToolTip(QStringLiteral("Valeur lue sur le Dip-Switch"));
    auto *group = new QButtonGroup(Frm_Cde);
    AES_Option[0] = option(Frm_Cde, indexed("AES_Option", 0), QStringLiteral("AES Interne"),
                           twips(2640, 3900, 1700, 240),
                           QStringLiteral("Alimentation Diffuseurs = AES Interne"));
    AES_Option[1] = option(Frm_Cde, indexed("AES_Option", 1), QStringLiteral("AES Externe"),
                           twips(2640, 4130, 1700, 240),
                           QStringLiteral("Alimentation Diffuseurs = AES Externe"));
    group->addButton(AES_Option[0]);
    group->addButton(AES_Option[1]);
}

void MainWindow::buildFunctions(QWidget *client)
{
    auto *functions = frame<LinedFrame>(client, QStringLiteral("Frame1"), QStringLiteral("FONCTIONS CMSI"),
                                        twips(4800, 4560, 6375, 4428),
                                        QStringLiteral("Configuration des fonctions CMSI"));
    Frame1 = functions;

    constexpr int kRowTop = 360;
    constexpr int kRowPitch = 480;
    constexpr int kTypeLeft = 1500;     // left of the Frm_Fonction frames
    constexpr int kTypePitch = 480;
    constexpr int kCheckLeft = 4440;
    constexpr int kCheckPitch = 480;
    constexpr int kGridBottom = kRowTop - 112 + 3 * kRowPitch;
    constexpr int kLegendTop = 1800;
    constexpr int kLegendPitch = 255;

    for (int r = 0; r <= kFunctionCount; ++r)
        line(functions, 120, kRowTop - 112 + r * kRowPitch, 6255, kRowTop - 112 + r * kRowPitch);
    line(functions, kCheckLeft - 180, kRowTop - 112, kCheckLeft - 180, kGridBottom);

    const std::array<const char *, 6> typeNames{"Option_Nul", "Option_RSC", "Option_RAC",
                                                 "Option_ESC", "Option_EAC", "Option_RSC_UGA"};
    const std::array<QString, 6> typeTips{
        QStringLiteral("La fonction n'est pas utilisée"),
        QStringLiteral("Fonction à rupture de tension sans contrôle de position"),
        QStringLiteral("Fonction à rupture de tension avec contrôle de position"),
        QStringLiteral("Fonction à émission de tension sans contrôle de position"),
        QStringLiteral("Fonction à émission de tension avec contrôle de position"),
        QString()};
    for (int k = 0; k < kFunctionCount; ++k) {
        const int top = kRowTop + k * kRowPitch;
        Label2[k] = label(Frame1, indexed("Label2", k), QStringLiteral("FONCTION %1").arg(k + 1),
                          twips(120, top, 1300, kBoxTwips));
        Frm_Fonction[k] = borderless(Frame1, indexed("Frm_Fonction", k),
                                     twips(kTypeLeft, top, 5 * kTypePitch + kBoxTwips, kBoxTwips));
        for (int t = 0; t < 6; ++t)
            typeOptions(t)[k] = option(Frm_Fonction[k], indexed(typeNames[t], k), {},
                                       twips(t * kTypePitch, 0, kBoxTwips, kBoxTwips), typeTips[t]);
        auto checkAt = [&](const char *name, int column, const QString &tip = {}) {
            return check(Frame1, indexed(name, k), {},
                         twips(kCheckLeft + column * kCheckPitch, top, kBoxTwips, kBoxTwips), tip);
        };
        Check_Hs_Ctc_Aux[k] = checkAt("Check_Hs_Ctc_Aux", 0);
        Check_Tempo[k] = checkAt("Check_Tempo", 1, QStringLiteral("La fonction est activée après une temporisation"));
        if (k >= 1) {
            Check_Rgp[k] = checkAt("Check_Rgp", 2);
            Check_Bp_Actif[k] = checkAt("Check_Bp_Actif", 3);
        }
    }

    // Column legends, the leftmost column highest, each joined to its column.
    struct Legend
    {
        QLabel **target;
        const char *name;
        QString text;
        int column;   // 0-5 type options, 6-9 check boxes
    };
    const std::array<Legend, 10> legends{{
        {&Label5[0], "Label5(0)", QStringLiteral("Non utilisée"), 0},
        {&Label5[1], "Label5(1)", QStringLiteral("Rupture Sans Contrôle"), 1},
        {&Label5[2], "Label5(2)", QStringLiteral("Rupture Avec Contrôle"), 2},
        {&Label5[3], "Label5(3)", QStringLiteral("Emission Sans Contrôle"), 3},
        {&Label5[4], "Label5(4)", QStringLiteral("Emission Avec Contrôle"), 4},
        {&Label14, "Label14", QStringLiteral("Rupture Sans Contrôle Associé à l'UGA"), 5},
        {&Label15, "Label15", QStringLiteral("Mise Hors Service avec le Contact Auxiliaire"), 6},
        {&Label6, "Label6", QStringLiteral("Temporisé 20s"), 7},
        {&Label12, "Label12", QStringLiteral("Commande regroupée sur Fonction 1"), 8},
        {&Label13, "Label13", QStringLiteral("Bouton Actif"), 9},
    }};
    for (const Legend &l : legends) {
        auto *target = new QLabel(Frame1);
        *l.target = target;
        target->setObjectName(QLatin1String(l.name));
        target->setText(l.text);
        const int columnX = l.column < 6 ? kTypeLeft + l.column * kTypePitch
                                         : kCheckLeft + (l.column - 6) * kCheckPitch;
        legend(functions, target, columnX + kBoxTwips / 2 - 20, kGridBottom,
               kLegendTop + l.column * kLegendPitch);
    }
}

std::array<QRadioButton *, 3> &MainWindow::typeOptions(int type)
{
    switch (type) {
    case FunctionType::Nul: return Option_Nul;
    case FunctionType::RSC: return Option_RSC;
    case FunctionType::RAC: return Option_RAC;
    case FunctionType::ESC: return Option_ESC;
    case FunctionType::EAC: return Option_EAC;
    default: return Option_RSC_UGA;
    }
}

const std::array<QRadioButton *, 3> &MainWindow::typeOptions(int type) const
{
    return const_cast<MainWindow *>(this)->typeOptions(type);
}

void MainWindow::connectRules()
{
    auto onSelected = [this](QRadioButton *button, auto rule) {
        connect(button, &QRadioButton::toggled, this, [rule](bool on) {
            if (on)
                rule();
        });
    };
    auto onChanged = [this](QCheckBox *box) {
        connect(box, &QCheckBox::toggled, this, &MainWindow::markChanged);
    };

    for (int i = 0; i < kLoopCount; ++i) {
        onSelected(Mode_Normal[i], [this, i] { markChanged(); onModeSelected(i); });
        onSelected(Mode_Discrim[i], [this, i] { markChanged(); onModeSelected(i); });
        onSelected(Mode_Double[i], [this, i] { markChanged(); onModeSelected(i); });
    }
    for (QRadioButton *button : Option1)
        onSelected(button, [this] { markChanged(); });
    for (QRadioButton *button : OptionRearm)
        onSelected(button, [this] { markChanged(); });
    for (QRadioButton *button : AES_Option)
        onSelected(button, [this] { markChanged(); });
    for (int i = 0; i < 2; ++i)
        onSelected(Up_Option[i], [this, i] { onUpCardSelected(i); });

    for (QCheckBox *box : Check_Alb)
        onChanged(box);
    for (QCheckBox *box : Check_CMSI1)
        onChanged(box);
    for (int k = 0; k < kFunctionCount; ++k) {
        for (int t = 0; t < 6; ++t)
            onSelected(typeOptions(t)[k], [this, t, k] { onTypeSelected(t, k); });
        onChanged(Check_Hs_Ctc_Aux[k]);
        onChanged(Check_Tempo[k]);
        if (k >= 1) {
            connect(Check_Rgp[k], &QCheckBox::toggled, this, [this, k](bool on) {
                markChanged();
                onGroupedToggled(k, on);
            });
            onChanged(Check_Bp_Actif[k]);
        }
    }

    for (int box = 0; box < 2; ++box) {
        connect(Text_Niveau[box], &CodeEdit::keyTyped, this, &MainWindow::markChanged);
        connect(Text_Niveau[box], &CodeEdit::validationRequested, this,
                [this, box] { validateCode(box); });
    }
}

void MainWindow::startUp()
{
    if (m_link.isPortOpen())
        m_link.closePort();

    select(Up_Option[1]);

    for (int i = 0; i < kLoopCount; ++i) {
        select(Option1[3 * i + 2]);
        select(Mode_Normal[i]);
    }
    for (int k = 0; k < kFunctionCount; ++k)
        select(Option_Nul[k]);
    for (QCheckBox *box : Check_CMSI1)
        tick(box, true);
    for (int k = 0; k < kFunctionCount; ++k) {
        select(Option_RSC[k]);
    }
    select(OptionRearm[1]);
    select(AES_Option[0]);
    m_link.DiagInProgress = false;
    setCodes(kDeliveryCodes);
    // The selections above ran the change rules, which marked the configuration as changed.
    m_session.ConfigSaved = true;
}

void MainWindow::markChanged()
{
    m_session.ConfigSaved = false;
}

void MainWindow::onTypeSelected(int type, int i)
{
    markChanged();
    QCheckBox *tempo = Check_Tempo[i];
    QCheckBox *aux = Check_Hs_Ctc_Aux[i];
    QCheckBox *grouped = Check_Rgp[i];     // nullptr for function 1
    QCheckBox *button = Check_Bp_Actif[i]; // nullptr for function 1

    switch (type) {
    case FunctionType::Nul:
        tempo->setEnabled(false);
        tick(tempo, false);
        aux->setEnabled(false);
        tick(aux, false);
        if (grouped && Option_Nul[i]->isChecked()) {
            grouped->setEnabled(false);
            button->setEnabled(false);
            tick(grouped, false);
            tick(button, false);
        }
        break;
    case FunctionType::RSC_UGA:
        if (grouped && Option_RSC_UGA[i]->isChecked()) {
            grouped->setEnabled(false);
            button->setEnabled(false);
            tick(grouped, false);
            tick(button, false);
            tempo->setEnabled(true);
            tick(tempo, false);
        }
        // Function 1 keeps its tempo box as the previous type left it.
        if (Option_RSC_UGA[i]->isChecked()) {
            aux->setEnabled(true);
            tick(aux, false);
        }
        break;
    default:   // RSC, RAC, ESC, EAC
        tempo->setEnabled(true);
        aux->setEnabled(false);
        tick(aux, false);
        if (grouped) {
            grouped->setEnabled(true);
            // Enabled whatever the grouped box shows; unticking that box greys it again.
            button->setEnabled(true);
        }
        break;
    }
}

void MainWindow::onModeSelected(int loop)
{
    // Loops pair as (1, 2), (3, 4), (5, 6), (7, 8): the partner of index i is i xor 1.
    const int partner = loop ^ 1;
    if (Mode_Double[loop]->isChecked())
        select(Mode_Double[partner]);   // the partner's own rule then finds this loop double
    else if (Mode_Double[partner]->isChecked())
        select(Mode_Normal[partner]);   // falls back to normal, never to discrimination
}

void MainWindow::onGroupedToggled(int function, bool on)
{
    QCheckBox *button = Check_Bp_Actif[function];
    if (on) {
        button->setEnabled(true);
    } else {
        button->setEnabled(false);
        tick(button, false);
    }
}

void MainWindow::onUpCardSelected(int present)
{
    // Hiding the card's frames clears nothing; the presence is not a change of configuration.
    Frame1->setVisible(present == 1);
    Frm_Cde->setVisible(present == 1);
}

void MainWindow::validateCode(int box)
{
    // Showing a message takes the focus from the box, which must not validate a second time.
    if (m_validating)
        return;
    QScopedValueRollback guard(m_validating, true);

    const QString title = QStringLiteral("ERREUR DE SAISIE");
    if (code(box).size() < CodeEdit::kCodeLength)
        m_prompts.message(QStringLiteral("Les codes doivent avoir 4 lettres !"), title,
                          Prompts::Icon::Warning);
    if (code(0) == code(1)) {
        m_prompts.message(QStringLiteral("Les deux codes doivent être différents !"), title,
                          Prompts::Icon::Warning);
        setCode(box, kDeliveryCodes[std::size_t(box)]);
    }
}

void MainWindow::show(const PanelConfig &config)
{
    setCodes(config.AccessCodes);
    const bool card = config.UpCardPresent == 1;

    for (int i = 0; i < kLoopCount; ++i) {
        if (card) {
            const std::uint8_t c = config.CommandMatrix[i];
            if (c & 0x01)
                select(Option1[3 * i + 1]);
            else if (c & 0x02)
                select(Option1[3 * i + 2]);
            else
                select(Option1[3 * i]);
            for (int f = 0; f < kFunctionCount; ++f)
                tick(Check_CMSI1[3 * i + f], c & (0x04 << f));
        }
        const std::uint8_t m = config.AlarmModes[i];
        if (m == 0)
            select(Mode_Normal[i]);
        else if (m == 1)
            select(Mode_Discrim[i]);
        else
            select(Mode_Double[i]);
    }

    if (card) {
        for (int k = 0; k < kFunctionCount; ++k) {
            const std::uint8_t t = config.FunctionTypes[k];
            // The type first: its rule unticks boxes that the flags below then set.
            switch (t & FunctionFlag::TypeMask) {
            case FunctionType::Nul:
                select(Option_Nul[k]);
                Check_Tempo[k]->setEnabled(false);
                tick(Check_Tempo[k], false);
                break;
            case FunctionType::RSC: select(Option_RSC[k]); break;
            case FunctionType::RAC: select(Option_RAC[k]); break;
            case FunctionType::ESC: select(Option_ESC[k]); break;
            case FunctionType::EAC: select(Option_EAC[k]); break;
            case FunctionType::RSC_UGA:
                select(Option_RSC_UGA[k]);
                tick(Check_Hs_Ctc_Aux[k], t & FunctionFlag::AuxContact);
                break;
            default:
                break;   // an unknown type leaves the options as they are
            }
            tick(Check_Tempo[k], t & FunctionFlag::Delayed);
            if (k >= 1) {
                if (t & FunctionFlag::Grouped) {
                    tick(Check_Rgp[k], true);
                    Check_Bp_Actif[k]->setEnabled(true);
                    tick(Check_Bp_Actif[k], t & FunctionFlag::ActiveButton);
                } else {
                    tick(Check_Rgp[k], false);
                    Check_Bp_Actif[k]->setEnabled(false);
                }
            }
        }
    }

    for (int r = 0; r < kRelayCount; ++r)
        for (int j = 0; j < kLoopCount; ++j)
            tick(Check_Alb[8 * r + j], config.RelayMatrix[r] & (1u << j));

    select(config.UpCardPresent != 0 ? Up_Option[1] : Up_Option[0]);
    select(config.Output12vMode == 0 ? OptionRearm[1] : OptionRearm[0]);

    if (card) {
        select(config.AesChoice == 0 ? AES_Option[0] : AES_Option[1]);
        // Nothing received yet: the label keeps what it shows.
        if (config.UgaTempo) {
            m_ugaTempo = config.UgaTempo;
            Tempo_Lbl->setText(QStringLiteral("Tempo UGA = ") + QStringLiteral(" %1").arg(*config.UgaTempo)
                               + QStringLiteral(" min."));
        }
    }
}

PanelConfig MainWindow::configuration() const
{
    PanelConfig items;
    items.AccessCodes = {code(0), code(1)};
    items.UpCardPresent = Up_Option[1]->isChecked() ? 1 : 0;
    items.UgaTempo = m_ugaTempo;
    for (int r = 0; r < kRelayCount; ++r) {
        std::uint8_t mask = 0;
        for (int j = 0; j < kLoopCount; ++j)
            if (ticked(Check_Alb[8 * r + j]))
                mask |= std::uint8_t(1u << j);
        items.RelayMatrix[r] = mask;
    }
    items.Output12vMode = OptionRearm[1]->isChecked() ? 0 : 1;
    items.AesChoice = AES_Option[0]->isChecked() ? 0 : 1;

    for (int i = 0; i < kLoopCount; ++i) {
        items.AlarmModes[i] = Mode_Normal[i]->isChecked() ? 0 : Mode_Discrim[i]->isChecked() ? 1 : 2;
        std::uint8_t c = Option1[3 * i + 1]->isChecked() ? 1 : Option1[3 * i + 2]->isChecked() ? 2 : 0;
        for (int f = 0; f < kFunctionCount; ++f)
            if (ticked(Check_CMSI1[3 * i + f]))
                c += std::uint8_t(0x04 << f);
        items.CommandMatrix[i] = c;
    }

    for (int k = 0; k < kFunctionCount; ++k) {
        // The first selected option gives the type; none selected counts as RSC_UGA.
        std::uint8_t type = FunctionType::RSC_UGA;
        for (int t = FunctionType::Nul; t < FunctionType::RSC_UGA; ++t) {
            if (typeOptions(t)[k]->isChecked()) {
                type = std::uint8_t(t);
                break;
            }
        }
        std::uint8_t byte = type;
        if (type == FunctionType::RSC_UGA && ticked(Check_Hs_Ctc_Aux[k]))
            byte |= FunctionFlag::AuxContact;
        if (ticked(Check_Tempo[k]))
            byte |= FunctionFlag::Delayed;
        if (ticked(Check_Rgp[k])) {   // functions 2 and 3 only: function 1 has no box
            byte |= FunctionFlag::Grouped;
            if (ticked(Check_Bp_Actif[k]))
                byte |= FunctionFlag::ActiveButton;
        }
        items.FunctionTypes[k] = byte;
    }
    return items;
}

QString MainWindow::code(int box) const
{
    return Text_Niveau[box]->text();
}

void MainWindow::setCode(int box, const QString &text)
{
    Text_Niveau[box]->setText(text);
}

void MainWindow::setCodes(const std::array<QString, 2> &codes)
{
    setCode(0, codes[0]);
    setCode(1, codes[1]);
}

void MainWindow::setCardFramesVisible(bool visible)
{
    Frm_Cde->setVisible(visible);
    Frame1->setVisible(visible);
    Tempo_Lbl->setVisible(visible);
}

void MainWindow::setCloseHandler(std::function<bool()> handler)
{
    m_closeHandler = std::move(handler);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_closeHandler && !m_closeHandler()) {
        event->ignore();
        return;
    }
    event->accept();
}
