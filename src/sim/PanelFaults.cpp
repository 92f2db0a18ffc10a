#include "sim/PanelFaults.h"

#include "sim/PanelEncoding.h"

using namespace emulated;

std::optional<QByteArray> PanelFaults::spoil(std::uint8_t command, const QByteArray &request,
                                             const QByteArray &replyData)
{
    if (const FaultRule *rule = takeMatching(command, request, !replyData.isEmpty()))
        return spoilt(rule->fault, command, replyData);
    return std::nullopt;
}

const FaultRule *PanelFaults::takeMatching(std::uint8_t command, const QByteArray &request, bool replyHasData)
{
    for (FaultRule &rule : m_rules) {
        if (rule.times == 0)
            continue;
        if (rule.command >= 0 && rule.command != command)
            continue;
        if (rule.index >= 0 && (request.isEmpty() || at(request, 0) != rule.index))
            continue;
        if ((rule.fault == Fault::ReadBackDiffers || rule.fault == Fault::MissingDataByte) && !replyHasData)
            continue; // an acknowledgement carries no value to falsify
        if (rule.times > 0)
            --rule.times;
        return &rule;
    }
    return nullptr;
}

QByteArray PanelFaults::spoilt(Fault fault, std::uint8_t command, QByteArray data)
{
    switch (fault) {
    case Fault::Silence:
        return {};
    case Fault::WrongStartByte:
        return QByteArray(1, char(0x55)) + replyFrame(command, data);
    case Fault::LengthTooLong:
        return replyFrame(command, data, 14);
    case Fault::LengthTooShort:
        return replyFrame(command, data, 4);
    case Fault::WrongEcho:
        return replyFrame(std::uint8_t(command + 1), data);
    case Fault::BadSum: {
        QByteArray frame = replyFrame(command, data);
        frame[frame.size() - 2] = char(std::uint8_t(frame[frame.size() - 2]) + 1);
        return frame;
    }
    case Fault::ShortReply:
        return replyFrame(command, data).chopped(1);
    case Fault::StrayBytesBefore:
        return bytes({0xFF, 0x00, 0x7E}) + replyFrame(command, data);
    case Fault::WrongDataCount:
        return replyFrame(command, data + QByteArray(1, char(0)));
    case Fault::MissingDataByte:
        return replyFrame(command, data.chopped(1));
    case Fault::ReadBackDiffers:
        if (command == std::uint8_t(Code::Matrix))
            data[0] = char(255 - at(data, 0)); // the stored byte instead of its complement
        else if (command == std::uint8_t(Code::AccessCodes) && isLetterCode(at(data, 0)))
            data[0] = char(at(data, 0) == 5 ? 3 : at(data, 0) + 1); // another valid letter
        else
            data[0] = char(at(data, 0) ^ 1);
        return replyFrame(command, data);
    }
    return {};
}
