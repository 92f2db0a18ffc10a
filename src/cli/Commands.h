#pragma once

#include <QString>

#include <span>
#include <vector>

class Cli;

// Whether a command takes an option (--port, -o).
enum class Needs { No, Optional, Required };

// A command of torva-cli: what runs it, what it takes and what its own --help says. The one list
// of the commands: the options are checked, the help written and the command run from it.
struct Command
{
    const char *name;
    int (Cli::*run)();
    const char *usage;   // after "torva-cli "
    const char *summary; // one line, for the list of commands
    const char *help;    // its own --help
    int minFiles;
    int maxFiles; // -1: any number
    Needs port;
    Needs output;
    bool json;
    bool watch;
    bool probe;
    bool trace;             // talks to a panel: --trace records its frames
    std::vector<int> codes; // the exit statuses it can give
};

std::span<const Command> commands();
// The command of that name; nullptr when there is none.
const Command *findCommand(const QString &name);
