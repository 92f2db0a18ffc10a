#pragma once

#include "files/FileCommands.h"
#include "journal/Journal.h"
#include "linkwindows/LogFrm.h"
#include "linkwindows/WaitFrm.h"
#include "sheet/SheetCommands.h"
#include "transfer/Transfer.h"

#include <functional>
#include <memory>

class Link;
class MainWindow;
class Prompts;
struct Session;

// Connects the main window's buttons and menu items to what they start: the receive and send
// procedures, the comparisons, the file commands, the configuration sheet, the diagnostic window,
// the about box and leaving.
//
// Only one exchange with the panel runs at a time: while a receive, a send or the diagnostic
// window runs, every command that would start another (or change the editor under it) is
// disabled, and enabled again however it ends. Printing and the PDF export are disabled too:
// their dialogs would hold the exchange's wait until they closed. Closing the window during an
// exchange stops the exchange (no further frame, no message for the aborted wait), then leaves the
// usual way. The exchange log window, which starts nothing, stays within reach all along; only its
// save waits for the exchange to end.
class MainCommands : public QObject
{
    Q_OBJECT
public:
    // `openDiagnostic` shows the diagnostic window on the port just opened.
    MainCommands(MainWindow &window, Link &link, Session &session, Prompts &prompts,
                 std::function<void()> openDiagnostic);

    bool isExchangeRunning() const { return m_running; }
    // The port selection used before every exchange; tests replace the window with a choice.
    void setPortSelection(std::function<PortOutcome()> select) { m_context.selectPort = std::move(select); }
    WaitFrm &progress() { return m_progress; }
    // The exchange log window, once shown; nullptr before, or when the link records nothing.
    LogFrm *exchangeLog() { return m_logWindow.get(); }
    SheetCommands &sheet() { return m_sheet; }

    // Opens a data file named on the command line, as "Ouvrir" opens the one chosen.
    LoadResult openFile(const QString &path);
    void receive();
    void send();
    void diagnostic();
    // "Comparer avec l'ECS..." and "Comparer avec un fichier...": the differences between the
    // editor and the panel or a file, the editor left as it is.
    void compareWithPanel();
    void compareWithFile();
    // "Journal des échanges": shows the exchange log window, even while an exchange runs.
    void showExchangeLog();
    // "Journal des interventions...": the panels' journal; an entry's configuration opens in the
    // editor as "Ouvrir" opens a file, after the leave question's offer to save an unsaved
    // configuration.
    void showJournal();
    // The desktop is ending the session: runs the leave procedure's question while the
    // configuration is unsaved. False when the session's end must be cancelled (the installer
    // asked to save and nothing was saved).
    bool commitData();

private:
    void runExchange(const std::function<void()> &exchange);
    // Keeps the receive's or the send's entry in the journal; warns when it cannot.
    void journal(JournalEntry::Operation operation, const TransferRecord &record, TransferResult result,
                 const std::optional<QString> &dataFile);
    // The journal window's "Ouvrir dans l'éditeur"; true when the editor took the configuration.
    bool openFromJournal(const JournalEntry &entry, const QString &path);
    void setCommandsEnabled(bool enabled);
    bool onCloseRequested();

    MainWindow &m_window;
    Link &m_link;
    Session &m_session;
    Prompts &m_prompts;
    std::function<void()> m_openDiagnostic;
    WaitFrm m_progress;
    std::unique_ptr<LogFrm> m_logWindow;
    FileCommands m_files;
    SheetCommands m_sheet;
    TransferContext m_context;
    bool m_running = false;
    bool m_closePending = false;
};
