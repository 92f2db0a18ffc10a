#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

// The number masks of the diagnostic texts ("#0", "00", "00000", "##0.0", "##0,0", "##0.000").
//
// "0" is a digit always shown, "#" a digit shown only when significant; a "." among the
// placeholders starts the decimals; a "," between integer placeholders asks for thousands
// grouping. The number is first brought to the mask's decimals by rounding half away from zero.
// The separators are the locale's, so on a French system "##0.0" shows 44.16 as "44,2".
namespace NumberMask {

QString format(double value, QStringView mask, const QLocale &locale = QLocale());

} // namespace NumberMask
