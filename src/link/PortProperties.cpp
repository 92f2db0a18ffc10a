#include "link/PortProperties.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

const QRegularExpression kComName(QStringLiteral("^COM([1-9][0-9]{0,2})$"),
                                  QRegularExpression::CaseInsensitiveOption);
const QRegularExpression kComSuffix(QStringLiteral("\\s*\\((COM[1-9][0-9]{0,2})\\)\\s*$"),
                                    QRegularExpression::CaseInsensitiveOption);

// An FTDI or similar adapter's serial number, as its instance id carries it after the product id:
// "FTDIBUS\VID_0403+PID_6001+A50285BIA\0000" gives "A50285BI" (FTDI adds the port's letter "A").
QString serialOf(const DeviceProperties &device)
{
    static const QRegularExpression ftdi(
        QStringLiteral("^FTDIBUS\\\\VID_[0-9A-F]{4}\\+PID_[0-9A-F]{4}\\+([0-9A-Z]+)A\\\\"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression usb(
        QStringLiteral("^USB\\\\VID_[0-9A-F]{4}&PID_[0-9A-F]{4}\\\\([0-9A-Z]{4,})$"),
        QRegularExpression::CaseInsensitiveOption);
    for (const QRegularExpression *pattern : {&ftdi, &usb})
        if (const QRegularExpressionMatch match = pattern->match(device.instanceId); match.hasMatch())
            return match.captured(1);
    return {};
}

int comNumber(const QString &location) { return kComName.match(location).captured(1).toInt(); }

} // namespace

std::optional<DetectedPort> portFromProperties(const DeviceProperties &device)
{
    QString location = device.portName.trimmed().toUpper();
    const QRegularExpressionMatch suffix = kComSuffix.match(device.friendlyName);
    if (!kComName.match(location).hasMatch() && suffix.hasMatch())
        location = suffix.captured(1).toUpper();
    if (!kComName.match(location).hasMatch())
        return std::nullopt;
    QString description = device.friendlyName;
    if (suffix.hasMatch())
        description.truncate(suffix.capturedStart());
    return DetectedPort{location, description.trimmed(), device.manufacturer.trimmed(), serialOf(device)};
}

QList<DetectedPort> mergedPorts(const QList<DetectedPort> &described, const QList<DetectedPort> &listed)
{
    QList<DetectedPort> ports;
    const auto known = [&ports](const QString &location) {
        return std::any_of(ports.cbegin(), ports.cend(), [&location](const DetectedPort &p) {
            return p.location.compare(location, Qt::CaseInsensitive) == 0;
        });
    };
    for (const QList<DetectedPort> *source : {&described, &listed})
        for (const DetectedPort &port : *source)
            if (!known(port.location))
                ports.append(port);
    std::stable_sort(ports.begin(), ports.end(), [](const DetectedPort &a, const DetectedPort &b) {
        return comNumber(a.location) < comNumber(b.location);
    });
    return ports;
}
