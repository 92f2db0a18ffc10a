#include "editor/MainWindow.h"

#include "editor/ClientScroll.h"
#include "editor/CodeEdit.h"
#include "editor/ProgramIcon.h"
#include "link/Link.h"
#include "seams/Version.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QShowEvent>
#include <QWindow>

MainWindow::MainWindow(Session &session, Link &link, Prompts &prompts, QWidget *parent)
    : QMainWindow(parent), m_session(session), m_link(link), m_prompts(prompts)
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("OSTRALEC CONFIGURATION TORVA ") + Version::revision());
    setWindowIcon(ProgramIcon::windowIcon());

    auto *client = new QWidget;
    client->setObjectName(QStringLiteral("client"));
    buildMenus();
    build(client);
    m_scroll = new ClientScroll(client, this);
    setCentralWidget(m_scroll);
    m_commands.Command1 = Command1;
    m_commands.Command2 = Command2;
    connectRules();
    startUp();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    m_commands.Util_Menu = menuBar()->addMenu(QStringLiteral("Utilitaires"));
    m_commands.Util_Menu->setObjectName(QStringLiteral("Util_Menu"));
    auto item = [this](const char *name, const QString &text) {
        QAction *action = m_commands.Util_Menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    m_commands.Diag_Menu = item("Diag_Menu", QStringLiteral("Fenêtre Diagnostic"));
    m_commands.Compare_Menu = item("Compare_Menu", QStringLiteral("Comparer avec l'ECS..."));
    m_commands.CompareFile_Menu = item("CompareFile_Menu", QStringLiteral("Comparer avec un fichier..."));
    m_commands.Log_Menu = item("Log_Menu", QStringLiteral("Journal des échanges"));
    m_commands.Journal_Menu = item("Journal_Menu", QStringLiteral("Journal des interventions..."));
    m_commands.Intervenant_Menu = item("Intervenant_Menu", QStringLiteral("Intervenant..."));
    m_commands.Open_Menu = item("Open_Menu", QStringLiteral("Ouvrir"));
    m_commands.Save_Menu = item("Save_Menu", QStringLiteral("Enregistrer"));
    m_commands.Print_Menu = item("Print_Menu", QStringLiteral("Imprimer la configuration..."));
    m_commands.Pdf_Menu = item("Pdf_Menu", QStringLiteral("Exporter en PDF..."));
    m_commands.Import_Mnu = item("Import_Mnu", QStringLiteral("Importer fichier Version 1"));
    m_commands.Quit_Menu = item("Quit_Menu", QStringLiteral("Quitter"));

    m_commands.About_Mnu = new QAction(QStringLiteral("&A propos de"), this);
    m_commands.About_Mnu->setObjectName(QStringLiteral("About_Mnu"));
    menuBar()->addAction(m_commands.About_Mnu);
}

void MainWindow::startUp()
{
    if (m_link.isPortOpen())
        m_link.closePort();

    show(PanelConfig());
    // Showing greys the active-button box of a function that is not grouped; the window starts
    // with each one as its type's rule leaves it: usable exactly when the grouping box is, ticked
    // or not.
    for (int k = 1; k < kFunctionCount; ++k)
        Check_Bp_Actif[k]->setEnabled(Check_Rgp[k]->isEnabled());
    // Showing ran the change rules, which marked the configuration as changed.
    m_session.ConfigSaved = true;
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

void MainWindow::showEvent(QShowEvent *event)
{
    // The window exists now: the platform knows its frame, and tells when it changes screen.
    if (!m_fitsScreens) {
        m_fitsScreens = true;
        connect(windowHandle(), &QWindow::screenChanged, this,
                [this] { fitToScreen(*this, *m_scroll, false); });
        fitToScreen(*this, *m_scroll, true);
    }
    QMainWindow::showEvent(event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_closeHandler && !m_closeHandler()) {
        event->ignore();
        return;
    }
    event->accept();
}
