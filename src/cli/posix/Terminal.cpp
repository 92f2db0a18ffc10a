#include "cli/Terminal.h"

#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace Terminal {

LineRedraw prepareStandardError()
{
    return ::isatty(STDERR_FILENO) ? LineRedraw::EraseSequence : LineRedraw::None;
}

int columns()
{
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

void write(Stream stream, QByteArrayView utf8)
{
    std::FILE *file = stream == Stream::Output ? stdout : stderr;
    std::fwrite(utf8.data(), 1, std::size_t(utf8.size()), file);
    std::fflush(file);
}

} // namespace Terminal
