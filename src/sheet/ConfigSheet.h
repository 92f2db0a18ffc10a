#pragma once

#include "sheet/SheetContent.h"

#include <QString>

#include <cstdint>

// The configuration sheet an installer signs and leaves with the site's safety records: every
// item in the words of the editor's captions and tooltips, never as the bytes the panel stores.
// Pure functions of SheetContent, so that the printed page and the PDF are the same document
// and tests can read each wording without a printer.
namespace ConfigSheet {

// Per loop (index 0 to 7, given the whole set of alarm modes so that a double detection can name
// its partner): "Mode Alarme simple", "Discrimination", "Double détection avec la boucle 2".
QString alarmMode(const std::array<std::uint8_t, 8> &modes, int loop);
// The UGA command of a loop's command byte: "Aucune", "Immédiate" or "Temporisée".
QString ugaCommand(std::uint8_t command);
// The CMSI functions a loop's command byte drives: "1, 2, 3", or "Aucune".
QString cmsiFunctions(std::uint8_t command);
// The loops whose alarm activates a relay: "Alarme Boucle 1, Alarme Boucle 3", or "Aucune boucle".
QString relayLoops(std::uint8_t relayMask);
// The type of a function byte as its column heading names it ("Rupture Sans Contrôle", ...).
QString functionType(std::uint8_t function);
// The option flags of a function byte, in the order of the editor's columns, or "Aucune option".
QString functionOptions(std::uint8_t function);
// "Tempo UGA = 5 min.", or a line saying it has not been read.
QString ugaTempo(const std::optional<std::uint8_t> &minutes);

// The whole sheet as rich text for QTextDocument, sized for one A4 page. Every value taken from
// outside the program (the file name) is escaped.
QString html(const SheetContent &content);

} // namespace ConfigSheet
