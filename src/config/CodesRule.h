#pragma once

#include <QString>

#include <array>
#include <cstdint>

// The rule the two access codes meet before they leave the editor: each one complete
// (isCompleteCode(): four code letters), and the two different, since the panel tells its levels
// apart by their codes. Who applies which part:
// - the send refuses both faults, a short code first;
// - Save refuses short codes only (a file may keep two equal codes, and the send refuses them);
// - the editor checks the box just left for a short code, then the two for equal ones.
namespace CodesRule {

enum class Fault : std::uint8_t { None, TooShort, Equal };

// What a pair of codes (level 2, level 3) breaks.
struct Check
{
    std::array<bool, 2> incomplete{}; // per box
    bool equal = false;

    // The fault to tell first: a short code before two equal ones; None when the codes pass.
    Fault first() const;
};

Check check(const std::array<QString, 2> &codes);

// What the installer is told of a fault: Messages::codesTooShort() or codesEqual(); empty for
// None.
QString message(Fault fault);

} // namespace CodesRule
