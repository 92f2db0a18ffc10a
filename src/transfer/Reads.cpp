#include "transfer/Reads.h"

#include "config/SerialNumber.h"
#include "link/Link.h"

#include <algorithm>
#include <span>

namespace Reads {

Outcome outcomeOf(const LinkReply &reply, std::size_t expected)
{
    switch (reply.failure) {
    case LinkFailure::None:
        return reply.data.size() == expected ? Outcome::Read : Outcome::Refused;
    case LinkFailure::Aborted:
        return Outcome::Aborted;
    default:
        return Outcome::NoReply;
    }
}

namespace {

// A read of one byte with no request data.
Outcome readByte(Link &link, PanelCommand command, std::uint8_t &item)
{
    const LinkReply reply = link.request(command);
    const Outcome outcome = outcomeOf(reply, 1);
    if (outcome == Outcome::Read)
        item = reply.data[0];
    return outcome;
}

// A read of one byte per element, element index in the request; stops at the first failure,
// leaving the elements read so far with their new values and the others with their old ones.
template <std::size_t N, typename Decode>
Outcome readIndexed(Link &link, PanelCommand command, std::array<std::uint8_t, N> &items, Decode decode)
{
    for (std::size_t i = 0; i < N; ++i) {
        const LinkReply reply = link.request(command, {std::uint8_t(i)});
        const Outcome outcome = outcomeOf(reply, 1);
        if (outcome != Outcome::Read)
            return outcome;
        items[i] = decode(reply.data[0]);
    }
    return Outcome::Read;
}

std::uint8_t asIs(std::uint8_t byte) { return byte; }

// The panel sends one byte per code letter (PanelConfig::codeLetter).
bool decodeCode(std::span<const std::uint8_t> bytes, QString &code)
{
    code.clear();
    for (std::uint8_t b : bytes) {
        const std::optional<QChar> letter = PanelConfig::codeLetter(b);
        if (!letter)
            return false;
        code.append(*letter);
    }
    return true;
}

} // namespace

Outcome panelMode(Link &link, bool &manualMode)
{
    std::uint8_t mode = 0;
    const Outcome outcome = readByte(link, PanelCommand::PanelMode, mode);
    manualMode = mode == 1;
    return outcome;
}

Outcome accessCodes(Link &link, std::array<QString, 2> &codes)
{
    const LinkReply reply = link.request(PanelCommand::AccessCodes);
    constexpr std::size_t kLength = PanelConfig::kCodeLength;
    const Outcome outcome = outcomeOf(reply, 2 * kLength);
    if (outcome != Outcome::Read)
        return outcome;
    std::array<QString, 2> read;
    if (!decodeCode(std::span(reply.data).subspan(0, kLength), read[0]) ||
        !decodeCode(std::span(reply.data).subspan(kLength, kLength), read[1]))
        return Outcome::Refused;
    codes = read;
    return Outcome::Read;
}

Outcome relays(Link &link, PanelConfig &config)
{
    return readIndexed(link, PanelCommand::Relay, config.RelayMatrix, asIs);
}

Outcome output12v(Link &link, PanelConfig &config)
{
    return readByte(link, PanelCommand::Output12v, config.Output12vMode);
}

Outcome alarmModes(Link &link, PanelConfig &config)
{
    return readIndexed(link, PanelCommand::AlarmMode, config.AlarmModes, asIs);
}

Outcome upCardPresence(Link &link, std::uint8_t &presence)
{
    return readByte(link, PanelCommand::CardPresence, presence);
}

Outcome upCardState(Link &link, std::uint8_t &status)
{
    std::uint8_t state = 0;
    const Outcome outcome = readByte(link, PanelCommand::CardState, state);
    if (outcome == Outcome::Read)
        status = state <= 1 ? state : 2;
    return outcome;
}

Outcome commandMatrix(Link &link, PanelConfig &config)
{
    // The panel answers with the complement of the byte it holds.
    return readIndexed(link, PanelCommand::CommandMatrix, config.CommandMatrix,
                       [](std::uint8_t byte) { return std::uint8_t(255 - byte); });
}

Outcome functionTypes(Link &link, PanelConfig &config)
{
    return readIndexed(link, PanelCommand::FunctionType, config.FunctionTypes, asIs);
}

Outcome ugaTempo(Link &link, PanelConfig &config)
{
    std::uint8_t tempo = 0;
    const Outcome outcome = readByte(link, PanelCommand::UgaTempo, tempo);
    if (outcome == Outcome::Read)
        config.UgaTempo = tempo;
    return outcome;
}

Outcome aesChoice(Link &link, PanelConfig &config)
{
    return readByte(link, PanelCommand::AesChoice, config.AesChoice);
}

namespace {

template <std::size_t N>
Outcome readBytes(Link &link, PanelCommand command, std::array<std::uint8_t, N> &bytes)
{
    const LinkReply reply = link.request(command);
    const Outcome outcome = outcomeOf(reply, N);
    if (outcome == Outcome::Read)
        std::copy_n(reply.data.begin(), N, bytes.begin());
    return outcome;
}

} // namespace

Outcome version(Link &link, PanelCommand command, std::array<std::uint8_t, 2> &version)
{
    return readBytes(link, command, version);
}

Outcome serialNumber(Link &link, PanelCommand command, std::array<std::uint8_t, 3> &serial)
{
    return readBytes(link, command, serial);
}

Outcome identity(Link &link, Board board, QString &version, std::optional<QString> &serial)
{
    const bool panel = board == Board::Panel;
    std::array<std::uint8_t, 2> versionBytes{};
    std::array<std::uint8_t, 3> serialBytes{};
    if (const Outcome outcome = Reads::version(
            link, panel ? PanelCommand::PanelVersion : PanelCommand::CardVersion, versionBytes);
        outcome != Outcome::Read)
        return outcome;
    if (const Outcome outcome =
            serialNumber(link, panel ? PanelCommand::PanelSerial : PanelCommand::CardSerial, serialBytes);
        outcome != Outcome::Read)
        return outcome;
    version = QStringLiteral("%1.%2").arg(versionBytes[0]).arg(versionBytes[1]);
    const SerialNumber number{serialBytes};
    serial = number.isStored() ? std::optional<QString>(number.digits(QLocale::c())) : std::nullopt;
    return Outcome::Read;
}

} // namespace Reads
