#pragma once

#include "link/Link.h"
#include "sim/EmulatedPanel.h"

#include <QByteArray>
#include <QString>

#include <optional>

class Console;
class Prompts;

// The line to the panel that --port names, for one command: a serial device ("/dev/ttyUSB0"),
// "COM1" to "COM4" as the port window names them (any COMn), or "sim", the built-in emulated panel. Each
// torva-cli run is a new process, so the emulated panel's configuration is kept between runs in
// a data file (simulatedStatePath()): a receive after a send gives back what was sent.
class PanelLine
{
public:
    static constexpr char kSimulated[] = "sim";

    // The choice a --port value means; nothing for an empty one.
    static std::optional<PortChoice> choiceFor(const QString &port);
    // Where the emulated panel's configuration is kept: a data file in the program's data folder.
    static QString simulatedStatePath();

    PanelLine(const PortChoice &choice, Prompts &prompts, Console &console);
    // Closes the port, and keeps the emulated panel's configuration when it changed.
    ~PanelLine();
    PanelLine(const PanelLine &) = delete;
    PanelLine &operator=(const PanelLine &) = delete;

    Link &link() { return m_link; }
    // Opens the chosen port, as the port window's "CONTINUER" does.
    PortOutcome open();

private:
    void loadSimulatedState();
    void keepSimulatedState();

    PortChoice m_choice;
    Console &m_console;
    EmulatedPanel m_panel;
    QByteArray m_stateLoaded; // the emulated panel's configuration as the run found it
    Link m_link;
};
