#pragma once

#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// A serial number as the panel and its UP card store it, in three bytes b0, b1, b2:
// b0 = A × 32 + B (A in bits 7-5, B in bits 3-0), and the counter N = b2 × 256 + b1.
// b2 = 255 means that no serial number is stored.
struct SerialNumber
{
    std::array<std::uint8_t, 3> bytes{};

    static constexpr int kMaxA = 7;
    static constexpr int kMaxB = 15;
    static constexpr int kMaxCounter = 254 * 256 + 255; // b2 = 255 would read "not stored"

    // The installer's three fields (A, B, N), each a whole number in its range; empty when one
    // of them is not, so that nothing malformed is ever written to the panel.
    static std::optional<SerialNumber> fromFields(const QString &a, const QString &b, const QString &n);

    bool isStored() const { return bytes[2] != 255; }
    // A as the panel's own display computes it: (b0 AND 0xF0) / 32, so bit 4 adds a half.
    double fieldA() const { return (bytes[0] & 0xF0) / 32.0; }
    int fieldB() const { return bytes[0] & 0x0F; }
    int counter() const { return bytes[2] * 256 + bytes[1]; }

    // "N° de Série =030312345", or "N° de Série = Non Disponible" when none is stored.
    QString text(const QLocale &locale = QLocale()) const;
    // The number the text shows ("030312345"), whatever it says when none is stored.
    QString digits(const QLocale &locale = QLocale()) const;
};
