#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// The items of a configuration in the words of the editor's captions and tooltips, never as the
// bytes the panel stores: what the configuration sheet prints, the command line shows and a
// comparison lists.
namespace ItemWords {

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

// "PRESENTE" or "ABSENTE".
QString cardPresence(std::uint8_t present);
// "AES Interne" or "AES Externe".
QString aesChoice(std::uint8_t choice);
// "Permanente" or "Réarmable".
QString output12v(std::uint8_t mode);
// The code as typed, marked "(incomplet)" when it holds fewer than four letters.
QString accessCode(const QString &code);

} // namespace ItemWords
