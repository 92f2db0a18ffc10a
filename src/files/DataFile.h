#pragma once

#include "config/PanelConfig.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
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

// What is wrong with a line: the format's faults, then the values the editor cannot show.
enum class Fault {
    None,
    WrongMark,       // the first line is not the mark expected
    MissingLine,     // the file ends before this line
    NotAByte,        // not a whole number from 0 to 255
    NotACodeLetter,  // a code character other than 65, 66 or 67 ("A", "B", "C")
    NotZeroOrOne,    // the card presence, the 12 V mode or the AES choice
    CommandBits,     // a command byte with both UGA bits set, or a bit above the three functions
    AlarmMode,       // an alarm mode above 2
    UnpairedDouble,  // double detection on one loop of a pair (1-2, 3-4, 5-6, 7-8) only
    FunctionType,    // a function type above 5 (RSC_UGA)
    AuxContact,      // the auxiliary contact on a type other than RSC_UGA
    GroupedFirst,    // grouping or the active button on function 1, which has neither
    ActiveUngrouped, // the active button without the grouped command
};

// A fault and the line it is on (1 for the mark).
struct Problem
{
    int line = 0;
    Fault fault = Fault::None;
    bool operator==(const Problem &) const = default;
};

struct ParseResult
{
    std::optional<PanelConfig> content; // no UGA tempo
    ParseError error = ParseError::None;
    Problem problem;  // where and why the file was refused, when Incompatible
    QByteArray field; // the text of the problem's field, blanks trimmed (none for a missing one)
    // Each field read, blanks trimmed, and the line it was read from, the mark first: fields that
    // share a line (separated by commas) part field and line numbers.
    QList<QByteArray> fields;
    QList<int> lines;
    bool ok() const { return content.has_value(); }
};

// The first value the editor's controls cannot hold, with its line in a file written by format()
// (or the first line of a pair); none when the editor can show every value: shown (with the card
// present) and computed back from the controls, it gives the same value; the card presence is 0
// or 1. The card's items are checked whether the card is present or not, since a file saved with
// the card absent still carries them. A file the editor cannot show as it is would otherwise leave
// the editor showing a mix of two configurations, and a later save would write other values.
std::optional<Problem> unshowable(const PanelConfig &config);
inline bool editorCanShow(const PanelConfig &config) { return !unshowable(config); }

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

// A file as Open and Import take it: parsed, and then refused (Incompatible, with the problem on
// the file's own line) when the editor cannot show one of its values.
ParseResult parseShowable(QByteArrayView bytes, Version expected);

} // namespace DataFile
