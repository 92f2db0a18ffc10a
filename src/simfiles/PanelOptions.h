#pragma once

#include "sim/EmulatedPanel.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// What torva-ecs-sim's options mean for the emulated panel: the faults named on the command line
// and a data file of the configurator to start from.
namespace PanelOptions {

// "name[:command[:index[:times]]]", e.g. "silence" or "wrong-echo:21:3:2"; an empty or "*" part
// means any command, any index, every time. nullopt when the text is not such a rule.
std::optional<FaultRule> parseFault(const QString &text);
// The part of torva-ecs-sim's help that tells the rules parseFault() takes and names every fault.
QString faultHelp();

// Puts the items of a configurator data file (version 2, or version 1 with the card present)
// into the panel's state, as the panel would hold them once that file had been sent. False, with
// the state untouched, when the bytes are not a valid data file.
bool loadDataFile(QByteArrayView bytes, PanelState &state);

// The panel's configuration items as a version-2 data file: what loadDataFile() takes back.
QByteArray dataFileOf(const PanelState &state);

} // namespace PanelOptions
