#pragma once

#include "link/SerialPort.h"

#include <QString>

#include <functional>

class EmulatedPanel;

// The built-in emulated panel of both programs ("ECS simulée" in the window, --port sim on the
// command line) keeps its configuration in one data file, so that what one program sends the
// other receives, from one run to the next. The file is read at each opening of the port and
// written, whole, when the port closes after the configuration changed; two programs at once
// never leave a damaged file (the last to close wins). Deleting the file puts the panel back in
// its delivery configuration at the next opening.
namespace KeptPanel {

// The data file: "torva-pc/ecs-simulee.dat" in the account's data folder
// (~/.local/share on Linux, %LOCALAPPDATA% on Windows).
QString path();

// A port factory for the emulated panel behind `panel`, which it loads from the file at each
// opening and keeps in the file when the port closes. `warn` hears of a file that cannot be read
// (the panel then starts from its delivery state) or written.
PortFactory simulatedPorts(EmulatedPanel &panel, std::function<void(const QString &)> warn);

} // namespace KeptPanel
