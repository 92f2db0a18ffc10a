#pragma once

#include "link/PanelCommand.h"
#include "link/ReplyCheck.h"
#include "link/SerialPort.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class ExchangeLog;
class Prompts;
struct ExchangeRecord;

// Why a request failed: the reason of its last attempt.
enum class LinkFailure {
    None,
    NoReply,  // nothing, or a reply cut short, before the time-out; or more than nine data bytes
    BadByte,  // a reply byte that cannot belong to a valid reply (see LinkReply::badByte)
    PortLost, // the port failed or was gone
    Aborted,  // the wait was abandoned (the window closing)
    Busy,     // refused: another wait was running; nothing was sent
};

// What a request gives back: the reply's data bytes, or why there is none.
struct LinkReply
{
    LinkFailure failure = LinkFailure::None;
    std::vector<std::uint8_t> data; // the accepted reply's data bytes
    ReplyCheck::Fault badByte = ReplyCheck::Fault::None;
    int badBytePosition = -1; // index in the reply of the byte that failed it
    bool ok() const { return failure == LinkFailure::None; }
};

// A request as it goes out: the command and its data bytes.
struct LinkRequest
{
    PanelCommand command{};
    std::vector<std::uint8_t> data;
    bool operator==(const LinkRequest &) const = default;
};

// The one way to talk to the panel: the serial port, the wake-up, and request(), through which
// every command goes.
//
// request() frames the command with its data bytes, sends it, waits for the reply in a local
// event loop (woken by the port and the timers, never spinning), checks the reply byte by byte,
// and tries three times in all. It gives back the accepted reply's data bytes or, after the third
// failure, why the last attempt failed, having told the installer once ("Pas de réponse de
// l'ECS !" / "TIME OUT"). A faulty reply ends its attempt at the faulty byte; the rest of it is
// drained (until the line is quiet) before the request goes out again. A port that fails while
// open is dropped: the running attempt ends like a missing reply and the attempts left fail at
// once. Only one wait runs at a time: a request or wake-up asked for while one waits (or a port
// opening) is refused and leaves the waiting one untouched.
class Link : public QObject
{
    Q_OBJECT
public:
    // Each attempt's reply time-out, from the first wake-up on; the wake-up sets it.
    static constexpr std::chrono::milliseconds kReplyTimeout{1000};
    static constexpr std::chrono::milliseconds kWakeUpPause{200};
    // The reply time-out of a request made before the link's first wake-up: every procedure wakes
    // the panel first, but until a wake-up has run the time-out keeps this longer interval.
    static constexpr std::chrono::milliseconds kReplyTimeoutBeforeWakeUp{2000};
    static constexpr int kAttempts = 3;
    // After a rejected reply byte the rest of that reply is still on its way (about 1 ms a
    // byte): the line must stay silent this long before the request goes out again.
    static constexpr std::chrono::milliseconds kQuietGap{20};

    Link(Prompts &prompts, PortFactory factory, QObject *parent = nullptr);
    ~Link() override;

    // Closes the port if open and opens the chosen one at "9600,N,8,1", flushing what waits.
    // On failure: "Port série introuvable ou déjà ouvert !" / "ERREUR DE COM", and false.
    bool openPort(const PortChoice &choice);
    // The port asked for last, opened or not: the journal names it.
    const PortChoice &lastChoice() const { return m_choice; }
    // Its name for people: the device, or "ECS simulée".
    QString lastPortName() const
    {
        return m_choice.kind == PortChoice::Kind::Simulated ? QStringLiteral("ECS simulée") : m_choice.device;
    }
    void closePort();
    bool isPortOpen() const;
    SerialPort *port() const { return m_port.get(); }

    // Byte 0 alone, then about 200 ms; the reply time-out is 1000 ms afterwards.
    // False when the wake-up could not run: a wait already running or the link aborted (both
    // silently), or no port, or the port lost during the pause (both reported as a missing reply,
    // "Pas de réponse de l'ECS !" / "TIME OUT").
    bool wakeUp();
    // The transaction for `command` with these data bytes: the accepted reply's data bytes, or
    // why the last attempt failed. Refused at once, silently, with nothing sent: more than nine
    // data bytes (NoReply), another wait running (Busy), the link aborted (Aborted).
    LinkReply request(PanelCommand command, std::span<const std::uint8_t> data = {});
    LinkReply request(PanelCommand command, std::initializer_list<std::uint8_t> data)
    {
        return request(command, std::span<const std::uint8_t>(data.begin(), data.size()));
    }

    // Where the exchanges are recorded; nullptr (the default) records nothing. A log destroyed
    // first is let go.
    void setExchangeLog(ExchangeLog *log);
    ExchangeLog *exchangeLog() const;
    // What the procedure is doing ("Lecture modes alarme"), carried by the records from now on.
    // Every port opening clears it: a new exchange starts there.
    void setStep(const QString &step) { m_step = step; }
    const QString &step() const { return m_step; }

    // True while a wake-up or a request waits.
    bool isBusy() const { return m_busy; }
    // Ends the running wait (its request fails without a message) and refuses every later one
    // until the next port opening: used when the main window closes during a transfer, so that
    // the interrupted procedure sends nothing more on its way out.
    void abort();
    bool isAborted() const { return m_aborted; }
    // The last request sent, or tried on a line that failed, whatever its outcome: what a failure
    // was about. A request refused without a try (too many data bytes, another wait running, the
    // link aborted) leaves it as it was.
    const LinkRequest &lastRequest() const { return m_lastRequest; }

    // While one lives, the link is in the diagnostic's mode: the data bytes of the replies step no
    // progress bar (dataByteReceived stays silent). Guards may nest: the mode ends with the last
    // of them. The link must outlive its guards.
    class DiagnosticMode
    {
    public:
        explicit DiagnosticMode(Link &link) : m_link(link) { ++m_link.m_diagnosticModes; }
        ~DiagnosticMode() { --m_link.m_diagnosticModes; }
        DiagnosticMode(const DiagnosticMode &) = delete;
        DiagnosticMode &operator=(const DiagnosticMode &) = delete;

    private:
        Link &m_link;
    };
    bool inDiagnosticMode() const { return m_diagnosticModes > 0; }

signals:
    void requestSent();       // a request went out: the send lamp lights
    void replyStarted();      // the first byte of a reply arrived: the send lamp goes out
    void dataByteReceived();  // a reply data byte was stored, outside the diagnostic mode
    void replyAccepted();     // a valid reply arrived: the reply lamp lights
    void transactionFailed(); // the third attempt of a request failed

private:
    class Private;
    enum class Wait { None, WakeUp, Reply, Settle };

    void reportNoReply();
    // Whether an attempt's request frame went out whole, or the port failed part-way.
    enum class FrameSent { Whole, CutShort };
    // Why the attempt that just ended got no accepted reply.
    LinkReply attemptFailure(FrameSent frame) const;
    // Reads and drops what waits; into `kept` when it is given (for the log).
    void flushInput(ExchangeRecord *kept = nullptr);
    // Throws away what waits before a request, recording it as discarded.
    void discardWaiting(int attempt);
    // The number of bytes written, all of them unless the port failed.
    std::size_t sendFrame(const std::vector<std::uint8_t> &frame);
    void record(ExchangeRecord &&record, int attempt, qint64 at);
    qint64 msSincePort() const;
    // Runs a local event loop until the wait ends: for the wake-up when the time-out fires, for
    // a reply when the reply check gives its verdict or the time-out fires; for both when the
    // port fails or the link is aborted; for the settling once the line has been quiet for
    // kQuietGap, or after at most kReplyTimeout.
    void runWait(Wait wait);
    void settleLine();
    void endWait();
    void onReadyRead();
    void onTimeOut();
    void onPortFailed();
    void dropPort();

    std::unique_ptr<Private> d;
    Prompts &m_prompts;
    PortFactory m_factory;
    PortChoice m_choice;
    std::unique_ptr<SerialPort> m_port;
    LinkReply m_lastFailure; // why the last attempt of the running or last request failed
    LinkRequest m_lastRequest;
    QPointer<ExchangeLog> m_log;
    QString m_step;
    QDateTime m_portOpened;    // wall-clock time of the last opening
    QElapsedTimer m_sincePort; // since the last opening
    bool m_busy = false;
    bool m_aborted = false;
    int m_diagnosticModes = 0; // the DiagnosticMode guards alive
};

// How a port selection ended.
enum class PortOutcome { Opened, Failed, Cancelled };
