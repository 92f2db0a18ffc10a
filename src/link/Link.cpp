#include "link/Link.h"

#include "link/Frame.h"
#include "link/ReplyCheck.h"
#include "ui/Prompts.h"

#include <QDeadlineTimer>
#include <QEventLoop>

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
    Private(std::vector<std::uint8_t> &rxData, std::uint8_t &rxCount) : check(rxData, rxCount) {}

    ReplyCheck check;
    QEventLoop *loop = nullptr; // the running wait's loop, while it runs
    Wait wait = Wait::None;     // None once the running wait has ended
    bool replyStarted = false;  // a byte of the reply arrived in this attempt
    QTimer quiet;               // settling: the line has been silent for kQuietGap
    QDeadlineTimer settleLimit; // settling: a babbling line must not hold the link forever
};

Link::Link(Prompts &prompts, PortFactory factory, QObject *parent)
    : QObject(parent),
      d(std::make_unique<Private>(RxData, RxCount)),
      m_prompts(prompts),
      m_factory(std::move(factory))
{
    Timer_Time_Out.setTimerType(Qt::PreciseTimer);
    Timer_Time_Out.setInterval(kDesignedTimeout);
    // Repeating, as designed: each firing only marks the link as failed; the wait ends on it.
    Timer_Time_Out.setSingleShot(false);
    connect(&Timer_Time_Out, &QTimer::timeout, this, &Link::onTimeOut);
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
    Timer_Time_Out.stop();
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
    LinkStatus = false;
    closePort();
    m_port = m_factory ? m_factory(choice) : nullptr;
    if (!m_port || !m_port->open()) {
        // The box's detailed text says why (missing device, rights, in use) and what to do.
        const QString details = m_port ? m_port->errorString() : QString();
        m_port.reset();
        LinkStatus = true;
        m_prompts.message(kOpenFailedText, kOpenFailedTitle, Prompts::Icon::Warning, details);
        return false;
    }
    connect(m_port.get(), &SerialPort::readyRead, this, &Link::onReadyRead);
    connect(m_port.get(), &SerialPort::failed, this, &Link::onPortFailed);
    flushInput();
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

void Link::flushInput()
{
    std::uint8_t byte = 0;
    for (int n = 0; n < kMaxFlushedBytes && m_port && m_port->bytesWaiting() > 0; ++n)
        if (!m_port->readByte(byte))
            break;
}

bool Link::sendFrame(const std::vector<std::uint8_t> &frame)
{
    for (std::uint8_t byte : frame)
        if (!m_port || !m_port->writeByte(byte))
            return false;
    return true;
}

bool Link::wakeUp()
{
    if (m_busy)
        return false; // the waiting transaction owns the line
    if (m_aborted) {
        LinkStatus = true;
        return false;
    }
    m_busy = true;
    LinkStatus = false;
    Timer_Time_Out.setInterval(kWakeUpPause);
    Timer_Time_Out.start();
    const bool written = isPortOpen() && m_port->writeByte(0);
    if (written)
        runWait(Wait::WakeUp);
    Timer_Time_Out.stop();
    Timer_Time_Out.setInterval(kReplyTimeout);
    m_busy = false;

    if (m_aborted) {
        LinkStatus = true;
        return false;
    }
    if (!written || !m_port) {
        // A line lost before the first command is a panel that cannot answer: the procedure
        // stops, and the installer must hear why, as after three silent attempts.
        LinkStatus = true;
        reportNoReply();
        return false;
    }
    return true;
}

bool Link::transaction(std::uint8_t command, std::uint8_t length)
{
    if (m_busy) {
        m_lastFailure = failedWith(LinkFailure::Busy);
        return false; // the waiting transaction owns every shared byte: touch nothing
    }
    if (m_aborted) {
        m_lastFailure = failedWith(LinkFailure::Aborted);
        LinkStatus = true;
        return false;
    }
    // Built once: every attempt sends the same bytes.
    const std::vector<std::uint8_t> frame = Frame::buildRequest(command, length, TxData);
    LastCommand = command;
    if (frame.empty()) {
        m_lastFailure = failedWith(LinkFailure::NoReply);
        LinkStatus = true; // a length outside 5..14 is the caller's fault, not the panel's
        return false;
    }

    m_busy = true;
    bool accepted = false;
    for (int attemptsLeft = kAttempts; attemptsLeft > 0 && !accepted && !m_aborted; --attemptsLeft) {
        emit requestSent();
        LinkStatus = false;
        Timer_Time_Out.start(); // the reply time-out runs from before the first byte goes out
        d->check.reset(command);
        d->replyStarted = false;
        flushInput();
        const bool sent = sendFrame(frame);
        RxCount = 0;
        if (sent)
            runWait(Wait::Reply);
        accepted = sent && !m_aborted && d->check.verdict() == ReplyCheck::Verdict::Accepted;
        // Failed exactly when no reply was accepted (no port, lost port, time-out, bad reply or
        // abort): the time-out may fire in the same pass of the event loop as the reply's last
        // byte, after the reply was accepted.
        LinkStatus = !accepted;
        Timer_Time_Out.stop();
        noteFailure(accepted, sent);
        if (d->check.verdict() == ReplyCheck::Verdict::Failed && !m_aborted)
            settleLine();
    }
    m_busy = false;

    if (m_aborted)
        return false; // the window is closing: nobody is there to read a message
    if (!accepted) {
        reportNoReply();
        return false;
    }
    return true;
}

void Link::noteFailure(bool accepted, bool sent)
{
    m_lastFailure = {};
    if (accepted)
        return;
    if (m_aborted)
        m_lastFailure.failure = LinkFailure::Aborted;
    else if (!sent || !m_port)
        m_lastFailure.failure = LinkFailure::PortLost;
    else if (d->check.verdict() == ReplyCheck::Verdict::Failed)
        m_lastFailure = {LinkFailure::BadByte, {}, d->check.fault(), d->check.faultPosition()};
    else
        m_lastFailure.failure = LinkFailure::NoReply;
}

LinkReply Link::request(PanelCommand command, std::span<const std::uint8_t> data)
{
    if (data.size() > TxData.size()) {
        LinkStatus = true;
        return failedWith(LinkFailure::NoReply);
    }
    if (!m_busy)
        std::copy(data.begin(), data.end(), TxData.begin());
    if (!transaction(std::uint8_t(command), std::uint8_t(Frame::kMinLength + data.size())))
        return m_lastFailure;
    return {LinkFailure::None, {RxData.begin(), RxData.begin() + RxCount}};
}

void Link::reportNoReply()
{
    m_prompts.message(kNoReplyText, kNoReplyTitle, Prompts::Icon::Information);
    emit transactionFailed();
}

void Link::abort()
{
    m_aborted = true;
    if (d->wait != Wait::None)
        LinkStatus = true;
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
    flushInput();
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
        flushInput();
        if (d->settleLimit.hasExpired())
            endWait();
        else
            d->quiet.start();
        return;
    }
    while (d->wait == Wait::Reply && m_port && m_port->bytesWaiting() > 0) {
        if (!m_port->readByte(byte))
            break;
        if (!d->replyStarted) {
            d->replyStarted = true;
            emit replyStarted();
        }
        const ReplyCheck::Step step = d->check.feed(byte);
        if (step.dataStored && !DiagInProgress)
            emit dataByteReceived();
        if (step.verdict == ReplyCheck::Verdict::Accepted) {
            emit replyAccepted();
            endWait();
        } else if (step.verdict == ReplyCheck::Verdict::Failed) {
            LinkStatus = true;
            endWait();
        }
        // What is left of the burst stays waiting; the next attempt flushes it.
    }
}

void Link::onTimeOut()
{
    LinkStatus = true;
    if (d->wait != Wait::None)
        endWait();
}

void Link::onPortFailed()
{
    dropPort();
    if (d->wait != Wait::None) {
        LinkStatus = true; // like a missing reply
        endWait();
    }
}
