#pragma once

#include "config/Differences.h"

#include <QStringList>

class QTableWidget;
class QWidget;

// The table of differences the comparison window and the journal window show: one read-only row
// per item, the item's name whole and both values sharing the rest of the width. `headers` names
// the three columns.
QTableWidget *makeDifferenceTable(const QStringList &headers, QWidget *parent);
void fillDifferenceTable(QTableWidget *table, const QList<Difference> &rows);
