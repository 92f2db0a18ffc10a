#include "editor/MainCommands.h"

#include "compare/CompareFrm.h"
#include "config/Differences.h"
#include "config/Session.h"
#include "editor/FrmAbout.h"
#include "editor/Leave.h"
#include "editor/MainWindow.h"
#include "journal/Intervenant.h"
#include "journalwindows/IntervenantFrm.h"
#include "journalwindows/JournalFrm.h"
#include "journalwindows/ReportFrm.h"
#include "link/ExchangeLog.h"
#include "link/Link.h"
#include "linkwindows/PortFrm.h"
#include "transfer/Intervention.h"

#include <QAction>
#include <QGuiApplication>
#include <QPushButton>
#include <QSessionManager>
#include <QTimer>

MainCommands::MainCommands(MainWindow &window, Link &link, Session &session, Prompts &prompts,
                           std::function<void()> openDiagnostic)
    : QObject(&window),
      m_window(window),
      m_link(link),
      m_session(session),
      m_prompts(prompts),
      m_openDiagnostic(std::move(openDiagnostic)),
      m_progress(link, &window),
      m_files(session, window, prompts),
      m_sheet(session, window, prompts, &window),
      m_context{link,    session,    window,
                prompts, m_progress, [this] { return PortFrm::choose(m_link, &m_window); }}
{
    // The progress window is a window of its own, shown beside the main window without blocking it.
    m_progress.setWindowFlag(Qt::Window);

    const MainWindow::Commands &controls = m_window.commands();
    connect(controls.Command1, &QPushButton::clicked, this, &MainCommands::receive);
    connect(controls.Command2, &QPushButton::clicked, this, &MainCommands::send);
    connect(controls.Diag_Menu, &QAction::triggered, this, &MainCommands::diagnostic);
    connect(controls.Compare_Menu, &QAction::triggered, this, &MainCommands::compareWithPanel);
    connect(controls.CompareFile_Menu, &QAction::triggered, this, &MainCommands::compareWithFile);
    connect(controls.Log_Menu, &QAction::triggered, this, &MainCommands::showExchangeLog);
    connect(controls.Journal_Menu, &QAction::triggered, this, &MainCommands::showJournal);
    connect(controls.Intervenant_Menu, &QAction::triggered, this,
            [this] { IntervenantFrm::run(m_prompts, &m_window); });
    connect(controls.Open_Menu, &QAction::triggered, this, [this] { m_files.open(); });
    connect(controls.Save_Menu, &QAction::triggered, this, [this] { m_files.save(); });
    connect(controls.Print_Menu, &QAction::triggered, this, [this] { m_sheet.print(); });
    connect(controls.Pdf_Menu, &QAction::triggered, this, [this] { m_sheet.exportPdf(); });
    connect(controls.Import_Mnu, &QAction::triggered, this, [this] { m_files.importVersion1(); });
    connect(controls.Quit_Menu, &QAction::triggered, &m_window, &QWidget::close);
    connect(controls.About_Mnu, &QAction::triggered, this, [this] { FrmAbout::showAbout(&m_window); });
    m_window.setCloseHandler([this] { return onCloseRequested(); });
    // A log-out or shutdown of the desktop ends the program without closing its window first:
    // the session manager's commit-data request is the last moment to offer the save.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
        if (m_session.ConfigSaved || !manager.allowsInteraction())
            return;
        const bool mayEnd = commitData();
        manager.release();
        if (!mayEnd)
            manager.cancel();
    });
}

bool MainCommands::commitData()
{
    // An exchange still waiting stops here; it unwinds once the question has been answered.
    if (m_running)
        m_link.abort();
    return leaveProgram(m_link, m_session, m_prompts, [this] { return m_files.save(); });
}

LoadResult MainCommands::openFile(const QString &path) { return m_files.openPath(path); }

void MainCommands::receive()
{
    runExchange([this] {
        TransferRecord record;
        m_context.record = &record;
        const std::optional<QString> dataFile = m_session.DataFileName;
        const TransferResult result = receiveConfiguration(m_context);
        m_context.record = nullptr;
        // The configuration shown is now the panel's, no longer the file's.
        if (result == TransferResult::Done) {
            m_session.DataFileName.reset();
            m_session.SourcePanelSerial =
                record.identity ? record.identity->serialNumber : std::optional<QString>();
        }
        journal(JournalEntry::Operation::Receive, record, result, dataFile);
    });
}

void MainCommands::send()
{
    runExchange([this] {
        TransferRecord record;
        m_context.record = &record;
        const TransferResult result = sendConfiguration(m_context);
        m_context.record = nullptr;
        journal(JournalEntry::Operation::Send, record, result, m_session.DataFileName);
    });
}

void MainCommands::journal(JournalEntry::Operation operation, const TransferRecord &record,
                           TransferResult result, const std::optional<QString> &dataFile)
{
    const Intervenant who = Intervenant::load();
    const Intervention what{
        operation, QStringLiteral("torva-pc"), m_link.lastPortName(), dataFile, who.technician, who.company,
        who.site};
    // The panel holds what it holds: a journal that cannot be written only says so.
    QString why;
    if (!journalIntervention(Journal(JournalSettings::folder()), what, record, result, &why))
        m_prompts.message(journalNotWritten(why), QStringLiteral("JOURNAL DES INTERVENTIONS"),
                          Prompts::Icon::Warning);
}

void MainCommands::showJournal()
{
    if (m_running)
        return;
    const Journal journal(JournalSettings::folder());
    JournalFrm window(
        journal,
        [this](const JournalEntry &entry, const QString &path) { return openFromJournal(entry, path); },
        &m_window);
    window.setReportCommand([this, &window](const JournalEntry &entry) {
        ReportFrm report(entry, m_prompts, &window);
        report.exec();
    });
    window.exec();
}

bool MainCommands::openFromJournal(const JournalEntry &entry, const QString &path)
{
    // As on leaving: an unsaved configuration is offered a save first; a save refused, failed or
    // whose dialog was cancelled keeps the editor as it is.
    const std::optional<SaveResult> saved =
        offerToSave(m_session, m_prompts, [this] { return m_files.save(); });
    if (saved && saved != SaveResult::Saved)
        return false;
    if (m_files.openPath(path) != LoadResult::Loaded)
        return false;
    // Read on that panel: a send to another one asks first.
    m_session.SourcePanelSerial = entry.panel.serialNumber;
    return true;
}

void MainCommands::diagnostic()
{
    runExchange([this] {
        if (m_context.selectPort() == PortOutcome::Opened && m_openDiagnostic)
            m_openDiagnostic();
    });
}

void MainCommands::compareWithPanel()
{
    PanelConfig panel;
    bool read = false;
    runExchange([this, &panel, &read] {
        read = readPanelConfiguration(m_context, QStringLiteral("COMPARAISON EN COURS..."), panel) ==
               TransferResult::Done;
    });
    // A refusal or a failure has been said; an abandoned comparison says nothing.
    if (!read)
        return;
    const PanelConfig editor = m_window.configuration();
    if (CompareFrm::run(differences(editor, panel), CompareFrm::Against::Panel, &m_window))
        send(); // exactly as the main window's button does, the comparison window closed
}

void MainCommands::compareWithFile()
{
    if (m_running)
        return;
    const std::optional<PanelConfig> file = m_files.chooseForComparison();
    if (file)
        CompareFrm::run(differences(m_window.configuration(), *file), CompareFrm::Against::File, &m_window);
}

void MainCommands::showExchangeLog()
{
    // Made the first time it is asked for, on the log the link records into.
    if (!m_logWindow && m_link.exchangeLog()) {
        m_logWindow = std::make_unique<LogFrm>(*m_link.exchangeLog(), m_prompts, &m_window);
        m_logWindow->Enregistrer->setEnabled(!m_running);
    }
    if (!m_logWindow)
        return;
    m_logWindow->show();
    m_logWindow->raise();
    m_logWindow->activateWindow();
}

void MainCommands::runExchange(const std::function<void()> &exchange)
{
    if (m_running)
        return;
    m_running = true;
    setCommandsEnabled(false);
    exchange();
    setCommandsEnabled(true);
    m_running = false;
    // A close asked for during the exchange was held back until the exchange had unwound.
    if (m_closePending) {
        m_closePending = false;
        QTimer::singleShot(0, &m_window, &QWidget::close);
    }
}

void MainCommands::setCommandsEnabled(bool enabled)
{
    const MainWindow::Commands &controls = m_window.commands();
    for (QAction *action : {controls.Diag_Menu, controls.Compare_Menu, controls.CompareFile_Menu,
                            controls.Open_Menu, controls.Save_Menu, controls.Print_Menu, controls.Pdf_Menu,
                            controls.Import_Mnu, controls.Journal_Menu})
        action->setEnabled(enabled);
    controls.Command1->setEnabled(enabled);
    controls.Command2->setEnabled(enabled);
    // The log window stays usable, but its save dialog, like the print dialogs, would hold the
    // exchange's wait until it closed.
    if (m_logWindow)
        m_logWindow->Enregistrer->setEnabled(enabled);
}

bool MainCommands::onCloseRequested()
{
    if (m_running) {
        // Stop talking to the panel; the window closes once the exchange has returned.
        m_closePending = true;
        m_link.abort();
        return false;
    }
    return leaveProgram(m_link, m_session, m_prompts, [this] { return m_files.save(); });
}
