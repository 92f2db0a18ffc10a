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
    // How the port selection ends: Opened opens the emulated line, whose adapter is pulled out
    // right after the wake-up byte when `lineLostAtWakeUp`.
    PortOutcome portOutcome = PortOutcome::Opened;
    bool lineLostAtWakeUp = false;
    TransferContext context{link, session, editor, prompts, progress, [this] {
                                if (portOutcome != PortOutcome::Opened)
                                    return portOutcome;
                                if (!link.openPort(PortChoice::simulated()))
                                    return PortOutcome::Failed;
                                if (lineLostAtWakeUp)
                                    port->vanishAfterWrites(1);
                                return PortOutcome::Opened;
                            }};
};
