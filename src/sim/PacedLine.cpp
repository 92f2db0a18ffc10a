#include "sim/PacedLine.h"

#include "sim/EmulatedPanel.h"

#include <algorithm>

PacedLine::PacedLine(EmulatedPanel &panel, Sink deliver, QObject *parent)
    : QObject(parent), m_panel(panel), m_deliver(std::move(deliver))
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PacedLine::deliverDue);
}

void PacedLine::sendToPanel(std::uint8_t byte)
{
    m_toPanelFree = std::max(now(), m_toPanelFree) + kByteTime;
    const QByteArray reply = m_panel.receiveByte(byte);
    if (reply.isEmpty())
        return;
    // The panel answers only once the request's last byte is in, after its turnaround, and
    // never talks over a reply it is still sending.
    const std::chrono::nanoseconds start = std::max(m_toPanelFree + m_turnaround, m_toPcFree);
    for (qsizetype i = 0; i < reply.size(); ++i)
        m_pending.push_back({start + kByteTime * (i + 1), reply[i]});
    m_toPcFree = start + kByteTime * reply.size();
    arm();
}

void PacedLine::dropPending()
{
    m_pending.clear();
    m_timer.stop();
    m_toPcFree = now();
}

void PacedLine::deliverDue()
{
    const std::chrono::nanoseconds t = now();
    QByteArray arrived;
    while (!m_pending.empty() && m_pending.front().due <= t) {
        arrived.append(m_pending.front().byte);
        m_pending.pop_front();
    }
    arm();
    if (!arrived.isEmpty())
        m_deliver(arrived);
}

void PacedLine::arm()
{
    if (m_pending.empty()) {
        m_timer.stop();
        return;
    }
    // Rounded up to whole milliseconds, so a byte is never handed over before its time.
    const std::chrono::nanoseconds wait =
        std::max(m_pending.front().due - now(), std::chrono::nanoseconds(0));
    m_timer.start(std::chrono::ceil<std::chrono::milliseconds>(wait));
}
