#pragma once

// The receive and send procedures against the emulated panel, with the editor and the progress
// window replaced by recording fakes: no widget anywhere.
#include "support/FakeEditor.h"
#include "support/PanelBench.h"

#include "config/Session.h"
#include "config/Transfer.h"

struct ConfigBench : PanelBench
{
    Session session;
    FakeEditor editor;
    FakeProgress progress{link};
    int portSelections = 0;
    TransferContext context{link, session, editor, prompts, progress, [this] {
                                ++portSelections;
                                return link.openPort(PortChoice::simulated()) ? PortOutcome::Opened
                                                                              : PortOutcome::Failed;
                            }};

    // The port selection opens the line, whose adapter is pulled out right after the wake-up byte.
    void loseLineAtWakeUp()
    {
        context.selectPort = [this] {
            const bool opened = link.openPort(PortChoice::simulated());
            port->vanishAfterWrites(1);
            return opened ? PortOutcome::Opened : PortOutcome::Failed;
        };
    }
};
