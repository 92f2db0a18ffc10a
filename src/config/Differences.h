#pragma once

#include "config/PanelConfig.h"

#include <QJsonValue>
#include <QList>
#include <QString>

// An item whose value differs between two configurations, in the editor's words, and for a
// program as its key and its values as data (ConfigItem).
struct Difference
{
    QString item;            // "Boucle 3 : mode alarme"
    QString first;           // its value in the first configuration ("Discrimination")
    QString second;          // its value in the second ("Mode Alarme simple")
    QString key{};           // "loop3.alarmMode"
    QJsonValue firstData{};  // "discrimination"
    QJsonValue secondData{}; // "simple"

    bool operator==(const Difference &) const = default;
};

// The items that differ, in the order the editor and the sheet show them. When the card is
// present on one side only, its items are one row "Carte UP" (PRESENTE / ABSENTE): the items of
// a missing card mean nothing. The window's comparison and the command line's diff both use it.
QList<Difference> differences(const PanelConfig &first, const PanelConfig &second);
