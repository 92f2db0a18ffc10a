#pragma once

#include "config/PanelConfig.h"

#include <QJsonValue>
#include <QList>
#include <QString>

// One item of a configuration as the editor shows it: its name ("Boucle 3 : mode alarme",
// "Relais 2 : Boucle 5", "Code niveau 2") and its value in words ("Discrimination", "oui"); and
// the same for a program: a key that never changes ("loop3.alarmMode", "relay2.loop5",
// "code.level2", ASCII) and the value as data (a boolean, a lowercase ASCII word such as
// "discrimination", or a code's letters), the same whatever the language or the locale.
struct ConfigItem
{
    QString name;
    QString value;
    QString key;
    QJsonValue data;
    bool onCard = false; // an item of the UP card, shown only when the card is present
};

// Every item the editor shows, in the order of the configuration sheet: the loops, the relays,
// the card and its functions, the 12 V output and the codes. The card's items come only when
// the card is present. The UGA tempo is not an item: the panel reads it from its switches.
QList<ConfigItem> configItems(const PanelConfig &config);
