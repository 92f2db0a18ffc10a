#pragma once

#include "link/Link.h"

#include <QByteArray>
#include <QDateTime>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <deque>

class QIODevice;

Q_DECLARE_LOGGING_CATEGORY(lcTorvaLink) // "torva.link", debug off unless QT_LOGGING_RULES turns it on

// One byte sequence that crossed the line, as the link saw it: a request that went out (the
// wake-up byte included), the reply of one attempt with its verdict, or bytes that waited on the
// line before a request and were thrown away unread; and the opening of the port, which dates the
// records after it.
struct ExchangeRecord
{
    enum class Kind { Request, Reply, Discarded, PortOpened };
    // A babbling line cannot fill the memory: bytes past this many are only counted.
    static constexpr qsizetype kMaxBytes = 64;

    Kind kind = Kind::Request;
    QDateTime portOpened;    // wall-clock time at which the port was opened
    qint64 msSincePort = 0;  // when the sequence went out, or when the reply's wait ended
    QByteArray bytes;        // in line order, at most kMaxBytes
    qsizetype bytesOver = 0; // bytes left out past kMaxBytes
    int attempt = 0;         // 1 to 3; 0 for bytes thrown away when the port opened
    QString step; // what the procedure was doing ("Lecture modes alarme"), may be empty; the port's name
                  // for the port's opening
    // A reply's verdict: accepted (LinkFailure::None) or why the attempt failed.
    LinkFailure failure = LinkFailure::None;
    ReplyCheck::Fault badByte = ReplyCheck::Fault::None;
    int badBytePosition = -1; // index in the reply of the byte that failed it

    void append(std::uint8_t byte);
    // A reply that was not accepted.
    bool failed() const { return kind == Kind::Reply && failure != LinkFailure::None; }
};

// The record of every exchange of the run: the last kCapacity records in memory, each also sent
// to the logging category "torva.link" and, when set, to a trace device, as one text line.
// The application owns it and hands it to the link, which adds a record for every sequence that
// crosses the line. line() is the one place that turns a record into text: the category, the
// log window, its saved file and the trace all show the same line.
class ExchangeLog : public QObject
{
    Q_OBJECT
public:
    static constexpr qsizetype kCapacity = 5000;

    explicit ExchangeLog(QObject *parent = nullptr);

    // Keeps the record (the oldest goes once kCapacity are kept), writes its line to the category
    // and the trace, and emits recorded().
    void add(ExchangeRecord record);
    // Forgets every record kept; emits cleared().
    void clear();
    const std::deque<ExchangeRecord> &records() const { return m_records; }
    // The line of every record kept, oldest first, each ended by a line feed.
    QString text() const;

    // Writes the line of each record added from now on to `device` (open for writing), flushed at
    // once so that the trace is complete up to a crash; nullptr stops. A write that fails stops
    // the trace and traceFailed() says so.
    void setTrace(QIODevice *device);
    bool traceFailed() const { return m_traceFailed; }

    // "14:02:12.484 +1234 ms | RX | essai 1 | Lecture modes alarme | 01 06 16 02 1f 00 | " and
    // the verdict (one line, the record's own time of day, then the time since the port opened);
    // a request has no verdict field. The port's opening gives the date:
    // "2024-03-05 14:02:11.250 ouverture de /dev/ttyUSB0".
    static QString line(const ExchangeRecord &record);
    // The reply's verdict in the words of ReplyFault ("acceptée", a fault and its byte, "port
    // perdu", "ignorés"...); empty for a request.
    static QString verdictText(const ExchangeRecord &record);

signals:
    void recorded(const ExchangeRecord &record);
    void cleared();

private:
    std::deque<ExchangeRecord> m_records;
    QPointer<QIODevice> m_trace;
    bool m_traceFailed = false;
};
