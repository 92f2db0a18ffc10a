#pragma once

#include "link/Link.h"
#include "link/QtSerialPort.h"
#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"
#include "sim/PtyPanel.h"
#include "support/FakePrompts.h"

#include <QPointer>

#include <sys/resource.h>

// A link whose "ECS simulée" port leads to an emulated panel, kept at hand to see what went out
// on the line; after start(true), `far` serves the panel on a pseudo-terminal for QSerialPort.
struct LinkBench
{
    EmulatedPanel panel;
    FakePrompts prompts;
    QPointer<EmulatedPort> port;
    std::unique_ptr<PtyPanel> far;
    Link link{prompts, makeRealPortFactory([this](const PortChoice &) -> std::unique_ptr<SerialPort> {
                  auto made = std::make_unique<EmulatedPort>(panel);
                  port = made.get();
                  return made;
              })};

    // Opens the line and wakes the panel, as every procedure does before its first command.
    bool start(bool realPort = false)
    {
        if (realPort && !(far = std::make_unique<PtyPanel>(panel))->start())
            return false;
        return link.openPort(realPort ? PortChoice{PortChoice::Kind::Device, far->devicePath()} : PortChoice::simulated()) && link.wakeUp();
    }
};

// CPU time (user + system) the process has used so far, in milliseconds.
inline double cpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}
