#include "config/NumberMask.h"

#include <cmath>

namespace NumberMask {

namespace {

struct Layout
{
    int minIntegerDigits = 0; // count of "0" before the decimal point
    int decimals = 0;         // placeholders after the decimal point
    bool grouping = false;    // a "," between integer placeholders
};

Layout parse(QStringView mask)
{
    Layout layout;
    bool inDecimals = false;
    for (QChar c : mask) {
        if (c == u'.') {
            inDecimals = true;
        } else if (c == u',') {
            if (!inDecimals)
                layout.grouping = true;
        } else if (c == u'0' || c == u'#') {
            if (inDecimals)
                ++layout.decimals;
            else if (c == u'0')
                ++layout.minIntegerDigits;
        }
    }
    return layout;
}

// Rounds |value| × 10^decimals to a whole number, a half going up. A product that misses the
// half only by the error of the binary representation (1.005 is stored as 1.00499...) still
// counts as a half, as the decimal number the installer reads would.
double roundedMagnitude(double value, int decimals)
{
    constexpr double kHalfTolerance = 1e-9;
    const double scaled = std::abs(value) * std::pow(10.0, decimals);
    const double whole = std::floor(scaled);
    return (scaled - whole >= 0.5 - kHalfTolerance) ? whole + 1 : whole;
}

} // namespace

QString format(double value, QStringView mask, const QLocale &locale)
{
    const Layout layout = parse(mask);
    if (!std::isfinite(value))
        return locale.toString(value);

    const double magnitude = roundedMagnitude(value, layout.decimals);
    QString digits = QString::number(magnitude, 'f', 0);
    // Enough digits for the decimals and the mandatory integer digits.
    const int minDigits = layout.decimals + layout.minIntegerDigits;
    if (digits.size() < minDigits)
        digits = QString(minDigits - digits.size(), u'0') + digits;

    QString integerPart = digits.left(digits.size() - layout.decimals);
    const QString decimalPart = digits.right(layout.decimals);

    if (layout.grouping) {
        const QString separator = locale.groupSeparator();
        for (qsizetype pos = integerPart.size() - 3; pos > 0; pos -= 3)
            integerPart.insert(pos, separator);
    }

    QString text = integerPart;
    if (layout.decimals > 0)
        text += locale.decimalPoint() + decimalPart;
    // Zero after rounding carries no sign.
    if (value < 0 && magnitude != 0)
        text.prepend(locale.negativeSign());
    return text;
}

} // namespace NumberMask
