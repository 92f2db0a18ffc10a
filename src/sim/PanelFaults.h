#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <optional>

// Switchable faults of the line or the panel, each spoiling the reply to a matching request.
enum class Fault {
    Silence,          // no reply at all
    WrongStartByte,   // a byte other than 1, then the good reply right behind it
    LengthTooLong,    // length byte 14 (check bytes recomputed)
    LengthTooShort,   // length byte 4 (check bytes recomputed)
    WrongEcho,        // the echo is the command plus one (check bytes recomputed)
    BadSum,           // the low check byte is one too high
    ShortReply,       // the reply stops before its last byte
    StrayBytesBefore, // a few junk bytes, then the good reply
    WrongDataCount,   // one data byte too many, length and check bytes consistent with it
    MissingDataByte,  // one data byte too few (a reply with data only), consistent likewise
    ReadBackDiffers,  // a read answers a value other than the stored one (replies with data only)
};

// command -1: any command; index: the request's first data byte (-1 any); times: how many replies
// the rule spoils, -1 always. Several rules may be active; the first matching one applies.
struct FaultRule
{
    Fault fault = Fault::Silence;
    int command = -1;
    int index = -1;
    int times = -1;
};

// The faults switched on in an emulated panel, and what each makes of a reply. A rule that
// spoils a limited number of replies counts them down as it spoils them; a rule spent, or one
// about a value (ReadBackDiffers, MissingDataByte) met by an acknowledgement without data, is
// passed over for the next one.
class PanelFaults
{
public:
    void add(FaultRule rule) { m_rules.append(rule); }
    void clear() { m_rules.clear(); }

    // The bytes the panel sends instead of its reply to `command` (whose request carried
    // `request` as data bytes, and whose reply would carry `replyData`), when a rule matches;
    // nullopt when none does and the reply goes out as it is. Empty bytes: no reply at all.
    std::optional<QByteArray> spoil(std::uint8_t command, const QByteArray &request,
                                    const QByteArray &replyData);

private:
    const FaultRule *takeMatching(std::uint8_t command, const QByteArray &request, bool replyHasData);
    static QByteArray spoilt(Fault fault, std::uint8_t command, QByteArray data);

    QList<FaultRule> m_rules;
};
