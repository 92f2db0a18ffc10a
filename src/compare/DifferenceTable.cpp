#include "compare/DifferenceTable.h"

#include <QHeaderView>
#include <QTableWidget>

namespace {

QTableWidgetItem *readOnlyItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

QTableWidget *makeDifferenceTable(const QStringList &headers, QWidget *parent)
{
    auto *table = new QTableWidget(0, 3, parent);
    table->setObjectName(QStringLiteral("Table_Diff"));
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The item's name always whole, whatever font the desktop gives the table when it is shown;
    // the two values share the rest of the width.
    QHeaderView *header = table->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->setSectionResizeMode(2, QHeaderView::Stretch);
    return table;
}

void fillDifferenceTable(QTableWidget *table, const QList<Difference> &rows)
{
    table->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        table->setItem(r, 0, readOnlyItem(rows[r].item));
        table->setItem(r, 1, readOnlyItem(rows[r].first));
        table->setItem(r, 2, readOnlyItem(rows[r].second));
    }
}
