#pragma once

#include "config/Differences.h"

#include <QJsonArray>
#include <QList>
#include <QString>

// The items that differ as torva-cli prints them, for diff and for an entry of the journal: for a
// program, each with its key, its label and both values and texts; for people, a table with the
// two sides' names as headings (nothing when there is no difference).
QJsonArray differencesJson(const QList<Difference> &found);
QString differencesText(const QList<Difference> &found, const QString &firstName, const QString &secondName);
