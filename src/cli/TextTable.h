#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// `rows` as columns separated by two blanks, each as wide as its widest cell, one line a row; an
// empty last cell leaves no blanks behind.
QString textTable(const QList<QStringList> &rows);
