#pragma once

#include <QString>

struct Command;

// torva-cli's help, written from the lists of the commands, the options and the exit statuses.
namespace Help {

// Every command, every option, the built-in panel and every exit status.
QString general();
// One command: its usage and description, the options it takes, the built-in panel when it
// talks to one, the exit statuses it can give.
QString of(const Command &command);

} // namespace Help
