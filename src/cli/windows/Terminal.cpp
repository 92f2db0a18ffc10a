#include "cli/Terminal.h"

#include <QStringDecoder>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

HANDLE handleOf(Terminal::Stream stream)
{
    return ::GetStdHandle(stream == Terminal::Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool isConsole(HANDLE handle, DWORD &mode)
{
    return handle && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

// Whether the console obeys the erase-line sequence. Some take the virtual-terminal mode and still
// show the sequence as characters (Wine's): the sequence is written on a screen buffer of its own,
// never shown; a console that obeys it leaves the cursor where it was.
bool obeysEraseSequence()
{
    const HANDLE probe =
        ::CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    CONSOLE_TEXTMODE_BUFFER, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return false;
    bool obeys = false;
    DWORD mode = 0;
    CONSOLE_SCREEN_BUFFER_INFO before{};
    CONSOLE_SCREEN_BUFFER_INFO after{};
    static constexpr wchar_t kErase[] = L"\x1b[K";
    DWORD written = 0;
    if (::GetConsoleMode(probe, &mode) &&
        ::SetConsoleMode(probe, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) &&
        ::GetConsoleScreenBufferInfo(probe, &before) &&
        ::WriteConsoleW(probe, kErase, DWORD(std::size(kErase) - 1), &written, nullptr) &&
        ::GetConsoleScreenBufferInfo(probe, &after))
        obeys = before.dwCursorPosition.X == after.dwCursorPosition.X &&
                before.dwCursorPosition.Y == after.dwCursorPosition.Y;
    ::CloseHandle(probe);
    return obeys;
}

} // namespace

namespace Terminal {

LineRedraw prepareStandardError()
{
    const HANDLE error = handleOf(Stream::Error);
    DWORD mode = 0;
    if (!isConsole(error, mode))
        return LineRedraw::None; // a file or a pipe
    // The progress line is redrawn with "\r" and the erase-line sequence, which a console obeys
    // once asked to; one that cannot has its line covered with blanks, and keeps its mode.
    const bool asked = !(mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    if (asked && !::SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
        return LineRedraw::Blanks;
    if (obeysEraseSequence())
        return LineRedraw::EraseSequence;
    if (asked)
        ::SetConsoleMode(error, mode);
    return LineRedraw::Blanks;
}

int columns()
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (::GetConsoleScreenBufferInfo(handleOf(Stream::Error), &info)) {
        const int width = info.srWindow.Right - info.srWindow.Left + 1;
        if (width > 0)
            return width;
    }
    return 80;
}

void write(Stream stream, QByteArrayView utf8)
{
    std::FILE *file = stream == Stream::Output ? stdout : stderr;
    const HANDLE handle = handleOf(stream);
    DWORD mode = 0;
    if (!isConsole(handle, mode)) {
        std::fwrite(utf8.data(), 1, std::size_t(utf8.size()), file);
        std::fflush(file);
        return;
    }
    // A console takes bytes in its own code page, which is seldom UTF-8 ("NÂ° de SÃ©rie"): it is
    // given the characters. What the C library holds for it goes first.
    std::fflush(file);
    // A character cut between two writes waits in its stream's decoder for its other bytes.
    static QStringDecoder decoders[] = {QStringDecoder(QStringDecoder::Utf8),
                                        QStringDecoder(QStringDecoder::Utf8)};
    const QString text = decoders[stream == Stream::Output ? 0 : 1].decode(utf8);
    const auto *characters = reinterpret_cast<const wchar_t *>(text.utf16());
    qsizetype left = text.size();
    while (left > 0) {
        DWORD written = 0;
        if (!::WriteConsoleW(handle, characters, DWORD(std::min<qsizetype>(left, 8192)), &written, nullptr) ||
            written == 0)
            return;
        characters += written;
        left -= written;
    }
}

} // namespace Terminal
