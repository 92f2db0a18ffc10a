#pragma once

#include <QString>

#include <optional>

// Who a panel is, as it says of itself before any item is read: the serial number and program
// version of the ECS and, when its card is present and working, of the card. A serial number is
// the digits the diagnostic shows ("020712345"); none when the panel stores none.
struct PanelIdentity
{
    std::optional<QString> serialNumber;
    QString version; // major.minor, as the panel reports it
    bool cardRead = false;
    std::optional<QString> cardSerialNumber;
    QString cardVersion;
    bool emulated = false; // the built-in "ECS simulée", which no site holds

    bool operator==(const PanelIdentity &) const = default;

    // "ECS N° 020712345", or "ECS sans numéro de série".
    QString panelName() const
    {
        return serialNumber ? QStringLiteral("ECS N° %1").arg(*serialNumber)
                            : QStringLiteral("ECS sans numéro de série");
    }
};
