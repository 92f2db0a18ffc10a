#include "simtool/PtyPanel.h"

#include "sim/EmulatedPanel.h"

#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr std::chrono::milliseconds kRetryAfterError{50};

bool makeRaw(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

} // namespace

PtyPanel::PtyPanel(EmulatedPanel &panel, QObject *parent)
    : QObject(parent), m_panel(panel), m_line(panel, [this](const QByteArray &bytes) { writeMaster(bytes); })
{}

PtyPanel::~PtyPanel() { stop(); }

bool PtyPanel::start()
{
    stop();
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        m_master = m_slave = -1;
        return false;
    }
    if (!makeRaw(m_master) || !makeRaw(m_slave)) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        stop();
        return false;
    }
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_path = QString::fromLocal8Bit(name);
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PtyPanel::readMaster);
    return true;
}

void PtyPanel::stop()
{
    m_notifier.reset();
    m_line.dropPending();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
    m_path.clear();
}

void PtyPanel::readMaster()
{
    std::uint8_t buffer[256];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            for (ssize_t i = 0; i < n; ++i)
                m_line.sendToPanel(buffer[i]);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // EIO (no slave open) or end of file: should not happen while we hold the slave, but
        // if it does, look again a little later instead of letting the notifier fire in a loop.
        m_notifier->setEnabled(false);
        QTimer::singleShot(kRetryAfterError, this, [this] {
            if (m_notifier)
                m_notifier->setEnabled(true);
        });
        return;
    }
}

void PtyPanel::writeMaster(const QByteArray &bytes)
{
    if (m_master < 0)
        return;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return; // the slave's input queue is full: the bytes are lost, as on a real line
        }
    }
}
