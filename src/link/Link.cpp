#include "link/Link.h"

#include "link/ExchangeLog.h"
#include "link/Frame.h"
#include "link/ReplyCheck.h"
#include "seams/Prompts.h"

#include <QDeadlineTimer>
#include <QEventLoop>

#include <algorithm>

namespace {

// A port that never stops producing bytes must not hold the flush forever; no reply of the
// panel comes near this.
constexpr int kMaxFlushedBytes = 65536;

const QString kNoReplyText = QStringLiteral("Pas de réponse de l'ECS !");
const QString kNoReplyTitle = QStringLiteral("TIME OUT");
const QString kOpenFailedText = QStringLiteral("Port série introuvable ou déjà ouvert !");
const QString kOpenFailedTitle = QStringLiteral("ERREUR DE COM");

LinkReply failedWith(LinkFailure failure)
{
    LinkReply reply;
    reply.failure = failure;
    return reply;
}

} // namespace

class Link::Private
{
public:
    std::vector<std::uint8_t> replyData; // the reply's data bytes, from its start
    std::uint8_t replyCount = 0;         // how many of them have arrived
    ReplyCheck check{replyData, replyCount};
    // The reply time-out, and the wake-up's pause. Repeating, as designed: each firing only
    // marks the link as failed; the wait ends on it.
    QTimer timeOut;
    QEventLoop *loop = nullptr; // the running wait's loop, while it runs
    Wait wait = Wait::None;     // None once the running wait has ended
    bool replyStarted = false;  // a byte of the reply arrived in this attempt
    QTimer quiet;               // settling: the line has been silent for kQuietGap
    QDeadlineTimer settleLimit; // settling: a babbling line must not hold the link forever
    ExchangeRecord reply;       // the running attempt's reply bytes, while a log records them
};

Link::Link(Prompts &prompts, PortFactory factory, QObject *parent)
    : QObject(parent), d(std::make_unique<Private>()), m_prompts(prompts), m_factory(std::move(factory))
{
    d->timeOut.setTimerType(Qt::PreciseTimer);
    d->timeOut.setInterval(kReplyTimeoutBeforeWakeUp);
    d->timeOut.setSingleShot(false);
    connect(&d->timeOut, &QTimer::timeout, this, &Link::onTimeOut);
    d->quiet.setSingleShot(true);
    d->quiet.setTimerType(Qt::PreciseTimer);
    d->quiet.setInterval(kQuietGap);
    connect(&d->quiet, &QTimer::timeout, this, [this] {
        if (d->wait == Wait::Settle)
            endWait();
    });
}

Link::~Link()
{
    d->timeOut.stop();
    if (m_port) {
        disconnect(m_port.get(), nullptr, this, nullptr);
        m_port->close();
    }
}

bool Link::openPort(const PortChoice &choice)
{
    // Replacing the port under a running wait would pull the line from under it.
    if (m_busy)
        return false;
    // A new exchange starts here: an earlier abort ended only the exchange it interrupted.
    m_aborted = false;
    m_step.clear();
    closePort();
    m_choice = choice;
    m_port = m_factory ? m_factory(choice) : nullptr;
    if (!m_port || !m_port->open()) {
        // The box's detailed text says why (missing device, rights, in use) and what to do.
        const QString details = m_port ? m_port->errorString() : QString();
        m_port.reset();
        m_prompts.message(kOpenFailedText, kOpenFailedTitle, Prompts::Icon::Warning, details);
        return false;
    }
    connect(m_port.get(), &SerialPort::readyRead, this, &Link::onReadyRead);
    connect(m_port.get(), &SerialPort::failed, this, &Link::onPortFailed);
    m_portOpened = QDateTime::currentDateTime();
    m_sincePort.start();
    if (m_log) { // dates the records that follow, which give only their time of day
        ExchangeRecord opened;
        opened.kind = ExchangeRecord::Kind::PortOpened;
        opened.portOpened = m_portOpened;
        opened.step = m_port->deviceName();
        m_log->add(std::move(opened));
    }
    discardWaiting(0);
    return true;
}

void Link::closePort()
{
    if (!m_port)
        return;
    m_port->close();
    dropPort();
}

bool Link::isPortOpen() const { return m_port && m_port->isOpen(); }

void Link::dropPort()
{
    if (!m_port)
        return;
    disconnect(m_port.get(), nullptr, this, nullptr);
    // The port may be the one emitting the signal that brought us here: delete it once control
    // is back in the event loop.
    m_port.release()->deleteLater();
}

void Link::flushInput(ExchangeRecord *kept)
{
    std::uint8_t byte = 0;
    for (int n = 0; n < kMaxFlushedBytes && m_port && m_port->bytesWaiting() > 0; ++n) {
        if (!m_port->readByte(byte))
            break;
        if (kept)
            kept->append(byte);
    }
}

void Link::discardWaiting(int attempt)
{
    if (!m_log) {
        flushInput();
        return;
    }
    ExchangeRecord discarded;
    discarded.kind = ExchangeRecord::Kind::Discarded;
    const qint64 at = msSincePort();
    flushInput(&discarded);
    if (!discarded.bytes.isEmpty())
        record(std::move(discarded), attempt, at);
}

std::size_t Link::sendFrame(const std::vector<std::uint8_t> &frame)
{
    std::size_t written = 0;
    while (written < frame.size() && m_port && m_port->writeByte(frame[written]))
        ++written;
    return written;
}

void Link::setExchangeLog(ExchangeLog *log) { m_log = log; }

ExchangeLog *Link::exchangeLog() const { return m_log; }

qint64 Link::msSincePort() const { return m_sincePort.isValid() ? m_sincePort.elapsed() : 0; }

void Link::record(ExchangeRecord &&record, int attempt, qint64 at)
{
    if (!m_log)
        return;
    record.portOpened = m_portOpened;
    record.msSincePort = at;
    record.attempt = attempt;
    record.step = m_step;
    m_log->add(std::move(record));
}

bool Link::wakeUp()
{
    if (m_busy)
        return false; // the waiting transaction owns the line
    if (m_aborted)
        return false;
    // The wake-up waits for no reply: only a wake-up that failed has a verdict to record.
    const auto recordFailure = [this](LinkFailure failure) {
        ExchangeRecord ended;
        ended.kind = ExchangeRecord::Kind::Reply;
        ended.failure = failure;
        record(std::move(ended), 1, msSincePort());
    };
    m_busy = true;
    d->timeOut.setInterval(kWakeUpPause);
    d->timeOut.start();
    const qint64 sentAt = msSincePort();
    const bool written = isPortOpen() && m_port->writeByte(0);
    if (written) {
        ExchangeRecord wake;
        wake.append(0);
        record(std::move(wake), 1, sentAt);
        runWait(Wait::WakeUp);
    }
    d->timeOut.stop();
    d->timeOut.setInterval(kReplyTimeout);
    m_busy = false;

    if (m_aborted) {
        recordFailure(LinkFailure::Aborted);
        return false;
    }
    if (!written || !m_port) {
        recordFailure(LinkFailure::PortLost);
        // A line lost before the first command is a panel that cannot answer: the procedure
        // stops, and the installer must hear why, as after three silent attempts.
        reportNoReply();
        return false;
    }
    return true;
}

LinkReply Link::request(PanelCommand command, std::span<const std::uint8_t> data)
{
    std::array<std::uint8_t, 9> txData{};
    if (data.size() > txData.size())
        return failedWith(LinkFailure::NoReply); // no frame holds them: the caller's fault
    if (m_busy)
        return failedWith(LinkFailure::Busy); // the waiting request owns the line: touch nothing
    if (m_aborted)
        return failedWith(LinkFailure::Aborted);
    std::copy(data.begin(), data.end(), txData.begin());
    const auto code = std::uint8_t(command);
    // Built once: every attempt sends the same bytes.
    const std::vector<std::uint8_t> frame =
        Frame::buildRequest(code, std::uint8_t(Frame::kMinLength + data.size()), txData);
    m_lastRequest = {command, {data.begin(), data.end()}};

    m_busy = true;
    bool accepted = false;
    for (int attempt = 1; attempt <= kAttempts && !accepted && !m_aborted; ++attempt) {
        emit requestSent();
        d->timeOut.start(); // the reply time-out runs from before the first byte goes out
        d->check.reset(code);
        d->replyStarted = false;
        discardWaiting(attempt);
        const qint64 sentAt = msSincePort();
        const std::size_t written = sendFrame(frame);
        const bool sent = written == frame.size();
        if (m_log && written > 0) {
            ExchangeRecord request;
            request.bytes = QByteArray(reinterpret_cast<const char *>(frame.data()), qsizetype(written));
            record(std::move(request), attempt, sentAt);
        }
        d->reply = {};
        d->reply.kind = ExchangeRecord::Kind::Reply;
        if (sent)
            runWait(Wait::Reply);
        const qint64 endedAt = msSincePort();
        // Failed exactly when no reply was accepted (no port, lost port, time-out, bad reply or
        // abort): the time-out may fire in the same pass of the event loop as the reply's last
        // byte, after the reply was accepted.
        accepted = sent && !m_aborted && d->check.verdict() == ReplyCheck::Verdict::Accepted;
        d->timeOut.stop();
        m_lastFailure =
            accepted ? LinkReply{} : attemptFailure(sent ? FrameSent::Whole : FrameSent::CutShort);
        // The rest of a rejected reply, drained here, is recorded with it.
        if (d->check.verdict() == ReplyCheck::Verdict::Failed && !m_aborted)
            settleLine();
        if (m_log) {
            d->reply.failure = m_lastFailure.failure;
            d->reply.badByte = m_lastFailure.badByte;
            d->reply.badBytePosition = m_lastFailure.badBytePosition;
            record(std::move(d->reply), attempt, endedAt);
        }
    }
    m_busy = false;

    if (m_aborted)
        return m_lastFailure; // the window is closing: nobody is there to read a message
    if (!accepted) {
        reportNoReply();
        return m_lastFailure;
    }
    return {LinkFailure::None, {d->replyData.begin(), d->replyData.begin() + d->replyCount}};
}

LinkReply Link::attemptFailure(FrameSent frame) const
{
    if (m_aborted)
        return failedWith(LinkFailure::Aborted);
    if (frame == FrameSent::CutShort || !m_port)
        return failedWith(LinkFailure::PortLost);
    if (d->check.verdict() == ReplyCheck::Verdict::Failed)
        return {LinkFailure::BadByte, {}, d->check.fault(), d->check.faultPosition()};
    return failedWith(LinkFailure::NoReply);
}

void Link::reportNoReply()
{
    m_prompts.message(kNoReplyText, kNoReplyTitle, Prompts::Icon::Information);
    emit transactionFailed();
}

void Link::abort()
{
    m_aborted = true;
    endWait();
}

void Link::runWait(Wait wait)
{
    d->wait = wait;
    // Bytes that came in while the request was going out are handled now; quit() before exec()
    // would be lost, so a wait already over never enters the loop.
    if (wait == Wait::Reply)
        onReadyRead();
    if (!m_port || m_aborted)
        d->wait = Wait::None;
    if (d->wait == Wait::None)
        return;
    QEventLoop loop;
    d->loop = &loop;
    loop.exec();
    d->loop = nullptr;
    d->wait = Wait::None;
}

void Link::settleLine()
{
    // The flush alone would only catch the bytes of the rejected reply that have arrived so far;
    // the rest would then spoil the next attempt, or the next transaction.
    d->settleLimit.setRemainingTime(kReplyTimeout, Qt::PreciseTimer);
    d->quiet.start();
    flushInput(m_log ? &d->reply : nullptr);
    runWait(Wait::Settle);
    d->quiet.stop();
}

void Link::endWait()
{
    d->wait = Wait::None;
    if (d->loop)
        d->loop->quit();
}

void Link::onReadyRead()
{
    // Bytes arriving outside a reply wait stay in the port; the next attempt's flush drops them.
    std::uint8_t byte = 0;
    if (d->wait == Wait::Settle) {
        flushInput(m_log ? &d->reply : nullptr);
        if (d->settleLimit.hasExpired())
            endWait();
        else
            d->quiet.start();
        return;
    }
    while (d->wait == Wait::Reply && m_port && m_port->bytesWaiting() > 0) {
        if (!m_port->readByte(byte))
            break;
        if (m_log)
            d->reply.append(byte);
        if (!d->replyStarted) {
            d->replyStarted = true;
            emit replyStarted();
        }
        const ReplyCheck::Step step = d->check.feed(byte);
        if (step.dataStored && m_diagnosticModes == 0)
            emit dataByteReceived();
        if (step.verdict == ReplyCheck::Verdict::Accepted) {
            emit replyAccepted();
            endWait();
        } else if (step.verdict == ReplyCheck::Verdict::Failed) {
            endWait();
        }
        // What is left of the burst stays waiting; the next attempt flushes it.
    }
}

void Link::onTimeOut()
{
    if (d->wait != Wait::None)
        endWait();
}

void Link::onPortFailed()
{
    dropPort();
    if (d->wait != Wait::None)
        endWait(); // like a missing reply
}
