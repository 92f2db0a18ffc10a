#include "sim/EmulatedPort.h"

#include "sim/EmulatedPanel.h"

#include <QTimer>

EmulatedPort::EmulatedPort(EmulatedPanel &panel, QObject *parent)
    : SerialPort(parent), m_panel(panel), m_line(panel, [this](const QByteArray &bytes) {
          if (!m_open)
              return;
          m_incoming += bytes;
          emit readyRead();
      })
{}

bool EmulatedPort::open()
{
    if (m_gone) {
        m_error = QStringLiteral("No such device");
        return false;
    }
    m_error.clear();
    m_open = true;
    // Whatever half-frame the panel held from an earlier session is long stale.
    m_panel.resetReceiver();
    return true;
}

void EmulatedPort::close()
{
    m_open = false;
    m_incoming.clear();
    m_line.dropPending();
}

bool EmulatedPort::readByte(std::uint8_t &byte)
{
    if (m_incoming.isEmpty())
        return false;
    byte = std::uint8_t(m_incoming.front());
    m_incoming.remove(0, 1);
    return true;
}

bool EmulatedPort::writeByte(std::uint8_t byte)
{
    if (!m_open)
        return false;
    m_written.append(char(byte));
    noteFrameByte(byte);
    m_line.sendToPanel(byte);
    if (m_writesBeforeVanish > 0 && --m_writesBeforeVanish == 0)
        vanish();
    return true;
}

void EmulatedPort::injectIncoming(const QByteArray &bytes)
{
    m_incoming += bytes;
    emit readyRead();
}

void EmulatedPort::vanishAfterWrites(int n)
{
    m_writesBeforeVanish = n;
    if (n == 0)
        vanish();
}

void EmulatedPort::vanish()
{
    m_writesBeforeVanish = -1;
    m_gone = true;
    m_error = QStringLiteral("No such device");
    const bool wasOpen = m_open;
    close();
    if (wasOpen)
        QTimer::singleShot(0, this, [this] { emit failed(); });
}

void EmulatedPort::noteFrameByte(std::uint8_t byte)
{
    if (m_partialFrame.isEmpty()) {
        if (byte != 1)
            return;
        m_partialFrameStart = m_line.elapsedMs();
    }
    m_partialFrame.append(char(byte));
    if (m_partialFrame.size() < 2)
        return;
    const int length = std::uint8_t(m_partialFrame[1]);
    if (length < 5) {
        m_partialFrame.clear();
        return;
    }
    if (m_partialFrame.size() == length) {
        m_frames.append({m_partialFrameStart, m_partialFrame});
        m_partialFrame.clear();
    }
}
