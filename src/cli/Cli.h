#pragma once

#include "cli/Console.h"
#include "cli/Interrupt.h"
#include "cli/Options.h"
#include "cli/PanelLine.h"
#include "cli/StandardStream.h"
#include "files/DataFile.h"
#include "journal/Journal.h"
#include "link/ExchangeLog.h"
#include "transfer/Transfer.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <memory>
#include <optional>

// The commands of torva-cli, on the very procedures and file code of the window: the receive, the
// send with its verification, the panel read of the comparison, the diagnostic's reads, and the
// data file as Open, Import and Save take it. Messages go to standard error as the window words
// them; results to standard output. Each command gives back the exit status (ExitCode).
class Cli
{
public:
    explicit Cli(const CliOptions &options);
    ~Cli();

    // Runs the command of the options (listed in cli/Commands.cpp) and gives its exit status.
    int run();

    // The commands, each run by run() as the command list names it.
    int receive();
    int send();
    int show();
    int check();
    int diff();
    int convert();
    int diag();
    int ports();
    int journalList();
    int journalShow();
    int journalGet();
    int journalReport();

private:
    // A data file as Open (version 2) or Import (version 1) takes it, or why it is refused.
    struct FileCheck
    {
        std::optional<PanelConfig> config;
        QString message; // the window's message for it
        QString detail;  // what is wrong, on which line
    };
    static FileCheck checkFile(const QString &path, DataFile::Version version);
    // The file's configuration; a refused file is said as Open says it, with its detail.
    std::optional<PanelConfig> load(const QString &path, DataFile::Version version);
    // Writes a data file as "Enregistrer" does; says so when it cannot.
    bool save(const QString &path, const QByteArray &bytes);
    // The line to the panel of --port, made once.
    PanelLine &line();
    // Opens the --trace file, if asked for; false, said, when it cannot be written.
    bool openTrace();
    // The exit status once an exchange stopped on an interruption, or `status`.
    static int unlessInterrupted(int status);
    // After an exchange failed: the step it stopped in, as the progress showed it, and, for
    // StepAndElement when the request was for one loop, relay, function or measurement, which.
    enum class Where { Step, StepAndElement };
    void sayWhere(Where where);
    // After a procedure: where it stopped when it failed, and no step for what comes next.
    void endProcedure(TransferResult result);

    // What a receive, a send or a comparison runs with (Cli.cpp).
    struct Procedure;
    // Keeps the procedure's entry in the journal; a journal that cannot be written is said on
    // standard error and changes no status.
    void journal(JournalEntry::Operation operation, const Procedure &procedure, TransferResult result,
                 const QString &dataFile);

    // The journal's folder: --journal, else the settings' one.
    QString journalFolder() const;
    // The entry named by the command's argument; none, said, when there is no such entry.
    std::optional<JournalEntry> journalEntry();

    // Opens `port` and reads the panel's mode as a receive starts; what answered, or why not.
    struct Probe;
    Probe probe(const QString &port);

    CliOptions m_options;
    Console m_console;
    ConsolePrompts m_prompts{m_console};
    StandardStream m_standardOutput{Terminal::Stream::Output};
    QTextStream m_out{&m_standardOutput};
    // Declared before the line, which records into them until it is gone.
    ExchangeLog m_exchanges;
    QFile m_trace;
    std::unique_ptr<PanelLine> m_line;
    Interrupt m_interrupt;
};
