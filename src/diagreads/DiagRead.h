#pragma once

#include <QString>

#include <cstddef>
#include <iterator>

// What the diagnostic reads and shows, one text each, apart from the loop loads: the versions,
// serial numbers and voltages of the panel and of its UP card. Each has a key for programs (the
// JSON of torva-cli's diag, within its board's object) and a caption for people, the words before
// " = " in the text shown. The window places each where it shows it; the command line lists
// them in this order, the panel's then the card's.
enum class DiagRead {
    PanelVersion,
    PanelSerial,
    PanelServiceVolts,
    PanelBatteryVolts,
    PanelChargerVolts,
    CardPresent,
    CardSerial,
    CardVersion,
    CardBatteryVolts,
    CardChargerVolts,
    CardAesVolts,
    CardSounderLine1Amperes,
    CardSounderLine2Amperes,
};

namespace DiagReads {

enum class Board { Panel, Card };

// One read: its board, its key ("batteryVolts"; empty for the card's presence, which a program
// reads as the card's object being there) and its caption ("Tension de Batterie").
struct Entry
{
    DiagRead read;
    Board board;
    const char *key;
    const char16_t *caption;
};

inline constexpr Entry kEntries[] = {
    {DiagRead::PanelVersion, Board::Panel, "version", u"Version du programme"},
    {DiagRead::PanelSerial, Board::Panel, "serialNumber", u"N° de Série"},
    {DiagRead::PanelServiceVolts, Board::Panel, "serviceVolts", u"Tension de service"},
    {DiagRead::PanelBatteryVolts, Board::Panel, "batteryVolts", u"Tension de Batterie"},
    {DiagRead::PanelChargerVolts, Board::Panel, "chargerVolts", u"Tension du Chargeur"},
    {DiagRead::CardPresent, Board::Card, "", u"Carte Présente"},
    {DiagRead::CardSerial, Board::Card, "serialNumber", u"N° de Série"},
    {DiagRead::CardVersion, Board::Card, "version", u"Version du programme"},
    {DiagRead::CardBatteryVolts, Board::Card, "batteryVolts", u"Tension de Batterie"},
    {DiagRead::CardChargerVolts, Board::Card, "chargerVolts", u"Tension du Chargeur"},
    {DiagRead::CardAesVolts, Board::Card, "aesVolts", u"Tension AES"},
    {DiagRead::CardSounderLine1Amperes, Board::Card, "sounderLine1Amperes", u"Charge ligne diffuseurs 1"},
    {DiagRead::CardSounderLine2Amperes, Board::Card, "sounderLine2Amperes", u"Charge ligne diffuseurs 2"},
};

// Each read at its own index, so that entry() finds it there.
constexpr bool entriesInOrder()
{
    for (std::size_t i = 0; i < std::size(kEntries); ++i)
        if (std::size_t(kEntries[i].read) != i)
            return false;
    return true;
}
static_assert(entriesInOrder());

constexpr const Entry &entry(DiagRead read) { return kEntries[int(read)]; }
inline QString key(DiagRead read) { return QLatin1String(entry(read).key); }
inline QString caption(DiagRead read) { return QString::fromUtf16(entry(read).caption); }

} // namespace DiagReads
