#pragma once

#include <QString>

// The words of the help that differ between systems: how a serial port is named, and what
// interrupts a command. One system's words per source file, chosen by the build (posix/,
// windows/).
namespace SystemWords {

// What --port names, before « sim »: "un périphérique (/dev/ttyUSB0), ..." or "un port COM ...".
QString serialPorts();
// What interrupts a command, with the exit statuses that are not 130: "Ctrl-C (143 par SIGTERM)".
QString interruptions();

} // namespace SystemWords
