#include "cli/SystemWords.h"

namespace SystemWords {

QString serialPorts()
{
    return QStringLiteral("un port COM comme le nomment\n"
                          "la fenêtre et le Gestionnaire de périphériques (COM3)");
}

// Ctrl-Break is the console's other interruption (cli/windows/Interrupt.cpp).
QString interruptions() { return QStringLiteral("Ctrl-C (149 par Ctrl+Pause)"); }

} // namespace SystemWords
