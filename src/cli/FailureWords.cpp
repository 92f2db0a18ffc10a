#include "cli/FailureWords.h"

#include "diagreads/Measurements.h"
#include "link/Link.h"
#include "link/ReplyFault.h"

namespace {

// The measurement a request asks for, by its caption ("Tension de Batterie").
QString readingName(const auto &readings, std::uint8_t subCode)
{
    for (const Measurements::Reading &reading : readings)
        if (reading.subCode == subCode)
            return DiagReads::caption(reading.read);
    return {};
}

} // namespace

namespace FailureWords {

QString elementOf(const Link &link)
{
    const LinkRequest &request = link.lastRequest();
    const auto dataByte = [&request](std::size_t i) { return i < request.data.size() ? request.data[i] : 0; };
    const int index = dataByte(0);
    switch (request.command) {
    case PanelCommand::AlarmMode:
    case PanelCommand::WriteAlarmMode:
    case PanelCommand::CommandMatrix:
    case PanelCommand::WriteCommandMatrix:
        return QStringLiteral("boucle %1").arg(index + 1);
    case PanelCommand::Relay:
    case PanelCommand::WriteRelay:
        return QStringLiteral("relais %1").arg(index + 1);
    case PanelCommand::FunctionType:
    case PanelCommand::WriteFunctionType:
        return QStringLiteral("fonction %1").arg(index + 1);
    case PanelCommand::PanelMeasurement:
        if (index == 4)
            return QStringLiteral("charge boucle %1").arg(dataByte(1) + 1);
        return readingName(Measurements::kPanelReadings, std::uint8_t(index));
    case PanelCommand::CardMeasurement:
        return readingName(Measurements::kCardReadings, std::uint8_t(index)) +
               QStringLiteral(" de la carte UGA/CMSI");
    default:
        return {};
    }
}

QString badByte(const LinkReply &reply)
{
    return QStringLiteral("des octets qui ne forment pas une réponse de l'ECS (%1 faux, octet %2 de la "
                          "réponse, au dernier des %3 essais)")
        .arg(ReplyFault::part(reply.badByte))
        .arg(reply.badBytePosition + 1)
        .arg(Link::kAttempts);
}

} // namespace FailureWords
