#pragma once

#include "config/PanelConfig.h"

#include <array>

class CodeEdit;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

// The controls of the main window, made from its layout (MainLayout) on the window's surface and
// reached by the names the installer's documentation uses. Control arrays are indexed exactly as
// named; an index that has no control holds nullptr (Check_Rgp(0), Check_Bp_Actif(0),
// Label_Zone(16)).
struct MainControls
{
    // Sizes `client` (the window's surface, named "client"), gives it the window's font and makes
    // every control of the layout on it, in the layout's order (the Tab order).
    void build(QWidget *client);

    // The option buttons of a function type, functions 0 to 2.
    std::array<QRadioButton *, 3> &typeOptions(FunctionType type);
    const std::array<QRadioButton *, 3> &typeOptions(FunctionType type) const;

    // Selects an option button; its group partners go off. Selecting the one already selected
    // changes nothing and runs no rule, since the button emits no signal then.
    static void select(QRadioButton *button);
    static void tick(QCheckBox *box, bool ticked);
    // Whether a box is there and ticked.
    static bool ticked(const QCheckBox *box);

    // Buttons: receive and send.
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

    // Frames.
    QGroupBox *Det_mode = nullptr;
    QGroupBox *Up_frm = nullptr;
    QGroupBox *Frm_Relais = nullptr;
    QGroupBox *Misc_Frm = nullptr;
    QGroupBox *Frm_12v = nullptr;
    QGroupBox *Frm_Cde = nullptr;
    QGroupBox *Frame1 = nullptr;
    std::array<QGroupBox *, 2> Frame_Relais{};
    std::array<QFrame *, 8> mode_B{};
    std::array<QFrame *, 8> Frm_Uga{};
    std::array<QFrame *, 3> Frm_Fonction{};

    // Alarm modes, loops 0 to 7.
    std::array<QRadioButton *, 8> Mode_Normal{};
    std::array<QRadioButton *, 8> Mode_Discrim{};
    std::array<QRadioButton *, 8> Mode_Double{};

    // UP card presence: 1 present, 0 absent.
    std::array<QRadioButton *, 2> Up_Option{};
    // Relays: 8r + j for relay r + 1 and loop j + 1.
    std::array<QCheckBox *, 16> Check_Alb{};
    // 12 V output: 1 permanent, 0 rearmable.
    std::array<QRadioButton *, 2> OptionRearm{};
    // Access codes: 0 level 2, 1 level 3.
    std::array<CodeEdit *, 2> Text_Niveau{};

    // Command matrix: 3i + c for loop i and UGA command c; 3i + f for loop i and function f + 1.
    std::array<QRadioButton *, 24> Option1{};
    std::array<QCheckBox *, 24> Check_CMSI1{};
    // Safety supply: 0 internal, 1 external.
    std::array<QRadioButton *, 2> AES_Option{};

    // CMSI functions 0 to 2.
    std::array<QRadioButton *, 3> Option_Nul{};
    std::array<QRadioButton *, 3> Option_RSC{};
    std::array<QRadioButton *, 3> Option_RAC{};
    std::array<QRadioButton *, 3> Option_ESC{};
    std::array<QRadioButton *, 3> Option_EAC{};
    std::array<QRadioButton *, 3> Option_RSC_UGA{};
    std::array<QCheckBox *, 3> Check_Hs_Ctc_Aux{};
    std::array<QCheckBox *, 3> Check_Tempo{};
    std::array<QCheckBox *, 3> Check_Rgp{};      // functions 1 and 2 only
    std::array<QCheckBox *, 3> Check_Bp_Actif{}; // functions 1 and 2 only

    // Labels. Label_Zone: 0-7 rows of the command matrix, 8-15 rows of the alarm modes
    // (15 is "Boucle 1"), 17-19 the alarm-mode column headings.
    std::array<QLabel *, 20> Label_Zone{};
    std::array<QLabel *, 3> Label2{};
    std::array<QLabel *, 5> Label5{};
    std::array<QLabel *, 3> Label7{};
    QLabel *Label1 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label8 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label10 = nullptr;
    QLabel *Label11 = nullptr;
    QLabel *Label12 = nullptr;
    QLabel *Label13 = nullptr;
    QLabel *Label14 = nullptr;
    QLabel *Label15 = nullptr;
    QLabel *Tempo_Lbl = nullptr;
};
