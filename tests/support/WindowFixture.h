#pragma once

// The main window after its start-up, with its commands wired to its buttons and menus: the port
// selection opens the emulated panel of PanelBench, and the prompts record.
#include "support/PanelBench.h"

#include "config/Session.h"
#include "editor/MainCommands.h"
#include "editor/MainWindow.h"

struct WindowFixture : PanelBench
{
    Session session;
    MainWindow window{session, link, prompts};
    MainCommands commands{window, link, session, prompts, [] {}};

    WindowFixture()
    {
        commands.setPortSelection([this] {
            return link.openPort(PortChoice::simulated()) ? PortOutcome::Opened : PortOutcome::Failed;
        });
    }
};
