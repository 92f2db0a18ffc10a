#pragma once

#include "diagreads/DiagRead.h"
#include "link/PanelCommand.h"

#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// The panel's measurements, from the raw reading of its 10-bit converter (1023 for 5 V) to the
// value and the text shown in the diagnostic window. No protocol and no widget here.
namespace Measurements {

// Highest raw loop reading the panel's load computation handles (raw × 5 must fit 16 bits).
constexpr int kMaxLoopRaw = 6553;
constexpr double kLoopFullScale = 100.0; // mA
constexpr double kLoopHigh = 20.0;       // mA: from here the bar is red
constexpr double kLoopLow = 0.0;         // mA: down to here the bar is yellow

// Raw values are the two reply bytes read as a signed 16-bit number: a negative one (high byte
// 128 or more) is out of the converter's range and has no value.

// Loop load in mA: the voltage across the 33.2 Ω sense resistor, at most 100. Empty for a raw
// reading the panel's arithmetic does not cover (negative or above 6553).
std::optional<double> loopLoad(int raw);
// ">=100 mA" at full scale, else "44,2 mA".
QString loopLoadText(double milliamps, const QLocale &locale = QLocale());

// Version text: "Version du programme = 3.0".
QString versionText(std::uint8_t major, std::uint8_t minor, const QLocale &locale = QLocale());

// One of the voltages or sounder-line loads polled each cycle after the loops.
struct Reading
{
    enum class Kind { Supply, Aes, SounderLine };
    PanelCommand command; // the panel's measurement, or the UP card's
    std::uint8_t subCode; // the request's data byte
    DiagRead read;        // what it is: its caption is written before " = " and the number
    Kind kind;
};

// In the order they are polled: the panel's three voltages, then the UP card's five readings.
inline constexpr std::array<Reading, 3> kPanelReadings{{
    {PanelCommand::PanelMeasurement, 0, DiagRead::PanelServiceVolts, Reading::Kind::Supply},
    {PanelCommand::PanelMeasurement, 2, DiagRead::PanelBatteryVolts, Reading::Kind::Supply},
    {PanelCommand::PanelMeasurement, 3, DiagRead::PanelChargerVolts, Reading::Kind::Supply},
}};
inline constexpr std::array<Reading, 5> kCardReadings{{
    {PanelCommand::CardMeasurement, 2, DiagRead::CardBatteryVolts, Reading::Kind::Supply},
    {PanelCommand::CardMeasurement, 5, DiagRead::CardChargerVolts, Reading::Kind::Supply},
    {PanelCommand::CardMeasurement, 4, DiagRead::CardAesVolts, Reading::Kind::Aes},
    {PanelCommand::CardMeasurement, 0, DiagRead::CardSounderLine1Amperes, Reading::Kind::SounderLine},
    {PanelCommand::CardMeasurement, 1, DiagRead::CardSounderLine2Amperes, Reading::Kind::SounderLine},
}};

// The value of a reading in volts or amperes: supplies through a divider of 4.9 (24.5 V full
// scale), the AES through 13 (65 V), a sounder line at 1 A per volt (5 A).
double readingValue(Reading::Kind kind, int raw);
// The text shown: caption, number, unit ("Tension de service = 25 v", "... = 5,000 A"); empty
// for a negative raw value.
std::optional<QString> readingText(const Reading &reading, int raw, const QLocale &locale = QLocale());

} // namespace Measurements
