#include "editor/MainLayout.h"

#include "config/ItemWords.h"

#include <array>

namespace {

using Kind = LayoutItem::Kind;
using ItemWords::Group;

// The caption-less option buttons and check boxes are square, and so is a row of them.
constexpr int kBoxTwips = 255;

class Layout
{
public:
    QList<LayoutItem> items;

    void add(Kind kind, const QString &name, const QString &parent, QRect twips, const QString &caption = {},
             const QString &toolTip = {})
    {
        items.append({kind, name, parent, twips, caption, toolTip});
    }

    void heading(const QString &name, const QString &parent, QRect twips, const QString &caption)
    {
        items.append({Kind::Label, name, parent, twips, caption, {}, Qt::AlignCenter});
    }

    // A horizontal or vertical line, from (x1, y1) to (x2, y2).
    void line(const QString &frame, int x1, int y1, int x2, int y2)
    {
        items.append({Kind::Line, {}, frame, QRect(QPoint(x1, y1), QPoint(x2, y2))});
    }

    // A column legend set below a grid: a line drops from the column to the legend's level and the
    // legend ends just left of it, so that the lines of the columns to its left stop above it.
    void legend(const QString &frame, const QString &name, const QString &caption, int columnX,
                int gridBottom, int top)
    {
        constexpr int kHeight = 255;
        constexpr int kGap = 60;
        constexpr int kLeftMargin = 60;
        items.append({Kind::Label,
                      name,
                      frame,
                      QRect(kLeftMargin, top, columnX - kGap - kLeftMargin, kHeight),
                      caption,
                      {},
                      Qt::AlignRight | Qt::AlignVCenter});
        const int middle = top + kHeight / 2;
        line(frame, columnX, gridBottom, columnX, middle);
        line(frame, columnX - kGap + 15, middle, columnX, middle);
    }
};

void alarmModes(Layout &l)
{
    const QString frame = QStringLiteral("Det_mode");
    l.add(Kind::LinedFrame, frame, QStringLiteral("client"), {96, 96, 3180, 3660},
          ItemWords::groupTitle(Group::AlarmModes));

    constexpr int kRowTop = 288;
    constexpr int kRowPitch = 288;
    constexpr int kGridLeft = 900;                         // left of the mode_B frames
    constexpr std::array<int, 3> kColumns{384, 960, 1536}; // options inside mode_B
    constexpr int kGridBottom = kRowTop + 8 * kRowPitch;

    // Row and column separators.
    for (int r = 0; r <= 8; ++r)
        l.line(frame, 120, kRowTop + r * kRowPitch, 3060, kRowTop + r * kRowPitch);
    for (int c = 0; c <= 3; ++c) {
        const int x = kGridLeft + 384 - 160 + c * 576;
        l.line(frame, x, kRowTop, x, kGridBottom);
    }

    for (int i = 0; i < 8; ++i) {
        const int top = kRowTop + i * kRowPitch;
        const QString modes = indexed("mode_B", i);
        // Between the row's lines; loop 1 is Label_Zone(15).
        l.add(Kind::Label, indexed("Label_Zone", 15 - i), frame, {120, top + 16, 780, kBoxTwips},
              ItemWords::loopName(i));
        l.add(Kind::OptionFrame, modes, frame, {kGridLeft, top, 2160, 288});
        l.add(Kind::OptionButton, indexed("Mode_Normal", i), modes, {kColumns[0], 16, kBoxTwips, kBoxTwips},
              {}, ItemWords::alarmMode(AlarmMode::Normal, i));
        l.add(Kind::OptionButton, indexed("Mode_Discrim", i), modes, {kColumns[1], 16, kBoxTwips, kBoxTwips},
              {}, QStringLiteral("La même boucle doit être déclenchée 2 fois"));
        l.add(Kind::OptionButton, indexed("Mode_Double", i), modes, {kColumns[2], 16, kBoxTwips, kBoxTwips},
              {}, QStringLiteral("2 boucles confirment l'alarme"));
    }

    // Column headings below the grid, one level each, joined to their column by a line.
    const std::array<std::pair<int, QString>, 3> headings{{
        {17, QStringLiteral("Normal")},
        {19, ItemWords::alarmMode(AlarmMode::Discrimination, 0)},
        {18, QStringLiteral("Double détection")},
    }};
    for (int c = 0; c < 3; ++c)
        l.legend(frame, indexed("Label_Zone", headings[c].first), headings[c].second,
                 kGridLeft + kColumns[c] + 112, kGridBottom, 2720 + c * 300);
}

void upCard(Layout &l)
{
    const QString frame = QStringLiteral("Up_frm");
    l.add(Kind::Frame, frame, QStringLiteral("client"), {96, 3840, 3180, 588},
          ItemWords::groupTitle(Group::UpCard));
    l.add(Kind::OptionButton, indexed("Up_Option", 1), frame, {240, 250, 1300, 270},
          ItemWords::cardPresence(true));
    l.add(Kind::OptionButton, indexed("Up_Option", 0), frame, {1700, 250, 1300, 270},
          ItemWords::cardPresence(false));
}

void relays(Layout &l)
{
    const QString frame = QStringLiteral("Frm_Relais");
    l.add(Kind::Frame, frame, QStringLiteral("client"), {3360, 96, 4428, 2988},
          ItemWords::groupTitle(Group::Relays), QStringLiteral("Configuration des relais programmables"));
    for (int r = 0; r < 2; ++r) {
        const QString relay = indexed("Frame_Relais", r);
        l.add(Kind::Frame, relay, frame, {120 + r * 2148, 240, 2040, 2640}, ItemWords::relayName(r));
        for (int j = 0; j < 8; ++j)
            l.add(Kind::CheckBox, indexed("Check_Alb", 8 * r + j), relay,
                  {120, 288 + 288 * j, 1860, kBoxTwips}, ItemWords::relayLoop(j),
                  QStringLiteral("Le relais est activé sur l'alarme de la boucle %1").arg(j + 1));
    }
}

void misc(Layout &l)
{
    const QString frame = QStringLiteral("Misc_Frm");
    l.add(Kind::Frame, frame, QStringLiteral("client"), {3360, 3072, 4428, 1356},
          ItemWords::groupTitle(Group::Misc), QStringLiteral("Configurations diverses"));

    const QString output = QStringLiteral("Frm_12v");
    l.add(Kind::Frame, output, frame, {120, 240, 1800, 1000}, ItemWords::groupTitle(Group::Output12v));
    l.add(Kind::OptionButton, indexed("OptionRearm", 1), output, {120, 300, 1560, 270},
          ItemWords::output12v(Output12v::Permanent),
          QStringLiteral("La sortie reste alimentée en permanence"));
    l.add(Kind::OptionButton, indexed("OptionRearm", 0), output, {120, 630, 1560, 270},
          ItemWords::output12v(Output12v::Rearmable),
          QStringLiteral("La sortie est réarmée avec la touche Réarmement"));

    // The captions end against their boxes and may grow to the left, towards the output frame:
    // Windows' fonts at 125 % and above draw "CODE NIVEAU 2" wider than it is at 100 %.
    for (int box = 0; box < 2; ++box)
        l.items.append({Kind::Label,
                        box == 0 ? QStringLiteral("Label1") : QStringLiteral("Label3"),
                        frame,
                        QRect(1980, 330 + 420 * box, 1500, 330),
                        ItemWords::codeName(box),
                        {},
                        Qt::AlignRight | Qt::AlignVCenter});
    for (int box = 0; box < 2; ++box)
        l.add(Kind::CodeBox, indexed("Text_Niveau", box), frame, {3540, 330 + 420 * box, 720, 330}, {},
              QStringLiteral("Code Niveau %1 : 4 caractères A-B-C").arg(box + 2));
}

void buttons(Layout &l)
{
    const QString client = QStringLiteral("client");
    l.add(Kind::Button, QStringLiteral("Command2"), client, {7800, 240, 3210, 330},
          QStringLiteral("ENVOYER LA CONFIGURATION"),
          QStringLiteral("Envoyer la configuration actuelle vers l'ECS"));
    l.add(Kind::Button, QStringLiteral("Command1"), client, {7800, 840, 3210, 330},
          QStringLiteral("RECEVOIR LA CONFIGURATION"), QStringLiteral("Récupérer la configuration de l'ECS"));
}

void commands(Layout &l)
{
    const QString frame = QStringLiteral("Frm_Cde");
    l.add(Kind::LinedFrame, frame, QStringLiteral("client"), {96, 4512, 4524, 4428},
          ItemWords::groupTitle(Group::Commands), QStringLiteral("Alimentation AES Interne"));

    constexpr int kRowTop = 780;
    constexpr int kRowPitch = 384;
    constexpr int kUgaLeft = 960; // left of the Frm_Uga frames
    constexpr std::array<int, 3> kUgaColumns{120, 840, 1560};
    constexpr int kCmsiLeft = 3060;
    constexpr int kCmsiPitch = 480;
    constexpr int kHeadingTop = 220;
    constexpr int kSubHeadingTop = 450; // clear of the grid's top line

    for (int r = 0; r <= 8; ++r)
        l.line(frame, 120, kRowTop - 64 + r * kRowPitch, 4400, kRowTop - 64 + r * kRowPitch);
    // The separator of the UGA and CMSI columns starts at the grid's top line, under the headings:
    // "Tempo" and "FONCTIONS CMSI" leave no room for it between them.
    l.line(frame, 2880, kRowTop - 64, 2880, kRowTop - 64 + 8 * kRowPitch);

    const int ugaCentre = kUgaLeft + kUgaColumns[1] + kBoxTwips / 2;
    l.heading(QStringLiteral("Label8"), frame, {ugaCentre - 900, kHeadingTop, 1800, 255},
              QStringLiteral("UGA"));
    // Centred over their columns, "Immédiat" and "Tempo" would touch: each moves away from the
    // other, into the room beside "Non" and before the CMSI columns.
    struct Heading
    {
        const char *name;
        QString caption;
        int shift; // twips from the column's centre
    };
    const std::array<Heading, 3> ugaHeadings{{
        {"Label9", QStringLiteral("Non"), 0},
        {"Label10", QStringLiteral("Immédiat"), -45},
        {"Label11", QStringLiteral("Tempo"), 75},
    }};
    for (int c = 0; c < 3; ++c) {
        const int centre = kUgaLeft + kUgaColumns[c] + kBoxTwips / 2 + ugaHeadings[c].shift;
        l.heading(QLatin1String(ugaHeadings[c].name), frame, {centre - 450, kSubHeadingTop, 900, 255},
                  ugaHeadings[c].caption);
    }
    const int cmsiCentre = kCmsiLeft + kCmsiPitch + kBoxTwips / 2;
    l.heading(QStringLiteral("Label4"), frame, {cmsiCentre - 850, kHeadingTop, 1700, 255},
              ItemWords::groupTitle(Group::Functions));
    for (int f = 0; f < 3; ++f) {
        const int centre = kCmsiLeft + f * kCmsiPitch + kBoxTwips / 2;
        l.heading(indexed("Label7", f), frame, {centre - 240, kSubHeadingTop, 480, 255},
                  QString::number(f + 1));
    }

    const std::array<QString, 3> ugaTips{QStringLiteral("Cette boucle ne commande pas l'UGA"),
                                         QStringLiteral("Commande Immédiate de l'UGA"),
                                         QStringLiteral("Commande Temporisée de l'UGA")};
    for (int i = 0; i < 8; ++i) {
        const int top = kRowTop + i * kRowPitch;
        const QString uga = indexed("Frm_Uga", i);
        l.add(Kind::Label, indexed("Label_Zone", i), frame, {120, top, 800, kBoxTwips},
              ItemWords::loopName(i));
        l.add(Kind::OptionFrame, uga, frame, {kUgaLeft, top, 1900, kBoxTwips});
        for (int c = 0; c < 3; ++c)
            l.add(Kind::OptionButton, indexed("Option1", 3 * i + c), uga,
                  {kUgaColumns[c], 0, kBoxTwips, kBoxTwips}, {}, ugaTips[c]);
        for (int f = 0; f < 3; ++f) {
            // The panel's designer tool-tipped the first row only; the others repeat its first text.
            l.add(Kind::CheckBox, indexed("Check_CMSI1", 3 * i + f), frame,
                  {kCmsiLeft + f * kCmsiPitch, top, kBoxTwips, kBoxTwips}, {},
                  QStringLiteral("La boucle 1 commande la fonction %1").arg(i == 0 ? f + 1 : 1));
        }
    }

    l.add(Kind::Label, QStringLiteral("Tempo_Lbl"), frame, {120, 3940, 2200, 255},
          ItemWords::ugaTempoCaption(), QStringLiteral("Valeur lue sur le Dip-Switch"));
    l.add(Kind::OptionButton, indexed("AES_Option", 0), frame, {2640, 3900, 1700, 240},
          ItemWords::aesChoice(Aes::Internal),
          QStringLiteral("Alimentation Diffuseurs = ") + ItemWords::aesChoice(Aes::Internal));
    l.add(Kind::OptionButton, indexed("AES_Option", 1), frame, {2640, 4130, 1700, 240},
          ItemWords::aesChoice(Aes::External),
          QStringLiteral("Alimentation Diffuseurs = ") + ItemWords::aesChoice(Aes::External));
}

void functions(Layout &l)
{
    const QString frame = QStringLiteral("Frame1");
    l.add(Kind::LinedFrame, frame, QStringLiteral("client"), {4800, 4560, 6375, 4428},
          ItemWords::groupTitle(Group::Functions), QStringLiteral("Configuration des fonctions CMSI"));

    constexpr int kRowTop = 360;
    constexpr int kRowPitch = 480;
    constexpr int kTypeLeft = 1500; // left of the Frm_Fonction frames
    constexpr int kTypePitch = 480;
    constexpr int kCheckLeft = 4440;
    constexpr int kCheckPitch = 480;
    constexpr int kGridBottom = kRowTop - 112 + 3 * kRowPitch;
    constexpr int kLegendTop = 1800;
    constexpr int kLegendPitch = 255;

    for (int r = 0; r <= 3; ++r)
        l.line(frame, 120, kRowTop - 112 + r * kRowPitch, 6255, kRowTop - 112 + r * kRowPitch);
    l.line(frame, kCheckLeft - 180, kRowTop - 112, kCheckLeft - 180, kGridBottom);

    const std::array<const char *, 6> typeNames{"Option_Nul", "Option_RSC", "Option_RAC",
                                                "Option_ESC", "Option_EAC", "Option_RSC_UGA"};
    const std::array<QString, 6> typeTips{
        QStringLiteral("La fonction n'est pas utilisée"),
        QStringLiteral("Fonction à rupture de tension sans contrôle de position"),
        QStringLiteral("Fonction à rupture de tension avec contrôle de position"),
        QStringLiteral("Fonction à émission de tension sans contrôle de position"),
        QStringLiteral("Fonction à émission de tension avec contrôle de position"),
        QString()};
    for (int k = 0; k < 3; ++k) {
        const int top = kRowTop + k * kRowPitch;
        const QString types = indexed("Frm_Fonction", k);
        l.add(Kind::Label, indexed("Label2", k), frame, {120, top, 1300, kBoxTwips},
              ItemWords::functionName(k));
        l.add(Kind::OptionFrame, types, frame, {kTypeLeft, top, 5 * kTypePitch + kBoxTwips, kBoxTwips});
        for (int t = 0; t < 6; ++t)
            l.add(Kind::OptionButton, indexed(typeNames[t], k), types,
                  {t * kTypePitch, 0, kBoxTwips, kBoxTwips}, {}, typeTips[t]);
        auto checkAt = [&](const char *name, int column, const QString &tip = {}) {
            l.add(Kind::CheckBox, indexed(name, k), frame,
                  {kCheckLeft + column * kCheckPitch, top, kBoxTwips, kBoxTwips}, {}, tip);
        };
        checkAt("Check_Hs_Ctc_Aux", 0);
        checkAt("Check_Tempo", 1, QStringLiteral("La fonction est activée après une temporisation"));
        // Function 1 has no grouped command.
        if (k >= 1) {
            checkAt("Check_Rgp", 2);
            checkAt("Check_Bp_Actif", 3);
        }
    }

    // Column legends, the leftmost column highest, each joined to its column.
    struct Legend
    {
        const char *name;
        QString caption;
        int column; // 0-5 type options, 6-9 check boxes
    };
    const std::array<Legend, 10> legends{{
        {"Label5(0)", ItemWords::functionType(FunctionType::Nul), 0},
        {"Label5(1)", ItemWords::functionType(FunctionType::RSC), 1},
        {"Label5(2)", ItemWords::functionType(FunctionType::RAC), 2},
        {"Label5(3)", ItemWords::functionType(FunctionType::ESC), 3},
        {"Label5(4)", ItemWords::functionType(FunctionType::EAC), 4},
        {"Label14", ItemWords::functionType(FunctionType::RSC_UGA), 5},
        {"Label15", ItemWords::functionFlag(FunctionFlag::AuxContact), 6},
        {"Label6", ItemWords::functionFlag(FunctionFlag::Delayed), 7},
        {"Label12", ItemWords::functionFlag(FunctionFlag::Grouped), 8},
        {"Label13", ItemWords::functionFlag(FunctionFlag::ActiveButton), 9},
    }};
    for (const Legend &legend : legends) {
        const int columnX = legend.column < 6 ? kTypeLeft + legend.column * kTypePitch
                                              : kCheckLeft + (legend.column - 6) * kCheckPitch;
        l.legend(frame, QLatin1String(legend.name), legend.caption, columnX + kBoxTwips / 2 - 20, kGridBottom,
                 kLegendTop + legend.column * kLegendPitch);
    }
}

QList<LayoutItem> makeLayout()
{
    Layout l;
    alarmModes(l);
    upCard(l);
    relays(l);
    misc(l);
    buttons(l);
    commands(l);
    functions(l);
    return l.items;
}

} // namespace

QString indexed(const char *name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

const QList<LayoutItem> &mainLayout()
{
    static const QList<LayoutItem> layout = makeLayout();
    return layout;
}
