#include "journalwindows/JournalFrm.h"

#include "compare/DifferenceTable.h"
#include "journal/Intervenant.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The size the window asks for; a smaller screen (a laptop at 125 or 150 %) gets nine tenths of
// what it has.
constexpr int kJournalWidth = 920;
constexpr int kJournalHeight = 680;

QTableWidget *listTable(const QString &name, const QStringList &headers, QWidget *parent)
{
    auto *table = new QTableWidget(0, int(headers.size()), parent);
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab goes on to the next list or button, as in the rest of the window, not cell to cell.
    table->setTabKeyNavigation(false);
    table->setWordWrap(false);
    // Rows as tall as a line of text, whatever the scale, so that more entries show at once.
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().lineSpacing() + 8);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

// A list's title, Alt+its underlined letter taking the keyboard to it.
QLabel *listTitle(const QString &text, QWidget *list, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(list);
    return label;
}

QTableWidgetItem *cell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setToolTip(text); // a long outcome cut at the column's edge can still be read whole
    return item;
}

void setRow(QTableWidget *table, int row, const QStringList &texts)
{
    for (int column = 0; column < texts.size(); ++column)
        table->setItem(row, column, cell(texts[column]));
}

QString dateText(const QDateTime &time)
{
    return time.isValid() ? QLocale(QLocale::French).toString(time, QStringLiteral("dd/MM/yyyy HH:mm:ss"))
                          : QString();
}

// The time with its offset, as the entry keeps it: "07/12/2026 18:15:00 (UTC+01:00)".
QString fullDateText(const QDateTime &time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return QStringLiteral("%1 (UTC%2%3:%4)")
        .arg(dateText(time), offset < 0 ? QStringLiteral("-") : QStringLiteral("+"))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString serialText(const std::optional<QString> &serial)
{
    return serial ? QStringLiteral("N° %1").arg(*serial) : QStringLiteral("sans numéro de série");
}

QString panelText(const PanelIdentity &identity)
{
    QString text = identity.serialNumber ? QStringLiteral("ECS N° %1").arg(*identity.serialNumber)
                                         : QStringLiteral("ECS sans numéro de série");
    if (identity.emulated)
        text += QStringLiteral(" (simulée)");
    return text;
}

// A damaged entry whose file could be read still says when and what it was; one that could not
// says nothing but that.
bool knownWhat(const JournalEntry &e) { return !e.damaged || e.time.isValid(); }

bool hasBothConfigurations(const JournalEntry &e) { return !e.damaged && e.before && e.sent; }

QString changesText(const JournalEntry &e)
{
    return hasBothConfigurations(e) ? QString::number(e.differences.size()) : QString();
}

QString details(const JournalEntry &e)
{
    if (e.damaged && !knownWhat(e))
        return QStringLiteral("Entrée illisible (%1) : %2").arg(e.damage, e.id);
    QStringList lines;
    lines << (e.damaged ? QStringLiteral("%1 du %2 : entrée illisible (%3)")
                              .arg(operationText(e.operation), fullDateText(e.time), e.damage)
                        : QStringLiteral("%1 du %2 : %3")
                              .arg(operationText(e.operation), fullDateText(e.time), e.message));
    lines << QStringLiteral("Technicien : %1 ; entreprise : %2 ; site : %3")
                 .arg(Intervenant::shown(e.technician), Intervenant::shown(e.company),
                      Intervenant::shown(e.site));
    QString panel = QStringLiteral("%1, version %2").arg(panelText(e.panel), e.panel.version);
    if (e.panel.cardRead)
        panel += QStringLiteral(" ; carte UGA/CMSI %1, version %2")
                     .arg(serialText(e.panel.cardSerialNumber), e.panel.cardVersion);
    lines << panel;
    lines << QStringLiteral("Port : %1 ; %2 %3 ; compte %4")
                 .arg(e.port, e.program, e.programVersion, Intervenant::shown(e.user));
    if (e.dataFile)
        lines << QStringLiteral("Fichier : %1").arg(*e.dataFile);
    lines << QStringLiteral("Entrée : %1").arg(e.id);
    return lines.join(QLatin1Char('\n'));
}

// What the table of differences below shows, or why it shows nothing.
QString differencesTitle(const JournalEntry *e)
{
    if (!e)
        return QStringLiteral("&Différences :");
    if (e->damaged)
        return QStringLiteral("&Différences : aucune, l'entrée est illisible.");
    if (e->operation == JournalEntry::Operation::Receive)
        return QStringLiteral("&Différences : aucune, rien n'a été envoyé (réception).");
    if (!e->sent)
        return QStringLiteral("&Différences : aucune, rien n'a été envoyé.");
    const qsizetype count = e->differences.size();
    if (count == 0)
        return QStringLiteral(
            "&Différences : aucune entre la configuration avant et la configuration envoyée.");
    return QStringLiteral("&Différences entre la configuration avant et la configuration envoyée (%1) :")
        .arg(count);
}

} // namespace

JournalFrm::JournalFrm(const Journal &journal, OpenFn open, QWidget *parent)
    : QDialog(parent), m_journal(journal), m_open(std::move(open))
{
    setObjectName(QStringLiteral("Journal_Frm"));
    setWindowTitle(QStringLiteral("JOURNAL DES INTERVENTIONS"));
    setModal(true);

    Table_Panels = listTable(QStringLiteral("Table_Panels"),
                             {QStringLiteral("ECS"), QStringLiteral("Version"),
                              QStringLiteral("Dernière intervention"), QStringLiteral("Entrées")},
                             this);
    // The panel's name takes the width left; the count stays beside the date.
    Table_Panels->horizontalHeader()->setStretchLastSection(false);
    Table_Panels->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    Table_Entries =
        listTable(QStringLiteral("Table_Entries"),
                  {QStringLiteral("Date"), QStringLiteral("Opération"), QStringLiteral("Résultat"),
                   QStringLiteral("Technicien"), QStringLiteral("Modifications")},
                  this);
    // The outcome takes the width left: a long message is cut, whole in its tooltip.
    Table_Entries->horizontalHeader()->setStretchLastSection(false);
    Table_Entries->horizontalHeader()->setSectionResizeMode(Outcome, QHeaderView::Stretch);
    Label_Entry = new QLabel(this);
    Label_Entry->setObjectName(QStringLiteral("Label_Entry"));
    Label_Entry->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label_Entry->setWordWrap(true);
    Label_Entry->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    Table_Diff = makeDifferenceTable(
        {QStringLiteral("Élément"), QStringLiteral("Avant"), QStringLiteral("Envoyé")}, this);
    Table_Diff->setTabKeyNavigation(false);
    Table_Diff->verticalHeader()->setDefaultSectionSize(Table_Diff->fontMetrics().lineSpacing() + 8);
    Label_Diff = listTitle(QString(), Table_Diff, this);
    Label_Diff->setObjectName(QStringLiteral("Label_Diff"));

    Command_OpenBefore = new QPushButton(QStringLiteral("Ouvrir dans l'éditeur : configuration avant"), this);
    Command_OpenBefore->setObjectName(QStringLiteral("Command_OpenBefore"));
    Command_OpenBefore->setAutoDefault(false);
    Command_OpenSent = new QPushButton(QStringLiteral("Ouvrir dans l'éditeur : configuration envoyée"), this);
    Command_OpenSent->setObjectName(QStringLiteral("Command_OpenSent"));
    Command_OpenSent->setToolTip(QStringLiteral("Charger dans l'éditeur la configuration envoyée à l'ECS"));
    Command_OpenSent->setAutoDefault(false);
    Command_Report = new QPushButton(QStringLiteral("Rapport d'intervention..."), this);
    Command_Report->setObjectName(QStringLiteral("Command_Report"));
    Command_Report->setToolTip(
        QStringLiteral("Imprimer ou exporter en PDF le rapport de l'intervention choisie, "
                       "pour le registre de sécurité"));
    Command_Report->setAutoDefault(false);
    Command_Report->hide();
    Command_Close = new QPushButton(QStringLiteral("FERMER"), this);
    Command_Close->setObjectName(QStringLiteral("Command_Close"));
    Command_Close->setDefault(true);

    // Three panes one above the other, their share of the height moved by their handles.
    const auto pane = [this](QWidget *title, QWidget *first, QWidget *second = nullptr) {
        auto *widget = new QWidget(this);
        auto *layout = new QVBoxLayout(widget);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(title);
        layout->addWidget(first, second ? 0 : 1);
        if (second)
            layout->addWidget(second, 1);
        return widget;
    };
    auto *panes = new QSplitter(Qt::Vertical, this);
    panes->setChildrenCollapsible(false);
    panes->addWidget(pane(listTitle(QStringLiteral("&ECS :"), Table_Panels, this), Table_Panels));
    panes->addWidget(
        pane(listTitle(QStringLiteral("&Interventions sur l'ECS choisi, la plus récente en tête :"),
                       Table_Entries, this),
             Table_Entries));
    panes->addWidget(pane(Label_Entry, Label_Diff, Table_Diff));
    panes->setStretchFactor(0, 2);
    panes->setStretchFactor(1, 4);
    panes->setStretchFactor(2, 3);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command_OpenBefore);
    buttons->addWidget(Command_OpenSent);
    buttons->addWidget(Command_Report);
    buttons->addStretch();
    buttons->addWidget(Command_Close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(panes, 1);
    layout->addLayout(buttons);

    setTabOrder(Table_Panels, Table_Entries);
    setTabOrder(Table_Entries, Table_Diff);
    setTabOrder(Table_Diff, Command_OpenBefore);
    setTabOrder(Command_OpenBefore, Command_OpenSent);
    setTabOrder(Command_OpenSent, Command_Report);
    setTabOrder(Command_Report, Command_Close);

    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QSize room =
        screen ? screen->availableGeometry().size() * 9 / 10 : QSize(kJournalWidth, kJournalHeight);
    resize(std::min(kJournalWidth, room.width()), std::min(kJournalHeight, room.height()));

    connect(Table_Panels, &QTableWidget::itemSelectionChanged, this, &JournalFrm::showEntries);
    connect(Table_Entries, &QTableWidget::itemSelectionChanged, this, &JournalFrm::showEntry);
    connect(Command_OpenBefore, &QPushButton::clicked, this, [this] {
        if (const JournalEntry *e = chosenEntry())
            openConfiguration(m_journal.beforePath(*e));
    });
    connect(Command_OpenSent, &QPushButton::clicked, this, [this] {
        if (const JournalEntry *e = chosenEntry())
            openConfiguration(m_journal.sentPath(*e));
    });
    connect(Command_Report, &QPushButton::clicked, this, [this] {
        if (const JournalEntry *e = chosenEntry(); e && m_report)
            m_report(*e);
    });
    connect(Command_Close, &QPushButton::clicked, this, &QDialog::reject);
    showPanels();
    // The arrow keys browse the entries of the panel worked on last from the start.
    Table_Entries->setFocus();
}

void JournalFrm::setReportCommand(ReportFn report)
{
    m_report = std::move(report);
    Command_Report->setVisible(bool(m_report));
}

const JournalEntry *JournalFrm::chosenEntry() const
{
    const int row = Table_Entries->currentRow();
    return row >= 0 && row < m_entries.size() ? &m_entries[row] : nullptr;
}

void JournalFrm::showPanels()
{
    m_panels = m_journal.panels();
    Table_Panels->setRowCount(int(m_panels.size()));
    for (int row = 0; row < int(m_panels.size()); ++row) {
        const JournalPanel &p = m_panels[row];
        // A panel whose entries are all unreadable is known by its folder only.
        setRow(Table_Panels, row,
               {p.lastTime.isValid() ? panelText(p.identity) : p.panelId, p.identity.version,
                dateText(p.lastTime), QString::number(p.entries)});
        Table_Panels->item(row, 3)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (!m_panels.isEmpty())
        Table_Panels->selectRow(0);
    else
        showEntries();
}

void JournalFrm::showEntries()
{
    const int row = Table_Panels->currentRow();
    m_entries =
        row >= 0 && row < m_panels.size() ? m_journal.entries(m_panels[row].panelId) : QList<JournalEntry>{};
    Table_Entries->setRowCount(int(m_entries.size()));
    for (int r = 0; r < int(m_entries.size()); ++r) {
        const JournalEntry &e = m_entries[r];
        const bool known = knownWhat(e);
        setRow(Table_Entries, r,
               {dateText(e.time), known ? operationText(e.operation) : QString(),
                e.damaged ? QStringLiteral("entrée illisible") : e.message,
                known ? Intervenant::shown(e.technician) : QString(), changesText(e)});
        Table_Entries->item(r, Changes)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (e.damaged)
            Table_Entries->item(r, Outcome)->setForeground(Qt::darkRed);
    }
    // The first row may have been chosen in the previous panel's list already, in which case
    // choosing it again changes nothing: the entry is shown whether it changed or not.
    if (!m_entries.isEmpty())
        Table_Entries->selectRow(0);
    showEntry();
}

void JournalFrm::showEntry()
{
    const JournalEntry *e = chosenEntry();
    Label_Entry->setText(e ? details(*e) : QStringLiteral("Aucune intervention enregistrée."));
    Label_Diff->setText(differencesTitle(e));
    fillDifferenceTable(Table_Diff, e && hasBothConfigurations(*e) ? e->differences : QList<Difference>{});
    const bool receive = e && knownWhat(*e) && e->operation == JournalEntry::Operation::Receive;
    Command_OpenBefore->setText(receive ? QStringLiteral("Ouvrir dans l'éditeur : configuration lue")
                                        : QStringLiteral("Ouvrir dans l'éditeur : configuration avant"));
    Command_OpenBefore->setToolTip(
        receive ? QStringLiteral("Charger dans l'éditeur la configuration lue sur l'ECS")
                : QStringLiteral("Charger dans l'éditeur la configuration que l'ECS avait avant cet envoi"));
    Command_OpenBefore->setEnabled(e && !e->damaged && e->before);
    Command_OpenSent->setEnabled(e && !e->damaged && e->sent);
    Command_OpenSent->setVisible(!receive);
    Command_Report->setEnabled(e && !e->damaged);
}

void JournalFrm::openConfiguration(const QString &path)
{
    const JournalEntry *e = chosenEntry();
    if (e && m_open && m_open(*e, path))
        accept();
}
