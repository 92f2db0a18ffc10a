#pragma once

#include "config/PanelConfig.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// The ".dat" format, with no file and no widget: bytes in, bytes out. A file holds a
// configuration's items, its two access codes and the card presence; not the UGA tempo.
//
// A version-2 file is 33 lines ended by CR LF: the mark "TORVA_DATA_V2", then one number per line
// written " n " (a blank, the decimal value, a blank): each loop's command byte followed by its
// alarm mode, the three function type bytes, the two relay masks, the 12 V mode, the AES choice,
// the character codes of the two access codes interleaved position by position (level 2 first),
// and the UP card presence. A version-1 file has the mark "TORVA_DATA" and stops after the codes.
namespace DataFile {

inline constexpr char kMarkV2[] = "TORVA_DATA_V2";
inline constexpr char kMarkV1[] = "TORVA_DATA";
// A real data file is a few hundred bytes; nothing past this is looked at, so that a huge or
// endless file chosen by mistake cannot swallow the memory.
constexpr qint64 kMaxReadBytes = 16 * 1024;

enum class Version { V2, V1 };
enum class ParseError { None, Version1File, Incompatible };

struct ParseResult
{
    std::optional<PanelConfig> content; // no UGA tempo
    ParseError error = ParseError::None;
    bool ok() const { return content.has_value(); }
};

// True when every value is one the editor's controls can hold: shown (with the card present)
// and computed back from the controls, it gives the same value; the card presence is 0 or 1.
// The card's items are checked whether the card is present or not, since a file saved with the
// card absent still carries them. A file the editor cannot show as it is would otherwise leave
// the editor showing a mix of two configurations, and a later save would write other values.
bool editorCanShow(const PanelConfig &config);

// The bytes of a version-2 file. Both codes must be complete (isCompleteCode()).
QByteArray format(const PanelConfig &config);

// Reads a whole file of the given version and checks every value before giving anything back.
// Fields end at a line end (CR LF, LF or CR) or at a comma; blanks around a value are ignored; a
// UTF-8 byte-order mark is skipped. Every value must be a whole number 0 to 255 and every code
// character 65, 66 or 67; a missing field fails; anything after the last field is ignored.
// Whether the editor can show the values is editorCanShow()'s question, not the format's.
// When a version-2 file is expected, the version-1 mark gives ParseError::Version1File; a
// version-1 file parses with the card present.
ParseResult parse(QByteArrayView bytes, Version expected);

} // namespace DataFile
