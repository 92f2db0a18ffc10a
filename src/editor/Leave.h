#pragma once

#include "files/FileCommands.h"

#include <functional>
#include <optional>

class Link;
class Prompts;
struct Session;

// The way out of the program, run by every close of the main window: ends a transfer that is
// waiting for the panel (the link then refuses every later exchange), releases the serial port,
// then, when the configuration has not been saved, asks whether to save it and runs the save
// command on Yes. Nothing is sent to the panel.
//
// Returns true when the program may end. It returns false only when the installer asked to
// save and nothing was saved although a file was chosen (the write failed) or the save was
// refused (short codes): ending then would lose the configuration, so the main window stays.
// A cancelled save dialog still ends the program, as does a No.
// While the configuration is unsaved, asks "DESIREZ-VOUS SAUVEGARDER CETTE CONFIGURATION ?" and
// runs the save command on Yes. The save's result; none when nothing was asked or the answer was No.
std::optional<SaveResult> offerToSave(const Session &session, Prompts &prompts,
                                      const std::function<SaveResult()> &save);

bool leaveProgram(Link &link, Session &session, Prompts &prompts, const std::function<SaveResult()> &save);
