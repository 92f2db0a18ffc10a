#pragma once

// A diagnostic window talking to the emulated panel over the emulated port.
#include "support/FakePrompts.h"

#include "config/Session.h"
#include "diag/DiagFrm.h"
#include "link/Link.h"
#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"

#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

struct DiagBench
{
    FakePrompts prompts;
    EmulatedPanel panel;
    Link link{prompts, [this](const PortChoice &) { return std::make_unique<EmulatedPort>(panel); }};
    Session session;
    std::unique_ptr<DiagFrm> window;
    int ended = 0;

    DiagBench() { link.openPort(PortChoice::simulated()); }

    // The card declared present (with its state) or absent in the configuration.
    void declareCard(bool present, std::uint8_t state = 1)
    {
        session.config.UpCardPresent = present ? 1 : 0;
        panel.state.cardState = state;
    }

    void open()
    {
        window = std::make_unique<DiagFrm>(link, session, prompts);
        QObject::connect(window.get(), &DiagFrm::diagnosticEnded, [this] { ++ended; });
        window->show();
    }

    // The opening reads are done and the cycles are under way.
    bool activated(int timeoutMs = 5000)
    {
        (void)QTest::qWaitFor([this] { return ended > 0 || window->Timer1->isActive(); }, timeoutMs);
        return ended == 0 && window->Timer1->isActive();
    }

    bool waitEnded(int timeoutMs = 8000)
    {
        return QTest::qWaitFor([this] { return ended > 0; }, timeoutMs);
    }

    // Opens, lets the opening reads finish, asks for the end at once: exactly one cycle runs.
    bool runOneCycle()
    {
        open();
        if (!activated())
            return false;
        window->Fermer->click();
        return waitEnded();
    }

    // Runs `action` from inside a measurement cycle, while it waits for a reply in its middle
    // (a cycle is one handler waiting in the link, so only a timer gets in there).
    bool midCycle(int opening, int cycle, const std::function<void()> &action)
    {
        bool done = false;
        QTimer poll;
        poll.setInterval(2);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            const int n = int(panel.requests().size()) - opening;
            if (done || n <= 0 || n % cycle < 2 || n % cycle > cycle - 2 || !link.isBusy())
                return;
            done = true;
            poll.stop();
            action();
        });
        poll.start();
        (void)QTest::qWaitFor([&] { return done; }, 5000);
        return done;
    }

    // Each request the panel received as "command:data,data".
    QStringList requests() const
    {
        QStringList out;
        for (const QByteArray &frame : panel.requests()) {
            QString text = QString::number(quint8(frame[2]));
            QStringList data;
            for (qsizetype i = 3; i < frame.size() - 2; ++i)
                data << QString::number(quint8(frame[i]));
            if (!data.isEmpty())
                text += QLatin1Char(':') + data.join(QLatin1Char(','));
            out << text;
        }
        return out;
    }

    QString label(int index) const { return window->Label1[std::size_t(index)]->text(); }
};

// The requests of one measurement cycle, in order.
inline QStringList cycleRequests(bool card)
{
    QStringList cycle;
    for (int k = 0; k < 8; ++k)
        cycle << QStringLiteral("19:4,%1").arg(k);
    cycle << "19:0" << "19:2" << "19:3";
    if (card)
        cycle << "18:2" << "18:5" << "18:4" << "18:0" << "18:1";
    return cycle;
}
