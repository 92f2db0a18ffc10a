#pragma once

#include "link/ExchangeLog.h"

#include <QList>
#include <QTimer>
#include <QWidget>

#include <chrono>

class Prompts;
class QPlainTextEdit;
class QPushButton;

// The exchange log window, under Messages::exchangeLogTitle(): one line per record of the
// exchange log, oldest first, a reply that failed in red. While it is open it follows the link as
// it records, and it is not modal, so it stays usable while a transfer runs. It never holds a
// transfer up: new lines are shown together every kRefresh rather than one by one, and a hidden
// window does no work and catches up when shown. "ENREGISTRER" saves the lines as a text file,
// "EFFACER" empties the log, "FERMER" closes the window.
class LogFrm : public QWidget
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kRefresh{250};

    LogFrm(ExchangeLog &log, Prompts &prompts, QWidget *parent = nullptr);

    // Asks for a file name and writes every line to it, whole or not at all; a write that fails
    // says so. False when nothing was written (cancelled or failed).
    bool save();
    // Shows at once the lines still waiting for the next refresh.
    void showPending();

    QPlainTextEdit *Journal = nullptr;
    QPushButton *Enregistrer = nullptr;
    QPushButton *Effacer = nullptr;
    QPushButton *Fermer = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void appendLines(const QList<ExchangeRecord> &records);
    void reload();

    ExchangeLog &m_log;
    Prompts &m_prompts;
    QList<ExchangeRecord> m_pending; // recorded, not shown yet
    QTimer m_refresh;
    // The view keeps the newest line in view until the installer scrolls up, as a terminal does;
    // back at the bottom, it follows again.
    bool m_following = true;
    bool m_scrollingToEnd = false; // the window itself moves the view
};
