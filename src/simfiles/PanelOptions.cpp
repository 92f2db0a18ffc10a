#include "simfiles/PanelOptions.h"

#include "files/DataFile.h"
#include "simfiles/PanelStateConfig.h"

#include <QStringList>

#include <array>
#include <utility>

namespace {

const std::array<std::pair<const char *, Fault>, 11> kFaults{{
    {"silence", Fault::Silence},
    {"wrong-start", Fault::WrongStartByte},
    {"length-too-long", Fault::LengthTooLong},
    {"length-too-short", Fault::LengthTooShort},
    {"wrong-echo", Fault::WrongEcho},
    {"bad-sum", Fault::BadSum},
    {"short-reply", Fault::ShortReply},
    {"stray-bytes", Fault::StrayBytesBefore},
    {"wrong-data-count", Fault::WrongDataCount},
    {"missing-data-byte", Fault::MissingDataByte},
    {"read-back-differs", Fault::ReadBackDiffers},
}};

// An empty part or "*" is -1 (any); otherwise a whole number from 0 to `max`.
std::optional<int> number(const QString &part, int max)
{
    if (part.isEmpty() || part == QLatin1String("*"))
        return -1;
    bool ok = false;
    const int value = part.toInt(&ok);
    if (!ok || value < 0 || value > max)
        return std::nullopt;
    return value;
}

} // namespace

namespace PanelOptions {

std::optional<FaultRule> parseFault(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() > 4)
        return std::nullopt;
    FaultRule rule;
    bool known = false;
    for (const auto &[name, fault] : kFaults)
        if (parts[0] == QLatin1String(name)) {
            rule.fault = fault;
            known = true;
        }
    if (!known)
        return std::nullopt;
    const auto command = number(parts.value(1), 255);
    const auto index = number(parts.value(2), 255);
    const auto times = number(parts.value(3), 1'000'000);
    if (!command || !index || !times || *times == 0)
        return std::nullopt;
    rule.command = *command;
    rule.index = *index;
    rule.times = *times;
    return rule;
}

bool loadDataFile(QByteArrayView bytes, PanelState &state)
{
    DataFile::ParseResult parsed = DataFile::parse(bytes, DataFile::Version::V2);
    if (parsed.error == DataFile::ParseError::Version1File)
        parsed = DataFile::parse(bytes, DataFile::Version::V1);
    if (!parsed.ok())
        return false;
    putConfig(*parsed.content, state);
    return true;
}

QByteArray dataFileOf(const PanelState &state) { return DataFile::format(configOf(state)); }

} // namespace PanelOptions
