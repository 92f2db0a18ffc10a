#include "diagreads/Measurements.h"

#include "config/NumberMask.h"

#include <algorithm>
#include <cmath>

namespace Measurements {

namespace {
constexpr double kConverterFullScale = 1023.0; // raw reading for 5 V
constexpr double kConverterVolts = 5.0;
constexpr double kSenseOhms = 33.2;
constexpr double kSupplyDivider = 4.9;
constexpr double kAesDivider = 13.0;

double converterVolts(int raw) { return raw / kConverterFullScale * kConverterVolts; }
} // namespace

std::optional<double> loopLoad(int raw)
{
    if (raw < 0 || raw > kMaxLoopRaw)
        return std::nullopt;
    const double load = converterVolts(raw) * 1000.0 / kSenseOhms;
    return load > kLoopFullScale ? kLoopFullScale : load;
}

QString loopLoadText(double milliamps, const QLocale &locale)
{
    if (milliamps >= kLoopFullScale)
        return QStringLiteral(">=100 mA");
    return NumberMask::format(milliamps, u"##0.0", locale) + QStringLiteral(" mA");
}

QString versionText(std::uint8_t major, std::uint8_t minor, const QLocale &locale)
{
    return DiagReads::caption(DiagRead::PanelVersion) + QStringLiteral(" = ") +
           NumberMask::format(major, u"#0", locale) + QLatin1Char('.') +
           NumberMask::format(minor, u"#0", locale);
}

double readingValue(Reading::Kind kind, int raw)
{
    switch (kind) {
    case Reading::Kind::Supply:
        return converterVolts(raw) * kSupplyDivider;
    case Reading::Kind::Aes:
        return converterVolts(raw) * kAesDivider;
    case Reading::Kind::SounderLine:
        return converterVolts(raw);
    }
    return 0.0;
}

std::optional<QString> readingText(const Reading &reading, int raw, const QLocale &locale)
{
    if (raw < 0)
        return std::nullopt;
    const double value = readingValue(reading.kind, raw);
    const bool amperes = reading.kind == Reading::Kind::SounderLine;
    return DiagReads::caption(reading.read) + QStringLiteral(" = ") +
           NumberMask::format(value, amperes ? u"##0.000" : u"##0,0", locale) +
           (amperes ? QStringLiteral(" A") : QStringLiteral(" v"));
}

} // namespace Measurements
