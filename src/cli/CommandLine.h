#pragma once

#include "cli/Options.h"

#include <QStringList>

#include <optional>

// torva-cli's command line, read against the lists of the commands and the options: what to run,
// or the exit status once the help, the version or a usage error has been written (the help and
// the version on standard output, a usage error on standard error).
namespace CommandLine {

struct Reading
{
    std::optional<CliOptions> options; // the command to run
    int status = 0;                    // when there is none
};

// `arguments` as the program received them, its name first.
Reading read(const QStringList &arguments);

} // namespace CommandLine
