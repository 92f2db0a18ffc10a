#pragma once

// The mark a running program of the configurator leaves for the Windows setup and uninstaller,
// which refuse to replace or remove the programs while one of them is open.
namespace RunningMark {

// The name of the mark: a named mutex, in the namespace shared by every session of the computer,
// so that a program open in another user's session counts too.
inline constexpr wchar_t kName[] = L"Global\\TORVA-PC-ouvert";

// Holds the mark for the rest of the run (Windows); elsewhere nothing looks for it and it does
// nothing. Holding it twice is harmless.
void hold();

} // namespace RunningMark
