#pragma once

// A diagnostic window talking to the emulated panel over the emulated port.
#include "support/PanelBench.h"

#include "config/Session.h"
#include "diag/DiagFrm.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

struct DiagBench : PanelBench
{
    Session session;
    bool cardDeclared = true;   // the editor shows the UP card present
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

    bool waitEnded() { return QTest::qWaitFor([this] { return ended > 0; }, 8000); }

    // Each request the panel received as "command:data,data".
    QStringList requests() const
    {
        QStringList out;
        for (const QByteArray &frame : panel.requests()) {
            QStringList data;
            for (qsizetype i = 3; i < frame.size() - 2; ++i)
                data << QString::number(quint8(frame[i]));
            out << QString::number(quint8(frame[2])) + (data.isEmpty() ? "" : ":" + data.join(','));
        }
        return out;
    }
};

// The requests of one measurement cycle, in order.
inline QStringList cycleRequests(bool card)
{
    const QStringList cycle{"19:4,0", "19:4,1", "19:4,2", "19:4,3", "19:4,4", "19:4,5", "19:4,6", "19:4,7",
                            "19:0", "19:2", "19:3"};
    return card ? cycle + QStringList{"18:2", "18:5", "18:4", "18:0", "18:1"} : cycle;
}
