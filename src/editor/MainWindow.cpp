#include "editor/MainWindow.h"

#include "config/CodesRule.h"
#include "config/ItemWords.h"
#include "config/Messages.h"
#include "config/Session.h"
#include "editor/CodeEdit.h"
#include "editor/LinedFrame.h"
#include "editor/MainLayout.h"
#include "editor/ProgramIcon.h"
#include "link/Link.h"
#include "seams/Prompts.h"
#include "seams/Version.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>

namespace {

// Every position of the window is drawn in twips; the screen has 15 twips to a pixel (96 dpi).
constexpr double kTwipsPerPixel = 15.0;

int px(int twips) { return qRound(twips / kTwipsPerPixel); }

QPoint px(QPoint twips) { return {px(twips.x()), px(twips.y())}; }

QRect px(QRect twips) { return {px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())}; }

// The controls made from the layout, by name.
using Made = QMap<QString, QWidget *>;

template <typename W>
void lookUp(const Made &made, W *&control, const char *name)
{
    control = qobject_cast<W *>(made.value(QLatin1String(name)));
}

// A control array: an index without a control stays nullptr. (Not named bind: std::bind, found
// through std::array, would be chosen and do nothing.)
template <typename W, std::size_t N>
void lookUp(const Made &made, std::array<W *, N> &controls, const char *name)
{
    for (std::size_t i = 0; i < N; ++i)
        controls[i] = qobject_cast<W *>(made.value(indexed(name, int(i))));
}

QWidget *make(const LayoutItem &item, QWidget *parent)
{
    using Kind = LayoutItem::Kind;
    switch (item.kind) {
    case Kind::Frame:
        return new QGroupBox(item.caption, parent);
    case Kind::LinedFrame:
        return new LinedFrame(item.caption, parent);
    case Kind::OptionFrame: {
        auto *frame = new QFrame(parent);
        frame->setFrameShape(QFrame::NoFrame);
        new QButtonGroup(frame);
        return frame;
    }
    case Kind::OptionButton: {
        // The first option button of a frame makes the frame's group.
        auto *group = parent->findChild<QButtonGroup *>(QString(), Qt::FindDirectChildrenOnly);
        if (!group)
            group = new QButtonGroup(parent);
        auto *button = new QRadioButton(item.caption, parent);
        group->addButton(button);
        return button;
    }
    case Kind::CheckBox:
        return new QCheckBox(item.caption, parent);
    case Kind::Label: {
        auto *label = new QLabel(item.caption, parent);
        label->setAlignment(item.alignment);
        return label;
    }
    case Kind::CodeBox:
        return new CodeEdit(parent);
    case Kind::Button: {
        auto *button = new QPushButton(item.caption, parent);
        QFont arial(QStringLiteral("Arial"));
        arial.setStyleHint(QFont::SansSerif);
        arial.setPointSize(8);
        button->setFont(arial);
        return button;
    }
    case Kind::Line:
        break;
    }
    return nullptr;
}

// Selects an option button; its group partners go off. Selecting the one already selected
// changes nothing and runs no rule, since the button emits no signal then.
void select(QRadioButton *button) { button->setChecked(true); }

void tick(QCheckBox *box, bool ticked) { box->setChecked(ticked); }

bool ticked(const QCheckBox *box) { return box && box->isChecked(); }

} // namespace

MainWindow::MainWindow(Session &session, Link &link, Prompts &prompts, QWidget *parent)
    : QMainWindow(parent), m_session(session), m_link(link), m_prompts(prompts)
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("OSTRALEC CONFIGURATION TORVA ") + Version::revision());
    setWindowIcon(ProgramIcon::windowIcon());

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(px(kMainClientTwips.width()), px(kMainClientTwips.height()));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    client->setFont(font);
    setCentralWidget(client);

    buildMenus();
    buildControls(client);
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
    Compare_Menu = item("Compare_Menu", QStringLiteral("Comparer avec l'ECS..."));
    CompareFile_Menu = item("CompareFile_Menu", QStringLiteral("Comparer avec un fichier..."));
    Log_Menu = item("Log_Menu", QStringLiteral("Journal des échanges"));
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

void MainWindow::buildControls(QWidget *client)
{
    Made made{{client->objectName(), client}};
    for (const LayoutItem &item : mainLayout()) {
        QWidget *parent = made.value(item.parent);
        Q_ASSERT(parent);
        if (item.kind == LayoutItem::Kind::Line) {
            auto *frame = qobject_cast<LinedFrame *>(parent);
            Q_ASSERT(frame);
            frame->addLine(px(item.twips.topLeft()), px(item.twips.bottomRight()));
            continue;
        }
        QWidget *widget = make(item, parent);
        widget->setObjectName(item.name);
        widget->setGeometry(px(item.twips));
        if (!item.toolTip.isEmpty())
            widget->setToolTip(item.toolTip);
        made.insert(item.name, widget);
    }

    lookUp(made, Command1, "Command1");
    lookUp(made, Command2, "Command2");
    lookUp(made, Det_mode, "Det_mode");
    lookUp(made, Up_frm, "Up_frm");
    lookUp(made, Frm_Relais, "Frm_Relais");
    lookUp(made, Misc_Frm, "Misc_Frm");
    lookUp(made, Frm_12v, "Frm_12v");
    lookUp(made, Frm_Cde, "Frm_Cde");
    lookUp(made, Frame1, "Frame1");
    lookUp(made, Frame_Relais, "Frame_Relais");
    lookUp(made, mode_B, "mode_B");
    lookUp(made, Frm_Uga, "Frm_Uga");
    lookUp(made, Frm_Fonction, "Frm_Fonction");
    lookUp(made, Mode_Normal, "Mode_Normal");
    lookUp(made, Mode_Discrim, "Mode_Discrim");
    lookUp(made, Mode_Double, "Mode_Double");
    lookUp(made, Up_Option, "Up_Option");
    lookUp(made, Check_Alb, "Check_Alb");
    lookUp(made, OptionRearm, "OptionRearm");
    lookUp(made, Text_Niveau, "Text_Niveau");
    lookUp(made, Option1, "Option1");
    lookUp(made, Check_CMSI1, "Check_CMSI1");
    lookUp(made, AES_Option, "AES_Option");
    lookUp(made, Option_Nul, "Option_Nul");
    lookUp(made, Option_RSC, "Option_RSC");
    lookUp(made, Option_RAC, "Option_RAC");
    lookUp(made, Option_ESC, "Option_ESC");
    lookUp(made, Option_EAC, "Option_EAC");
    lookUp(made, Option_RSC_UGA, "Option_RSC_UGA");
    lookUp(made, Check_Hs_Ctc_Aux, "Check_Hs_Ctc_Aux");
    lookUp(made, Check_Tempo, "Check_Tempo");
    lookUp(made, Check_Rgp, "Check_Rgp");
    lookUp(made, Check_Bp_Actif, "Check_Bp_Actif");
    lookUp(made, Label_Zone, "Label_Zone");
    lookUp(made, Label2, "Label2");
    lookUp(made, Label5, "Label5");
    lookUp(made, Label7, "Label7");
    lookUp(made, Label1, "Label1");
    lookUp(made, Label3, "Label3");
    lookUp(made, Label4, "Label4");
    lookUp(made, Label6, "Label6");
    lookUp(made, Label8, "Label8");
    lookUp(made, Label9, "Label9");
    lookUp(made, Label10, "Label10");
    lookUp(made, Label11, "Label11");
    lookUp(made, Label12, "Label12");
    lookUp(made, Label13, "Label13");
    lookUp(made, Label14, "Label14");
    lookUp(made, Label15, "Label15");
    lookUp(made, Tempo_Lbl, "Tempo_Lbl");
}

std::array<QRadioButton *, 3> &MainWindow::typeOptions(FunctionType type)
{
    switch (type) {
    case FunctionType::Nul:
        return Option_Nul;
    case FunctionType::RSC:
        return Option_RSC;
    case FunctionType::RAC:
        return Option_RAC;
    case FunctionType::ESC:
        return Option_ESC;
    case FunctionType::EAC:
        return Option_EAC;
    case FunctionType::RSC_UGA:
        break;
    }
    return Option_RSC_UGA;
}

const std::array<QRadioButton *, 3> &MainWindow::typeOptions(FunctionType type) const
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
        onSelected(Mode_Normal[i], [this, i] {
            markChanged();
            onModeSelected(i);
        });
        onSelected(Mode_Discrim[i], [this, i] {
            markChanged();
            onModeSelected(i);
        });
        onSelected(Mode_Double[i], [this, i] {
            markChanged();
            onModeSelected(i);
        });
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
        for (FunctionType t : kFunctionTypes)
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
        connect(Text_Niveau[box], &CodeEdit::validationRequested, this, [this, box] { validateCode(box); });
    }
}

void MainWindow::startUp()
{
    if (m_link.isPortOpen())
        m_link.closePort();

    show(PanelConfig());
    // Showing greys the "Bouton Actif" box of a function that is not grouped; the window starts
    // with each one as its type's rule leaves it: usable exactly when the grouping box is, ticked
    // or not.
    for (int k = 1; k < kFunctionCount; ++k)
        Check_Bp_Actif[k]->setEnabled(Check_Rgp[k]->isEnabled());
    // Showing ran the change rules, which marked the configuration as changed.
    m_session.ConfigSaved = true;
}

void MainWindow::markChanged() { m_session.ConfigSaved = false; }

void MainWindow::onTypeSelected(FunctionType type, int i)
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
    case FunctionType::RSC:
    case FunctionType::RAC:
    case FunctionType::ESC:
    case FunctionType::EAC:
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
    const int partner = pairedLoop(loop);
    if (Mode_Double[loop]->isChecked())
        select(Mode_Double[partner]); // the partner's own rule then finds this loop double
    else if (Mode_Double[partner]->isChecked())
        select(Mode_Normal[partner]); // falls back to normal, never to discrimination
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

    // The box just left must be complete; the other may still be on its way. Two equal codes
    // put this box back to its delivery code.
    const QString title = Messages::entryErrorTitle();
    const CodesRule::Check check = CodesRule::check({code(0), code(1)});
    if (check.incomplete[std::size_t(box)])
        m_prompts.message(CodesRule::message(CodesRule::Fault::TooShort), title, Prompts::Icon::Warning);
    if (check.equal) {
        m_prompts.message(CodesRule::message(CodesRule::Fault::Equal), title, Prompts::Icon::Warning);
        setCode(box, kDeliveryCodes[std::size_t(box)]);
    }
}

void MainWindow::show(const PanelConfig &config)
{
    setCodes(config.AccessCodes);
    const bool card = config.cardPresent();

    for (int i = 0; i < kLoopCount; ++i) {
        if (card) {
            switch (config.ugaCommand(i)) {
            case UgaCommand::None:
                select(Option1[3 * i]);
                break;
            case UgaCommand::Immediate:
                select(Option1[3 * i + 1]);
                break;
            case UgaCommand::Temporised:
                select(Option1[3 * i + 2]);
                break;
            }
            for (int f = 0; f < kFunctionCount; ++f)
                tick(Check_CMSI1[3 * i + f], config.drivesFunction(i, f));
        }
        switch (config.alarmMode(i)) {
        case AlarmMode::Normal:
            select(Mode_Normal[i]);
            break;
        case AlarmMode::Discrimination:
            select(Mode_Discrim[i]);
            break;
        case AlarmMode::Double:
            select(Mode_Double[i]);
            break;
        }
    }

    if (card) {
        for (int k = 0; k < kFunctionCount; ++k) {
            // The type first: its rule unticks boxes that the flags below then set.
            // A type no option names (none of the cases) leaves the options as they are.
            switch (config.functionType(k)) {
            case FunctionType::Nul:
                select(Option_Nul[k]);
                Check_Tempo[k]->setEnabled(false);
                tick(Check_Tempo[k], false);
                break;
            case FunctionType::RSC:
                select(Option_RSC[k]);
                break;
            case FunctionType::RAC:
                select(Option_RAC[k]);
                break;
            case FunctionType::ESC:
                select(Option_ESC[k]);
                break;
            case FunctionType::EAC:
                select(Option_EAC[k]);
                break;
            case FunctionType::RSC_UGA:
                select(Option_RSC_UGA[k]);
                tick(Check_Hs_Ctc_Aux[k], config.functionFlag(k, FunctionFlag::AuxContact));
                break;
            }
            tick(Check_Tempo[k], config.functionFlag(k, FunctionFlag::Delayed));
            if (k >= 1) {
                if (config.functionFlag(k, FunctionFlag::Grouped)) {
                    tick(Check_Rgp[k], true);
                    Check_Bp_Actif[k]->setEnabled(true);
                    tick(Check_Bp_Actif[k], config.functionFlag(k, FunctionFlag::ActiveButton));
                } else {
                    tick(Check_Rgp[k], false);
                    Check_Bp_Actif[k]->setEnabled(false);
                }
            }
        }
    }

    for (int r = 0; r < kRelayCount; ++r)
        for (int j = 0; j < kLoopCount; ++j)
            tick(Check_Alb[8 * r + j], config.relayFollows(r, j));

    // Any presence but 0 selects the card's option, although only 1 showed the card's items above.
    select(config.UpCardPresent != 0 ? Up_Option[1] : Up_Option[0]);
    select(config.output12v() == Output12v::Permanent ? OptionRearm[1] : OptionRearm[0]);

    if (card) {
        select(config.aes() == Aes::Internal ? AES_Option[0] : AES_Option[1]);
        // Nothing received yet: the label keeps what it shows.
        if (config.UgaTempo) {
            m_ugaTempo = config.UgaTempo;
            // Two spaces before the minutes, unlike the sheet's line.
            Tempo_Lbl->setText(ItemWords::ugaTempoCaption() +
                               QStringLiteral("  %1 min.").arg(*config.UgaTempo));
        }
    }
}

PanelConfig MainWindow::configuration() const
{
    PanelConfig items;
    items.AccessCodes = {code(0), code(1)};
    items.setCardPresent(Up_Option[1]->isChecked());
    items.UgaTempo = m_ugaTempo;
    for (int r = 0; r < kRelayCount; ++r)
        for (int j = 0; j < kLoopCount; ++j)
            items.setRelayFollows(r, j, ticked(Check_Alb[8 * r + j]));
    items.setOutput12v(OptionRearm[1]->isChecked() ? Output12v::Permanent : Output12v::Rearmable);
    items.setAes(AES_Option[0]->isChecked() ? Aes::Internal : Aes::External);

    for (int i = 0; i < kLoopCount; ++i) {
        items.setAlarmMode(i, Mode_Normal[i]->isChecked()    ? AlarmMode::Normal
                              : Mode_Discrim[i]->isChecked() ? AlarmMode::Discrimination
                                                             : AlarmMode::Double);
        items.setUgaCommand(i, Option1[3 * i + 1]->isChecked()   ? UgaCommand::Immediate
                               : Option1[3 * i + 2]->isChecked() ? UgaCommand::Temporised
                                                                 : UgaCommand::None);
        for (int f = 0; f < kFunctionCount; ++f)
            items.setDrivesFunction(i, f, ticked(Check_CMSI1[3 * i + f]));
    }

    for (int k = 0; k < kFunctionCount; ++k) {
        // The first selected option gives the type; none selected counts as RSC_UGA.
        FunctionType type = FunctionType::RSC_UGA;
        for (FunctionType t : kFunctionTypes) {
            if (typeOptions(t)[k]->isChecked()) {
                type = t;
                break;
            }
        }
        items.setFunctionType(k, type);
        items.setFunctionFlag(k, FunctionFlag::AuxContact,
                              type == FunctionType::RSC_UGA && ticked(Check_Hs_Ctc_Aux[k]));
        items.setFunctionFlag(k, FunctionFlag::Delayed, ticked(Check_Tempo[k]));
        // Functions 2 and 3 only: function 1 has no grouping boxes.
        const bool grouped = ticked(Check_Rgp[k]);
        items.setFunctionFlag(k, FunctionFlag::Grouped, grouped);
        items.setFunctionFlag(k, FunctionFlag::ActiveButton, grouped && ticked(Check_Bp_Actif[k]));
    }
    return items;
}

QString MainWindow::code(int box) const { return Text_Niveau[box]->text(); }

void MainWindow::setCode(int box, const QString &text) { Text_Niveau[box]->setText(text); }

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

void MainWindow::setCloseHandler(std::function<bool()> handler) { m_closeHandler = std::move(handler); }

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_closeHandler && !m_closeHandler()) {
        event->ignore();
        return;
    }
    event->accept();
}
