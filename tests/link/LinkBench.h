#pragma once

#include "link/Link.h"
#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"
#include "support/FakePrompts.h"

#include <QPointer>

#include <sys/resource.h>

// A link whose "ECS simulée" port leads to an emulated panel, with the port kept at hand so
// that tests can see what went out on the line.
struct LinkBench
{
    EmulatedPanel panel;
    FakePrompts prompts;
    QPointer<EmulatedPort> port;
    Link link{prompts, [this](const PortChoice &) -> std::unique_ptr<SerialPort> {
                  auto made = std::make_unique<EmulatedPort>(panel);
                  port = made.get();
                  return made;
              }};

    // Opens the line and wakes the panel, as every procedure does before its first command.
    bool start() { return link.openPort(PortChoice::simulated()) && link.wakeUp(); }
};

// CPU time (user + system) the process has used so far, in milliseconds.
inline double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}
