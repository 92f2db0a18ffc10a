#pragma once

#include "config/EditorView.h"
#include "editor/MainControls.h"

#include <QMainWindow>

#include <array>
#include <functional>

class Link;
class Prompts;
class ClientScroll;
class QAction;
class QMenu;
class QPushButton;
struct Session;

// The main window "Main": the one editor of a configuration. Every configurable item of the
// panel is a control here, each with the objectName the installer's documentation uses
// ("Check_Alb(3)", "Option1(23)"), made from the window's layout (MainLayout). The rules that tie
// the controls together are connected to the controls' own change signals, so a change made by
// the program runs them exactly as a click would; show(), which also makes the start-up, relies on
// that and makes its changes in order.
//
// The controls (MainControls) are the window's own: what comes from outside goes through the
// EditorView, the code boxes and commands(); tests find a control by its objectName. The window's
// jobs each have a source: the controls made from the layout (MainControls.cpp), the change rules
// (MainRules.cpp), the configuration to and from the controls (MainConfiguration.cpp), the window
// itself with its menus (MainWindow.cpp).
class MainWindow : public QMainWindow, public EditorView, private MainControls
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

    // The buttons and menu items, which do nothing on their own: the commands (MainCommands)
    // connect them to what they start.
    struct Commands
    {
        QPushButton *Command1 = nullptr; // receive
        QPushButton *Command2 = nullptr; // send
        QMenu *Util_Menu = nullptr;
        QAction *Diag_Menu = nullptr;
        QAction *Compare_Menu = nullptr;     // the editor against the panel, read only
        QAction *CompareFile_Menu = nullptr; // the editor against a data file
        QAction *Log_Menu = nullptr;         // the exchange log window
        QAction *Journal_Menu = nullptr;     // the panels' journal
        QAction *Intervenant_Menu = nullptr; // who works, as the journal names them
        QAction *Open_Menu = nullptr;
        QAction *Save_Menu = nullptr;
        QAction *Print_Menu = nullptr; // the configuration sheet, printed
        QAction *Pdf_Menu = nullptr;   // the configuration sheet, as a PDF file
        QAction *Import_Mnu = nullptr;
        QAction *Quit_Menu = nullptr;
        QAction *About_Mnu = nullptr;
    };
    const Commands &commands() const { return m_commands; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void connectRules();
    void startUp();

    // The change rules.
    void markChanged();
    void onTypeSelected(FunctionType type, int function);
    void onModeSelected(int loop);
    void onGroupedToggled(int function, bool ticked);
    void onUpCardSelected(int present);
    void validateCode(int box);

    Session &m_session;
    Link &m_link;
    Prompts &m_prompts;
    Commands m_commands;
    std::function<bool()> m_closeHandler;
    ClientScroll *m_scroll = nullptr;
    bool m_fitsScreens = false;             // fitted to its screen, and refitted on a change of screen
    std::optional<std::uint8_t> m_ugaTempo; // the tempo the label shows, once one was read
    bool m_validating = false;
};
