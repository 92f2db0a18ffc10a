#pragma once

// The fixture most tests share: an emulated panel behind a link whose "ECS simulée" port leads to
// it, and prompts that record. `port` is the emulated port the link holds, to watch or spoil the
// line; after start(true), `far` serves the same panel on a pseudo-terminal, which the link opens
// through QSerialPort (Linux only).
#include "support/FakePrompts.h"

#include "config/PanelConfig.h"
#include "link/Link.h"
#include "link/SystemPorts.h"
#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"
#include "simfiles/PanelStateConfig.h"
#ifndef Q_OS_WIN
#include "simtool/PtyPanel.h"
#endif

#include <QPointer>
#include <QStringList>

#include <initializer_list>
#include <optional>

Q_DECLARE_METATYPE(FaultRule)
Q_DECLARE_METATYPE(std::optional<FaultRule>)

struct PanelBench
{
    EmulatedPanel panel;
    FakePrompts prompts;
    QPointer<EmulatedPort> port;
#ifndef Q_OS_WIN
    std::unique_ptr<PtyPanel> far;
#endif
    Link link{prompts, makeRealPortFactory([this](const PortChoice &) -> std::unique_ptr<SerialPort> {
                  auto made = std::make_unique<EmulatedPort>(panel);
                  port = made.get();
                  return made;
              })};

    // Opens the line and wakes the panel, as every procedure does before its first command.
    bool start(bool realPort = false)
    {
        PortChoice choice = PortChoice::simulated();
        if (realPort) {
#ifdef Q_OS_WIN
            return false; // no pseudo-terminal on Windows
#else
            if (!(far = std::make_unique<PtyPanel>(panel))->start())
                return false;
            choice = {PortChoice::Kind::Device, far->devicePath()};
#endif
        }
        return link.openPort(choice) && link.wakeUp();
    }

    // The request frames the panel received, as hex strings ("01 05 14 1A 00").
    QStringList requestsHex() const
    {
        QStringList out;
        for (const QByteArray &frame : panel.requests())
            out << QString::fromLatin1(frame.toHex(' ').toUpper());
        return out;
    }
};

// A request frame built by hand: start 1, length, command, data, 16-bit sum low then high.
inline QString frameHex(int command, std::initializer_list<int> data = {})
{
    QByteArray f;
    f.append(char(1));
    f.append(char(5 + data.size()));
    f.append(char(command));
    for (int d : data)
        f.append(char(d));
    int sum = 0;
    for (char c : f)
        sum += quint8(c);
    f.append(char(sum & 0xFF));
    f.append(char(sum >> 8));
    return QString::fromLatin1(f.toHex(' ').toUpper());
}
