#pragma once

#include <QByteArrayView>

// Standard output and standard error as the system shows them, the one thing of the console that
// differs between systems. One system's way per source file, chosen by the build (posix/,
// windows/).
namespace Terminal {

enum class Stream { Output, Error };

// How standard error redraws the progress line in place.
enum class LineRedraw {
    None,          // not a terminal (a file, a pipe): no progress line
    EraseSequence, // "\r", then the erase-line sequence
    Blanks,        // "\r", then blanks over what the line held: a console that shows escape sequences
};

// Prepares standard error for the progress line and the messages, and says how it redraws a line.
LineRedraw prepareStandardError();
// The terminal's width in columns, 80 when it cannot be told.
int columns();
// Writes `utf8` to `stream` at once: a console is given its characters, a file or a pipe the bytes
// as they are.
void write(Stream stream, QByteArrayView utf8);

} // namespace Terminal
