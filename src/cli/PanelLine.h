#pragma once

#include "link/Link.h"
#include "sim/EmulatedPanel.h"

#include <QByteArray>
#include <QString>

#include <optional>

class Console;
class Prompts;

// The line to the panel that --port names, for one command: a serial device ("/dev/ttyUSB0"),
// "COM1" to "COM4" as the port window names them (any COMn), or "sim", the built-in emulated panel,
// which keeps its configuration between runs in the data file the window's "ECS simulée" keeps it
// in (KeptPanel): a receive after a send gives back what was sent, in either program.
class PanelLine
{
public:
    static constexpr char kSimulated[] = "sim";

    // The choice a --port value means; nothing for an empty one.
    static std::optional<PortChoice> choiceFor(const QString &port);

    PanelLine(const PortChoice &choice, Prompts &prompts, Console &console);
    // Closes the port (the emulated panel's configuration is kept then, when it changed).
    ~PanelLine();
    PanelLine(const PanelLine &) = delete;
    PanelLine &operator=(const PanelLine &) = delete;

    Link &link() { return m_link; }
    // Opens the chosen port, as the port window's "CONTINUER" does.
    PortOutcome open();

private:
    PortChoice m_choice;
    EmulatedPanel m_panel;
    Link m_link;
};
