#pragma once

// The main window after its start-up, with its commands wired to its buttons and menus: the port
// selection opens the emulated panel of PanelBench, and the prompts record.
#include "support/PanelBench.h"

#include "config/Session.h"
#include "editor/MainCommands.h"
#include "editor/MainWindow.h"

// The window's control named `name` ("Check_Alb(3)", "Frame1"), as the installer's documentation
// names it; a name the window lacks ends the test run.
template <typename W = QWidget>
W *control(const MainWindow &window, const QString &name)
{
    auto *found = window.findChild<W *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

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
