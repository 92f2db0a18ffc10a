#pragma once

#include "config/Session.h"
#include "config/Transfer.h"
#include "editor/MainWindow.h"
#include "link/Link.h"
#include "link/WaitFrm.h"
#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"
#include "support/FakePrompts.h"

#include <QPointer>

#include <initializer_list>
#include <optional>

Q_DECLARE_METATYPE(FaultRule)

// The main window, the link and the progress window, talking to an emulated panel through the
// emulated port; the port selection opens "ECS simulée" directly.
struct TransferBench
{
    EmulatedPanel panel;
    FakePrompts prompts;
    QPointer<EmulatedPort> port;
    int portSelections = 0;
    Link link{prompts, [this](const PortChoice &) -> std::unique_ptr<SerialPort> {
                  auto made = std::make_unique<EmulatedPort>(panel);
                  port = made.get();
                  return made;
              }};
    Session session;
    MainWindow window{session, link, prompts};
    WaitFrm progress{link};
    TransferContext context{link, session, window, prompts, progress, [this] {
                                ++portSelections;
                                return link.openPort(PortChoice::simulated()) ? PortOutcome::Opened
                                                                              : PortOutcome::Failed;
                            }};

    bool start() { return link.openPort(PortChoice::simulated()) && link.wakeUp(); }

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

// The items the emulated panel holds, as the editor would compute them from its controls.
inline ControlItems panelItems(const PanelState &s)
{
    ControlItems items;
    std::copy(s.commandMatrix.begin(), s.commandMatrix.end(), items.CommandMatrix.begin());
    std::copy(s.alarmModes.begin(), s.alarmModes.end(), items.AlarmModes.begin());
    std::copy(s.functionTypes.begin(), s.functionTypes.end(), items.FunctionTypes.begin());
    std::copy(s.relays.begin(), s.relays.end(), items.RelayMatrix.begin());
    items.Output12vMode = s.output12v;
    items.AesChoice = s.aes;
    return items;
}

