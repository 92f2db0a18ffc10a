#include "link/ExchangeLog.h"

#include "link/ReplyFault.h"

#include <QFileDevice>
#include <QIODevice>

Q_LOGGING_CATEGORY(lcTorvaLink, "torva.link", QtInfoMsg)

namespace {

const QString kNone = QStringLiteral("-");

} // namespace

void ExchangeRecord::append(std::uint8_t byte)
{
    if (bytes.size() < kMaxBytes)
        bytes.append(char(byte));
    else
        ++bytesOver;
}

ExchangeLog::ExchangeLog(QObject *parent) : QObject(parent) {}

void ExchangeLog::add(ExchangeRecord record)
{
    if (m_records.size() == std::size_t(kCapacity))
        m_records.pop_front();
    m_records.push_back(std::move(record));
    const ExchangeRecord &kept = m_records.back();
    // The line is made only for those who read it.
    if (lcTorvaLink().isDebugEnabled() || m_trace) {
        const QString text = line(kept);
        qCDebug(lcTorvaLink).noquote() << text;
        if (m_trace) {
            const QByteArray bytes = (text + u'\n').toUtf8();
            const bool written = m_trace->write(bytes) == bytes.size();
            auto *file = qobject_cast<QFileDevice *>(m_trace.data());
            if (!written || (file && !file->flush())) {
                m_trace.clear();
                m_traceFailed = true;
            }
        }
    }
    emit recorded(kept);
}

void ExchangeLog::clear()
{
    m_records.clear();
    emit cleared();
}

QString ExchangeLog::text() const
{
    QString all;
    for (const ExchangeRecord &record : m_records)
        all += line(record) + u'\n';
    return all;
}

void ExchangeLog::setTrace(QIODevice *device)
{
    m_trace = device;
    m_traceFailed = false;
}

QString ExchangeLog::verdictText(const ExchangeRecord &record)
{
    if (record.kind == ExchangeRecord::Kind::Request || record.kind == ExchangeRecord::Kind::PortOpened)
        return {};
    if (record.kind == ExchangeRecord::Kind::Discarded)
        return QStringLiteral("ignorés");
    if (record.failure == LinkFailure::BadByte)
        return ReplyFault::verdict(record.badByte, record.badBytePosition);
    return ReplyFault::failure(record.failure);
}

QString ExchangeLog::line(const ExchangeRecord &record)
{
    const QDateTime at = record.portOpened.addMSecs(record.msSincePort);
    // The date once, when the port opens; each record then says its own time of day.
    if (record.kind == ExchangeRecord::Kind::PortOpened)
        return QStringLiteral("%1 ouverture de %2")
            .arg(at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")), record.step);
    QString bytes = record.bytes.isEmpty() ? kNone : QString::fromLatin1(record.bytes.toHex(' '));
    if (record.bytesOver > 0)
        bytes += QStringLiteral(" (+%1 octets)").arg(record.bytesOver);
    QStringList fields{
        QStringLiteral("%1 +%2 ms")
            .arg(at.toString(QStringLiteral("HH:mm:ss.zzz")), QString::number(record.msSincePort)),
        record.kind == ExchangeRecord::Kind::Request ? QStringLiteral("TX") : QStringLiteral("RX"),
        record.attempt > 0 ? QStringLiteral("essai %1").arg(record.attempt) : kNone,
        record.step.isEmpty() ? kNone : record.step,
        bytes,
    };
    if (record.kind != ExchangeRecord::Kind::Request)
        fields << verdictText(record);
    return fields.join(QStringLiteral(" | "));
}
