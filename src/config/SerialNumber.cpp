#include "config/SerialNumber.h"

#include "config/NumberMask.h"

namespace {

std::optional<int> wholeNumber(const QString &text, int max)
{
    bool ok = false;
    const QString trimmed = text.trimmed();
    // Digits only: no sign, no decimals, no exponent.
    for (QChar c : trimmed)
        if (!c.isDigit() || c.unicode() > 0x7F)
            return std::nullopt;
    const int value = trimmed.toInt(&ok);
    if (!ok || value > max)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<SerialNumber> SerialNumber::fromFields(const QString &a, const QString &b, const QString &n)
{
    const auto fieldA = wholeNumber(a, kMaxA);
    const auto fieldB = wholeNumber(b, kMaxB);
    const auto count = wholeNumber(n, kMaxCounter);
    if (!fieldA || !fieldB || !count)
        return std::nullopt;
    SerialNumber serial;
    serial.bytes = {std::uint8_t(*fieldA * 32 + *fieldB), std::uint8_t(*count % 256),
                    std::uint8_t(*count / 256)};
    return serial;
}

QString SerialNumber::text(const QLocale &locale) const
{
    if (!isStored())
        return QStringLiteral("N° de Série = Non Disponible");
    return QStringLiteral("N° de Série =") + digits(locale);
}

QString SerialNumber::digits(const QLocale &locale) const
{
    return NumberMask::format(fieldA(), u"00", locale) + NumberMask::format(fieldB(), u"00", locale) +
           NumberMask::format(counter(), u"00000", locale);
}
