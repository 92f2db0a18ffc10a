#pragma once

// Standard error as a terminal, the one thing of the console that differs between systems. One
// system's way per source file, chosen by the build (TerminalPosix.cpp, TerminalWindows.cpp).
namespace Terminal {

// Prepares standard error for the progress line and the messages, and says whether it is a
// terminal that can redraw a line in place ("\r" and the erase-line sequence) and show UTF-8.
bool prepareStandardError();
// The terminal's width in columns, 80 when it cannot be told.
int columns();

} // namespace Terminal
