#pragma once

#include "journal/Journal.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

// An entry of the journal as torva-cli prints it: a row of `journal`, the lines of `journal show`
// (its differences beside them, as diff prints them) and, for a program, its JSON. A damaged
// entry says so and why, with what could still be read of it.
namespace JournalView {

QStringList header();
QStringList row(const JournalEntry &entry);
QString text(const JournalEntry &entry, const Journal &journal);
// "differences" is their number, or with `withDifferences` their list as diff --json writes it.
QJsonObject json(const JournalEntry &entry, bool withDifferences);

} // namespace JournalView
