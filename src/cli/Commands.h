#pragma once

#include <QString>

#include <span>
#include <vector>

class Cli;

// A command of torva-cli: what runs it, the files it takes and what its own --help says. The one
// list of the commands: the help is written and the command run from it; the options it takes
// are in the list of the options (cli/Options.h). A name of two words ("journal show") is a
// command of its own, given as two words.
struct Command
{
    const char *name;
    int (Cli::*run)();
    const char *usage;   // after "torva-cli "
    const char *summary; // one line, for the list of commands
    const char *help;    // its own --help
    int minFiles;
    int maxFiles;                                     // -1: any number
    std::vector<int> codes;                           // the exit statuses it can give
    const char *missingArgument = "fichier manquant"; // said when it is given fewer than minFiles
};

std::span<const Command> commands();
// The command of that name; nullptr when there is none.
const Command *findCommand(const QString &name);
