#include "cli/Terminal.h"

#include <windows.h>

namespace Terminal {

bool prepareStandardError()
{
    // The messages are written as UTF-8 ("Pas de réponse de l'ECS !"); a console shows them right
    // only in that code page. Redirected, the bytes go out as they are.
    ::SetConsoleOutputCP(CP_UTF8);
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (error == INVALID_HANDLE_VALUE || !::GetConsoleMode(error, &mode))
        return false; // not a console: a file or a pipe
    // The progress line is redrawn with "\r" and the erase-line sequence, which a console
    // understands once asked to; one that cannot gets no progress line.
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) ||
           ::SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

int columns()
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (::GetConsoleScreenBufferInfo(::GetStdHandle(STD_ERROR_HANDLE), &info)) {
        const int width = info.srWindow.Right - info.srWindow.Left + 1;
        if (width > 0)
            return width;
    }
    return 80;
}

} // namespace Terminal
