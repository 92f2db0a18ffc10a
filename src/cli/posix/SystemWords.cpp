#include "cli/SystemWords.h"

#include "link/SerialPort.h"

namespace SystemWords {

QString serialPorts()
{
    return QStringLiteral("un périphérique (/dev/ttyUSB0),\n"
                          "COM1, COM2... comme les nomme la fenêtre (COM1 : %1)")
        .arg(PortChoice::comPort(1).device);
}

QString interruptions() { return QStringLiteral("Ctrl-C (143 par SIGTERM)"); }

} // namespace SystemWords
