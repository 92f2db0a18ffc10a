#include "cli/Terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace Terminal {

bool prepareStandardError() { return ::isatty(STDERR_FILENO); }

int columns()
{
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace Terminal
