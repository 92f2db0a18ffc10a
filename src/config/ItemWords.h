#pragma once

#include "config/PanelConfig.h"

#include <QString>

#include <cstdint>
#include <optional>

// The items of a configuration in the words of the editor's captions and tooltips, never as the
// bytes the panel stores: what the main window's controls say, the configuration sheet prints,
// the command line shows and a comparison lists. Each caption is written here once.
namespace ItemWords {

// The groups of items, as the main window's frames and the sheet's sections title them.
enum class Group : std::uint8_t { AlarmModes, Commands, Functions, UpCard, Relays, Misc, Output12v };

// "MODES ALARME", "COMMANDES UGA/CMSI", "FONCTIONS CMSI", "CARTE UP (UGA/CMSI)",
// "RELAIS PROGRAMMABLES", "DIVERS", "SORTIE 12V".
QString groupTitle(Group group);

// The names of the items' places, from index 0: "Boucle 1", "RELAIS 1", "FONCTION 1", and the
// code of level 2 (`box` 0) or 3 (`box` 1), "CODE NIVEAU 2".
QString loopName(int loop);
QString relayName(int relay);
QString functionName(int function);
QString codeName(int box);
// The box of a relay for a loop (index 0 to 7): "Alarme Boucle 1".
QString relayLoop(int loop);
// What the tempo label says before a tempo was read: "Tempo UGA =".
QString ugaTempoCaption();

// The alarm mode of a loop (index 0 to 7, so that a double detection can name its partner):
// "Mode Alarme simple", "Discrimination", "Double détection avec la boucle 2".
QString alarmMode(AlarmMode mode, int loop);
// "Aucune", "Immédiate" or "Temporisée".
QString ugaCommand(UgaCommand command);
// The CMSI functions the alarm of a loop drives: "1, 2, 3", or "Aucune".
QString cmsiFunctions(const PanelConfig &config, int loop);
// The loops whose alarm activates a relay: "Alarme Boucle 1, Alarme Boucle 3", or "Aucune boucle".
QString relayLoops(const PanelConfig &config, int relay);
// The type of a function as its column heading names it ("Rupture Sans Contrôle", ...).
QString functionType(FunctionType type);
// The option boxes ticked for a function, in the order of the editor's columns, or "Aucune option".
QString functionOptions(const PanelConfig &config, int function);
// "Tempo UGA = 5 min.", or a line saying it has not been read.
QString ugaTempo(const std::optional<std::uint8_t> &minutes);

// "PRESENTE" or "ABSENTE".
QString cardPresence(bool present);
// "AES Interne" or "AES Externe".
QString aesChoice(Aes choice);
// "Permanente" or "Réarmable".
QString output12v(Output12v mode);
// The caption of an option box of a function, as its column names it.
QString functionFlag(FunctionFlag flag);
// The code as typed, marked "(incomplet)" when it holds fewer than four letters.
QString accessCode(const QString &code);

} // namespace ItemWords
