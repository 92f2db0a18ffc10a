#pragma once

#include "config/PanelConfig.h"

#include <QList>
#include <QString>

// One item of a configuration as the editor shows it: its name ("Boucle 3 : mode alarme",
// "Relais 2 : Boucle 5", "Code niveau 2") and its value in words ("Discrimination", "oui").
struct ConfigItem
{
    QString name;
    QString value;
    bool onCard = false; // an item of the UP card, shown only when the card is present
};

// Every item the editor shows, in the order of the configuration sheet: the loops, the relays,
// the card and its functions, the 12 V output and the codes. The card's items come only when
// the card is present. The UGA tempo is not an item: the panel reads it from its switches.
QList<ConfigItem> configItems(const PanelConfig &config);
