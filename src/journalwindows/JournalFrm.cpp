#include "journalwindows/JournalFrm.h"

#include "compare/DifferenceTable.h"
#include "journal/Intervenant.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidget *listTable(const QString &name, const QStringList &headers, QWidget *parent)
{
    auto *table = new QTableWidget(0, int(headers.size()), parent);
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

void setRow(QTableWidget *table, int row, const QStringList &texts)
{
    for (int column = 0; column < texts.size(); ++column) {
        auto *item = new QTableWidgetItem(texts[column]);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        table->setItem(row, column, item);
    }
}

QString dateText(const QDateTime &time)
{
    return time.isValid() ? QLocale(QLocale::French).toString(time, QStringLiteral("dd/MM/yyyy HH:mm:ss"))
                          : QString();
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

QString outcomeText(const JournalEntry &e)
{
    return e.damaged ? QStringLiteral("entrée illisible") : e.message;
}

QString details(const JournalEntry &e)
{
    if (e.damaged)
        return QStringLiteral("Entrée %1 illisible : %2").arg(e.id, e.damage);
    QStringList lines;
    lines << QStringLiteral("%1 le %2, %3").arg(operationText(e.operation), dateText(e.time), e.message);
    lines << QStringLiteral("Intervenant : %1 ; entreprise : %2 ; site : %3")
                 .arg(Intervenant::shown(e.technician), Intervenant::shown(e.company),
                      Intervenant::shown(e.site));
    QString panel = QStringLiteral("%1, version %2").arg(panelText(e.panel), e.panel.version);
    if (e.panel.cardRead)
        panel += QStringLiteral(" ; carte UGA/CMSI %1, version %2")
                     .arg(serialText(e.panel.cardSerialNumber), e.panel.cardVersion);
    lines << panel;
    lines << QStringLiteral("Port : %1 ; %2 %3 ; compte %4").arg(e.port, e.program, e.programVersion, e.user);
    if (e.dataFile)
        lines << QStringLiteral("Fichier : %1").arg(*e.dataFile);
    lines << QStringLiteral("Entrée : %1").arg(e.id);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

JournalFrm::JournalFrm(const Journal &journal, OpenFn open, QWidget *parent)
    : QDialog(parent), m_journal(journal), m_open(std::move(open))
{
    setObjectName(QStringLiteral("Journal_Frm"));
    setWindowTitle(QStringLiteral("JOURNAL DES INTERVENTIONS"));
    setModal(true);
    resize(900, 640);

    Table_Panels = listTable(QStringLiteral("Table_Panels"),
                             {QStringLiteral("ECS"), QStringLiteral("Version"),
                              QStringLiteral("Dernière intervention"), QStringLiteral("Entrées")},
                             this);
    Table_Entries =
        listTable(QStringLiteral("Table_Entries"),
                  {QStringLiteral("Date"), QStringLiteral("Opération"), QStringLiteral("Résultat"),
                   QStringLiteral("Intervenant"), QStringLiteral("Modifications")},
                  this);
    Label_Entry = new QLabel(this);
    Label_Entry->setObjectName(QStringLiteral("Label_Entry"));
    Label_Entry->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label_Entry->setWordWrap(true);
    Table_Diff = makeDifferenceTable(
        {QStringLiteral("Élément"), QStringLiteral("Avant"), QStringLiteral("Envoyé")}, this);

    Command_OpenBefore = new QPushButton(QStringLiteral("Ouvrir dans l'éditeur : configuration avant"), this);
    Command_OpenBefore->setObjectName(QStringLiteral("Command_OpenBefore"));
    Command_OpenBefore->setAutoDefault(false);
    Command_OpenSent = new QPushButton(QStringLiteral("Ouvrir dans l'éditeur : configuration envoyée"), this);
    Command_OpenSent->setObjectName(QStringLiteral("Command_OpenSent"));
    Command_OpenSent->setAutoDefault(false);
    Command_Close = new QPushButton(QStringLiteral("FERMER"), this);
    Command_Close->setObjectName(QStringLiteral("Command_Close"));
    Command_Close->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command_OpenBefore);
    buttons->addWidget(Command_OpenSent);
    buttons->addStretch();
    buttons->addWidget(Command_Close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Table_Panels, 2);
    layout->addWidget(Table_Entries, 3);
    layout->addWidget(Label_Entry);
    layout->addWidget(Table_Diff, 3);
    layout->addLayout(buttons);

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
    connect(Command_Close, &QPushButton::clicked, this, &QDialog::reject);
    showPanels();
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
        setRow(Table_Panels, row,
               {panelText(p.identity), p.identity.version, dateText(p.lastTime), QString::number(p.entries)});
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
        setRow(Table_Entries, r,
               {dateText(e.time), e.damaged ? QString() : operationText(e.operation), outcomeText(e),
                e.damaged ? QString() : Intervenant::shown(e.technician),
                e.damaged ? QString() : QString::number(e.differences.size())});
    }
    if (!m_entries.isEmpty())
        Table_Entries->selectRow(0);
    else
        showEntry();
}

void JournalFrm::showEntry()
{
    const JournalEntry *e = chosenEntry();
    Label_Entry->setText(e ? details(*e) : QStringLiteral("Aucune intervention enregistrée."));
    fillDifferenceTable(Table_Diff, e ? e->differences : QList<Difference>{});
    const bool receive = e && e->operation == JournalEntry::Operation::Receive;
    Command_OpenBefore->setText(receive ? QStringLiteral("Ouvrir dans l'éditeur : configuration lue")
                                        : QStringLiteral("Ouvrir dans l'éditeur : configuration avant"));
    Command_OpenBefore->setEnabled(e && !e->damaged && e->before);
    Command_OpenSent->setEnabled(e && !e->damaged && e->sent);
    Command_OpenSent->setVisible(!receive);
}

void JournalFrm::openConfiguration(const QString &path)
{
    const JournalEntry *e = chosenEntry();
    if (e && m_open && m_open(*e, path))
        accept();
}
