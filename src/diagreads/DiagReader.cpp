#include "diagreads/DiagReader.h"

#include "config/Session.h"
#include "diagreads/Measurements.h"
#include "link/Link.h"

namespace {

constexpr std::uint8_t kLoopLoadSubCode = 4; // a panel measurement with 4 and a loop index

} // namespace

DiagReader::DiagReader(Link &link, Session &session, bool cardDeclared)
    : m_link(link), m_session(session), m_cardDeclared(cardDeclared)
{}

DiagReader::Opening DiagReader::readOpening(const ShowFn &show)
{
    Opening opening;
    opening.outcome = readOpeningInto(opening, show);
    return opening;
}

DiagReader::Outcome DiagReader::readOpeningInto(Opening &opening, const ShowFn &show)
{
    const auto accept = [&](DiagRead read, const QString &text) {
        opening.shown << Shown::of(read, text);
        if (show)
            show(opening.shown.last());
    };
    // The panel on the line may not be the one read earlier in this run.
    m_session.PanelVersion.reset();
    m_session.PanelSerial.reset();
    QString version;
    QString serial;
    if (const Outcome outcome = readVersion(PanelCommand::PanelVersion, version, opening.panel.version);
        outcome != Outcome::Read)
        return outcome;
    accept(DiagRead::PanelVersion, version);
    if (const Outcome outcome = readSerial(PanelCommand::PanelSerial, serial, opening.panel.serial);
        outcome != Outcome::Read)
        return outcome;
    accept(DiagRead::PanelSerial, serial);
    // Kept for the configuration sheet, which records the panel it was made on: both or neither,
    // so that a half-read panel never pairs with an earlier panel's serial number.
    m_session.PanelVersion = version;
    m_session.PanelSerial = serial;

    if (!m_cardDeclared || Reads::upCardState(m_link, m_session.UpCardStatus) != Outcome::Read ||
        m_session.UpCardStatus != 1)
        return Outcome::Read;
    opening.cardShown = true;
    if (const Outcome outcome = readVersion(PanelCommand::CardVersion, version, opening.card.version);
        outcome != Outcome::Read)
        return outcome;
    accept(DiagRead::CardVersion, version);
    accept(DiagRead::CardPresent, DiagReads::caption(DiagRead::CardPresent) + QStringLiteral(" = oui"));
    if (const Outcome outcome = readSerial(PanelCommand::CardSerial, serial, opening.card.serial);
        outcome != Outcome::Read)
        return outcome;
    accept(DiagRead::CardSerial, serial);
    return Outcome::Read;
}

DiagReader::Result DiagReader::readCycle(const ShowFn &show)
{
    Result cycle;
    const auto accept = [&](const Shown &shown) {
        cycle.shown << shown;
        if (show)
            show(shown);
    };
    for (int k = 0; k < kLoops; ++k) {
        cycle.outcome = ReadLoopLoad(k);
        if (cycle.outcome != Outcome::Read)
            return cycle;
        accept(Shown::inLoop(k, Measurements::loopLoadText(LoopLoads[std::size_t(k)])));
    }
    const auto readEach = [&](const auto &readings) {
        for (const Measurements::Reading &reading : readings) {
            int raw = 0;
            cycle.outcome = readRaw(reading.command, {reading.subCode}, raw);
            if (cycle.outcome != Outcome::Read)
                return false;
            const auto text = Measurements::readingText(reading, raw);
            if (!text) {
                cycle.outcome = Outcome::Refused;
                return false;
            }
            cycle.values << Value{reading.read, Measurements::readingValue(reading.kind, raw)};
            accept(Shown::of(reading.read, *text));
        }
        return true;
    };
    // The card is polled whenever the configuration says it is present, even when its frame
    // is hidden because it did not report itself operational.
    if (readEach(Measurements::kPanelReadings) && m_cardDeclared)
        readEach(Measurements::kCardReadings);
    return cycle;
}

DiagReader::Outcome DiagReader::ReadLoopLoad(int k)
{
    int raw = 0;
    const Outcome outcome = readRaw(PanelCommand::PanelMeasurement, {kLoopLoadSubCode, std::uint8_t(k)}, raw);
    if (outcome != Outcome::Read)
        return outcome;
    const auto load = Measurements::loopLoad(raw);
    if (!load)
        return Outcome::Refused;
    LoopLoads[std::size_t(k)] = *load;
    return Outcome::Read;
}

void DiagReader::writePanelSerial(const SerialNumber &serial)
{
    if (m_link.wakeUp())
        m_link.request(PanelCommand::WritePanelSerial, {serial.bytes[0], serial.bytes[1], serial.bytes[2]});
}

DiagReader::Outcome DiagReader::exchange(PanelCommand command, std::initializer_list<std::uint8_t> data,
                                         std::size_t expected, std::vector<std::uint8_t> &reply)
{
    LinkReply answer = m_link.request(command, data);
    const Outcome outcome = Reads::outcomeOf(answer, expected);
    if (outcome == Outcome::Read)
        reply = std::move(answer.data);
    return outcome;
}

// Two bytes, major and minor.
DiagReader::Outcome DiagReader::readVersion(PanelCommand command, QString &text,
                                            std::array<std::uint8_t, 2> &version)
{
    std::vector<std::uint8_t> reply;
    const Outcome outcome = exchange(command, {}, 2, reply);
    if (outcome == Outcome::Read) {
        version = {reply[0], reply[1]};
        text = Measurements::versionText(reply[0], reply[1]);
    }
    return outcome;
}

DiagReader::Outcome DiagReader::readSerial(PanelCommand command, QString &text, SerialNumber &serial)
{
    std::vector<std::uint8_t> reply;
    const Outcome outcome = exchange(command, {}, 3, reply);
    if (outcome == Outcome::Read) {
        serial = SerialNumber{{reply[0], reply[1], reply[2]}};
        text = serial.text();
    }
    return outcome;
}

// The two reply bytes, low byte first, as the signed 16-bit raw value; the high byte is judged
// by the measurement.
DiagReader::Outcome DiagReader::readRaw(PanelCommand command, std::initializer_list<std::uint8_t> data,
                                        int &raw)
{
    std::vector<std::uint8_t> reply;
    const Outcome outcome = exchange(command, data, 2, reply);
    if (outcome == Outcome::Read)
        raw = std::int16_t(std::uint16_t(reply[1] << 8 | reply[0]));
    return outcome;
}
