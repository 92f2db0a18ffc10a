#pragma once

// The diagnostic against the emulated panel: its reads, or its window, over the shared line.
#include "support/PanelBench.h"

#include "config/Session.h"
#include "diag/DiagFrm.h"
#include "diagreads/DiagReader.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

struct DiagBench : PanelBench
{
    Session session;
    bool cardDeclared = true; // the editor shows the UP card present
    std::unique_ptr<DiagFrm> window;
    int ended = 0;

    DiagBench() { link.openPort(PortChoice::simulated()); }

    void declareCard(bool present, std::uint8_t state = 1)
    {
        cardDeclared = present;
        panel.state.cardState = state;
    }

    void open()
    {
        window = std::make_unique<DiagFrm>(link, session, prompts, cardDeclared);
        QObject::connect(window.get(), &DiagFrm::diagnosticEnded, [this] { ++ended; });
        window->show();
    }

    // The opening reads are done and the cycles are under way.
    bool activated()
    {
        (void)QTest::qWaitFor([this] { return ended > 0 || window->Timer1->isActive(); });
        return ended == 0 && window->Timer1->isActive();
    }

    bool waitEnded()
    {
        return QTest::qWaitFor([this] { return ended > 0; }, 8000);
    }
};

// What a case changes on the bench before the diagnostic starts: the panel's state, a fault of
// the panel or the line.
using Setup = std::function<void(DiagBench &)>;
Q_DECLARE_METATYPE(Setup)

inline Setup state(std::function<void(PanelState &)> change)
{
    return [change](DiagBench &bench) { change(bench.panel.state); };
}
// The panel answers `command` (with this first data byte) with one data byte too many.
inline Setup tooLong(PanelCommand command, int index = -1)
{
    return [=](DiagBench &bench) { bench.panel.addFault({Fault::WrongDataCount, int(command), index}); };
}

// The request frames the diagnostic sends.
inline QString request(PanelCommand command, std::initializer_list<int> data = {})
{
    return frameHex(int(command), data);
}
inline QString loopLoad(int loop) { return request(PanelCommand::PanelMeasurement, {4, loop}); }
inline QString panelReading(int subCode) { return request(PanelCommand::PanelMeasurement, {subCode}); }
inline QString cardReading(int subCode) { return request(PanelCommand::CardMeasurement, {subCode}); }

inline QStringList panelOpening()
{
    return {request(PanelCommand::PanelVersion), request(PanelCommand::PanelSerial)};
}
inline QStringList cardOpening()
{
    return {request(PanelCommand::CardState), request(PanelCommand::CardVersion),
            request(PanelCommand::CardSerial)};
}

// One measurement cycle: the loops in turn, the panel's service, battery and charger voltages,
// then the card's battery, charger, AES and its two sounder lines.
inline QStringList cycleRequests(bool card)
{
    QStringList cycle;
    for (int k = 0; k < 8; ++k)
        cycle << loopLoad(k);
    cycle << panelReading(0) << panelReading(2) << panelReading(3);
    if (card)
        cycle << cardReading(2) << cardReading(5) << cardReading(4) << cardReading(0) << cardReading(1);
    return cycle;
}

// The requests up to and including `last`.
inline QStringList upTo(const QStringList &requests, const QString &last)
{
    return requests.mid(0, requests.indexOf(last) + 1);
}
