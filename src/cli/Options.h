#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <span>
#include <vector>

struct Command;

// An option of torva-cli.
enum class Option {
    Port,
    Output,
    Observations,
    Ecs,
    Before,
    Sent,
    Panel,
    Probe,
    Trace,
    Json,
    Watch,
    Journal,
    Technician,
    Company,
    Site,
    Quiet,
    Help,
    Version
};

// How a command takes an option.
enum class Needs {
    No,         // a usage error
    Optional,   // may be given
    Required,   // must be given, with a value
    OrLastFile, // given, with a value, exactly when the command's last file is not
    OneOf,      // this one or another so marked for the command, and only one of them
};

// A command that takes an option.
struct OptionUse
{
    const char *command;
    Needs needs;
};

// An option of torva-cli: its names, its value, the commands that take it and its help. The one
// list of the options: the command line is parsed and checked against it and the help written
// from it.
struct OptionSpec
{
    Option option;
    const char *shortName;       // "o"; nullptr when it has none
    const char *name;            // "output", written "--output"
    const char *valueName;       // "FICHIER"; nullptr for a switch
    QString (*help)();           // its lines in the help, after the names
    std::vector<OptionUse> uses; // the commands that take it; empty: every command
    bool inCommandHelp;          // listed in a command's help (each lists only what it takes)
    const char *missing;         // said when a command that needs it is not given it
    const char *empty;           // said when given empty where needed; nullptr: `missing`
    const char *orLastFile;      // said when given together with the last file, or neither
    // What is wrong with a value given, or nothing; nullptr: any value goes.
    std::optional<QString> (*wrongValue)(const QString &value) = nullptr;
};

std::span<const OptionSpec> options();
const OptionSpec &optionSpec(Option option);
// How `command` takes `option`.
Needs needs(const Command &command, Option option);

// What the command line asked for, once parsed and checked.
struct CliOptions
{
    QString command;                 // "receive", "send", ..., "journal show" (cli/Commands.cpp)
    QStringList arguments;           // the files (the ports of "ports --probe", an entry), in order
    std::map<Option, QString> given; // each option given, with its value (empty for a switch)

    bool isSet(Option option) const { return given.contains(option); }
    // The option's value: a device, COMn or "sim" for --port, a file for -o and --trace, a folder,
    // a name or a serial number; empty when not given.
    QString value(Option option) const;
};
