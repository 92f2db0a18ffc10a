#pragma once

#include "config/EditorView.h"

#include <QMainWindow>

#include <array>
#include <functional>

class CodeEdit;
class Link;
class Prompts;
class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
struct Session;

// The main window "Main": the one editor of a configuration. Every configurable item of the
// panel is a control here, each with the objectName the installer's documentation uses
// ("Check_Alb(3)", "Option1(23)"), made from the window's layout (MainLayout). The rules that tie
// the controls together are connected to the controls' own change signals, so a change made by
// the program runs them exactly as a click would; show(), which also makes the start-up, relies on
// that and makes its changes in order.
//
// The controls are public so that the application can connect the menu items and the two
// buttons, which do nothing on their own. Control arrays are indexed exactly as named; an index
// that has no control holds nullptr (Check_Rgp(0), Check_Bp_Actif(0), Label_Zone(16)).
class MainWindow : public QMainWindow, public EditorView
{
    Q_OBJECT
public:
    MainWindow(Session &session, Link &link, Prompts &prompts, QWidget *parent = nullptr);
    ~MainWindow() override;

    // EditorView
    PanelConfig configuration() const override;
    void show(const PanelConfig &config) override;
    void setCodes(const std::array<QString, 2> &codes) override;
    void setCardFramesVisible(bool visible) override;
    using QMainWindow::show;

    // The access-code boxes: 0 level 2, 1 level 3.
    QString code(int box) const;
    void setCode(int box, const QString &text);

    // Called when the window is asked to close (the leave procedure); returning false keeps the
    // window open. Without a handler the window closes.
    void setCloseHandler(std::function<bool()> handler);

    // Menu bar.
    QMenu *Util_Menu = nullptr;
    QAction *Diag_Menu = nullptr;
    QAction *Compare_Menu = nullptr;     // the editor against the panel, read only
    QAction *CompareFile_Menu = nullptr; // the editor against a data file
    QAction *Log_Menu = nullptr;         // the exchange log window
    QAction *Open_Menu = nullptr;
    QAction *Save_Menu = nullptr;
    QAction *Print_Menu = nullptr; // the configuration sheet, printed
    QAction *Pdf_Menu = nullptr;   // the configuration sheet, as a PDF file
    QAction *Import_Mnu = nullptr;
    QAction *Quit_Menu = nullptr;
    QAction *About_Mnu = nullptr;

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

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    // Makes the controls from the layout (MainLayout) and points the members at them.
    void buildControls(QWidget *client);
    void connectRules();
    void startUp();

    // The change rules.
    void markChanged();
    void onTypeSelected(FunctionType type, int function);
    void onModeSelected(int loop);
    void onGroupedToggled(int function, bool ticked);
    void onUpCardSelected(int present);
    void validateCode(int box);

    std::array<QRadioButton *, 3> &typeOptions(FunctionType type);
    const std::array<QRadioButton *, 3> &typeOptions(FunctionType type) const;

    Session &m_session;
    Link &m_link;
    Prompts &m_prompts;
    std::function<bool()> m_closeHandler;
    std::optional<std::uint8_t> m_ugaTempo; // the tempo the label shows, once one was read
    bool m_validating = false;
};
