#pragma once

#include "journal/Journal.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;

// "JOURNAL DES INTERVENTIONS": the panels that have entries (identity, last intervention) and,
// for the one chosen, its entries newest first (date, operation, outcome, technician, number of
// changes). The entry chosen shows its details and its differences, and offers to open one of its
// configurations in the editor: putting a panel back is opening the earlier configuration and
// sending it. A damaged entry is listed as such and offers nothing to open.
//
// The three lists are reached with Tab (and Alt+E, Alt+I, Alt+D), browsed with the arrow keys;
// Escape or Enter closes the window. It fits the screen it opens on, whatever its scale.
class JournalFrm : public QDialog
{
    Q_OBJECT
public:
    // Called with the entry and the data file of the configuration chosen ("before" or "sent");
    // the window closes when it returns true (the editor took it).
    using OpenFn = std::function<bool(const JournalEntry &entry, const QString &path)>;

    JournalFrm(const Journal &journal, OpenFn open, QWidget *parent = nullptr);

    // "Rapport d'intervention...": called with the entry chosen; without one the button is hidden.
    using ReportFn = std::function<void(const JournalEntry &entry)>;
    void setReportCommand(ReportFn report);

    // The entries' columns.
    enum EntryColumn { Date, Operation, Outcome, Technician, Changes };

    QTableWidget *Table_Panels = nullptr;
    QTableWidget *Table_Entries = nullptr;
    QTableWidget *Table_Diff = nullptr;
    QLabel *Label_Entry = nullptr;
    QLabel *Label_Diff = nullptr;
    QPushButton *Command_OpenBefore = nullptr;
    QPushButton *Command_OpenSent = nullptr;
    QPushButton *Command_Report = nullptr;
    QPushButton *Command_Close = nullptr;

    // The entry chosen in the list; none when the list is empty.
    const JournalEntry *chosenEntry() const;

private:
    void showPanels();
    void showEntries();
    void showEntry();
    void openConfiguration(const QString &path);

    const Journal &m_journal;
    OpenFn m_open;
    ReportFn m_report;
    QList<JournalPanel> m_panels;
    QList<JournalEntry> m_entries;
};
