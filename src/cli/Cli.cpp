#include "cli/Cli.h"

#include "cli/Commands.h"
#include "cli/DiagView.h"
#include "cli/DifferencesView.h"
#include "cli/ExitCode.h"
#include "cli/FailureWords.h"
#include "cli/FileProblem.h"
#include "cli/TextTable.h"
#include "config/ConfigItems.h"
#include "config/ConfigurationHolder.h"
#include "config/Differences.h"
#include "config/Messages.h"
#include "config/Session.h"
#include "diagreads/DiagReader.h"
#include "files/FileCommands.h"
#include "journal/Intervenant.h"
#include "transfer/Intervention.h"
#include "transfer/Reads.h"
#include "transfer/Transfer.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

using Version = DataFile::Version;

// How the panel is named beside a file in a comparison.
const QString kPanelName = QStringLiteral("ECS");

// An item as a program reads it, with the editor's words beside it for people.
QJsonObject itemJson(const ConfigItem &item)
{
    return {{QStringLiteral("key"), item.key},
            {QStringLiteral("value"), item.data},
            {QStringLiteral("label"), item.name},
            {QStringLiteral("text"), item.value}};
}

const QString kInterruptedTitle = QStringLiteral("INTERRUPTION");

} // namespace

Cli::Cli(const CliOptions &options)
    : m_options(options), m_console(options.isSet(Option::Quiet)), m_interrupt([this] {
          // Whatever the line waits for is abandoned: the procedure unwinds and sends nothing more.
          if (m_line)
              m_line->link().abort();
      })
{}

Cli::~Cli() = default;

int Cli::run()
{
    const QString &command = m_options.command;
    if (!openTrace())
        return ExitCode::WriteFailed;
    int status = ExitCode::Usage;
    if (const Command *chosen = findCommand(command))
        status = (this->*chosen->run)();
    m_out.flush();
    // The port closes and the emulated panel keeps its configuration before the program ends.
    m_line.reset();
    // A trace that stopped part-way would mislead whoever reads it: say so.
    if (m_exchanges.traceFailed()) {
        m_prompts.message(Messages::cannotSave(), Messages::exchangeLogTitle(), Prompts::Icon::Warning,
                          m_options.value(Option::Trace));
        if (status == ExitCode::Done)
            status = ExitCode::WriteFailed;
    }
    return status;
}

bool Cli::openTrace()
{
    if (m_options.value(Option::Trace).isEmpty())
        return true;
    m_trace.setFileName(m_options.value(Option::Trace));
    if (!m_trace.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_prompts.message(Messages::cannotSave(), Messages::exchangeLogTitle(), Prompts::Icon::Warning,
                          m_options.value(Option::Trace) + QStringLiteral(" : ") + m_trace.errorString());
        return false;
    }
    m_exchanges.setTrace(&m_trace);
    return true;
}

Cli::FileCheck Cli::checkFile(const QString &path, Version version)
{
    const std::optional<QByteArray> bytes = FileCommands::readFile(path);
    if (!bytes)
        return {std::nullopt, Messages::incompatibleFile(), FileProblem::unreadable(path)};
    const DataFile::ParseResult result = DataFile::parseShowable(*bytes, version);
    if (result.ok())
        return {result.content, {}, {}};
    if (result.error == DataFile::ParseError::Version1File)
        return {std::nullopt, Messages::version1File(),
                QStringLiteral("un fichier version 1 se convertit avec « torva-cli convert »")};
    return {std::nullopt, Messages::incompatibleFile(), FileProblem::lineText(result, version)};
}

std::optional<PanelConfig> Cli::load(const QString &path, Version version)
{
    FileCheck file = checkFile(path, version);
    if (!file.config)
        m_prompts.message(file.message, Messages::fileTitle(), Prompts::Icon::Warning,
                          path + QStringLiteral(" : ") + file.detail);
    return file.config;
}

bool Cli::save(const QString &path, const QByteArray &bytes)
{
    // Nothing is written once the installer has asked to stop.
    if (Interrupt::requested())
        return false;
    if (FileCommands::writeFile(path, bytes))
        return true;
    m_prompts.message(Messages::cannotSave(), Messages::fileTitle(), Prompts::Icon::Warning, path);
    return false;
}

PanelLine &Cli::line()
{
    if (!m_line) {
        m_line = std::make_unique<PanelLine>(*PanelLine::choiceFor(m_options.value(Option::Port)), m_prompts,
                                             m_console);
        m_line->link().setExchangeLog(&m_exchanges);
    }
    return *m_line;
}

int Cli::unlessInterrupted(int status) { return Interrupt::requested() ? Interrupt::exitCode() : status; }

void Cli::sayWhere(Where where)
{
    if (!m_line || Interrupt::requested())
        return;
    const Link &link = m_line->link();
    QString step = link.step().trimmed();
    if (step.isEmpty())
        return;
    if (const QString which = where == Where::StepAndElement ? FailureWords::elementOf(link) : QString();
        !which.isEmpty())
        step += QStringLiteral(", ") + which;
    m_console.print(QStringLiteral("pendant : ") + step);
}

void Cli::endProcedure(TransferResult result)
{
    // A missing or unusable reply names the request it was for; a refusal or a difference found
    // in a verification concerns the step's whole item. Another panel is no failure on the line.
    if (result != TransferResult::Done && result != TransferResult::OtherPanel)
        sayWhere(result == TransferResult::NoReply || result == TransferResult::Refused
                     ? Where::StepAndElement
                     : Where::Step);
    if (m_line)
        m_line->link().setStep({});
}

// A procedure on the line of --port: the configuration held in place of the editor, the progress on
// standard error, and the port opened unless Ctrl-C came first.
struct Cli::Procedure
{
    Procedure(PanelLine &panel, Console &console, Prompts &prompts, const PanelConfig &config)
        : view(config), progress(panel.link(), console), context{panel.link(),
                                                                 session,
                                                                 view,
                                                                 prompts,
                                                                 progress,
                                                                 [&panel] {
                      return Interrupt::requested() ? PortOutcome::Cancelled : panel.open(); }}
    {
        context.record = &record;
    }
    ConfigurationHolder view;
    Session session;
    ConsoleProgress progress;
    TransferContext context;
    TransferRecord record;
};

void Cli::journal(JournalEntry::Operation operation, const Procedure &procedure, TransferResult result,
                  const QString &dataFile)
{
    // A name given on the command line, even empty, stands for the one in the settings.
    Intervenant who = Intervenant::load();
    for (const auto &[option, name] :
         {std::pair{Option::Technician, &who.technician}, std::pair{Option::Company, &who.company},
          std::pair{Option::Site, &who.site}})
        if (m_options.isSet(option))
            *name = m_options.value(option);
    const Intervention what{operation,
                            QStringLiteral("torva-cli"),
                            m_options.value(Option::Port),
                            dataFile,
                            who.technician,
                            who.company,
                            who.site};
    // The panel holds what it holds: the status stays the procedure's, the warning goes to stderr.
    QString why;
    if (!journalIntervention(Journal(journalFolder()), what, procedure.record, result, &why))
        m_console.print(journalNotWritten(why));
}

QString Cli::journalFolder() const
{
    return m_options.isSet(Option::Journal) ? m_options.value(Option::Journal) : JournalSettings::folder();
}

// The receive procedure, then the file exactly as "Enregistrer" writes it: whole or not at all.
int Cli::receive()
{
    const QString target = m_options.value(Option::Output);
    // A receive that cannot be kept is lost work: a target that cannot be a file is said first.
    const QFileInfo info(target);
    const bool existed = info.exists();
    if (!info.absoluteDir().exists() || info.isDir()) {
        m_prompts.message(Messages::cannotSave(), Messages::fileTitle(), Prompts::Icon::Warning,
                          target + (info.isDir() ? QStringLiteral(" : c'est un dossier")
                                                 : QStringLiteral(" : dossier introuvable")));
        return ExitCode::WriteFailed;
    }
    Procedure procedure(line(), m_console, m_prompts, PanelConfig{});
    ConfigurationHolder &view = procedure.view;
    TransferContext &context = procedure.context;
    // Ctrl-C leaves no file, the earlier one of that name as it was: the installer hears it.
    const auto interrupted = [&] {
        m_prompts.message(QStringLiteral("Réception interrompue, aucun fichier n'a été écrit !"),
                          kInterruptedTitle, Prompts::Icon::Warning,
                          existed ? target + QStringLiteral(" est resté tel qu'il était") : QString());
        return Interrupt::exitCode();
    };
    const TransferResult result = receiveConfiguration(context);
    endProcedure(result);
    journal(JournalEntry::Operation::Receive, procedure, result, target);
    if (Interrupt::requested())
        return interrupted();
    if (result != TransferResult::Done)
        return ExitCode::of(result);

    // The file is checked as Open will read it: a value the editor cannot show (a panel answering
    // what it cannot hold) would make a file that Open refuses.
    const QByteArray bytes = DataFile::format(view.configuration());
    const DataFile::ParseResult written = DataFile::parseShowable(bytes, Version::V2);
    if (!written.ok()) {
        m_prompts.message(Messages::transferError(), Messages::transferErrorTitle(), Prompts::Icon::Warning,
                          QStringLiteral("valeur de l'ECS que l'éditeur ne peut pas montrer, ") +
                              FileProblem::lineText(written, Version::V2));
        return ExitCode::TransferError;
    }
    if (save(target, bytes))
        return ExitCode::Done;
    return Interrupt::requested() ? interrupted() : ExitCode::WriteFailed;
}

// The send procedure with the verification of every item, from a file checked as Open does.
int Cli::send()
{
    const std::optional<PanelConfig> config = load(m_options.arguments.first(), Version::V2);
    if (!config)
        return ExitCode::Refused;
    Procedure procedure(line(), m_console, m_prompts, *config);
    TransferContext &context = procedure.context;
    // --ecs names the panel the file is for: the send asks before writing to another, and the
    // console's answer is No.
    const QString ecs = m_options.value(Option::Ecs);
    if (!ecs.isEmpty())
        procedure.session.SourcePanelSerial = ecs;
    // Once a write has gone out, an interrupted send leaves the panel with part of the new
    // configuration: the installer must know to send it again.
    bool written = false;
    Link &link = line().link();
    QObject::connect(&link, &Link::requestSent, &link,
                     [&] { written = written || changesPanel(link.lastRequest().command); });
    const TransferResult result = sendConfiguration(context);
    QObject::disconnect(&link, &Link::requestSent, &link, nullptr);
    endProcedure(result);
    journal(JournalEntry::Operation::Send, procedure, result, m_options.arguments.first());
    if (result == TransferResult::OtherPanel && !Interrupt::requested()) {
        const std::optional<PanelIdentity> &connected = procedure.record.identity;
        m_prompts.message(
            QStringLiteral(
                "Rien n'a été envoyé : l'ECS raccordé (%1) n'est pas l'ECS N° %2 que --ecs désigne.")
                .arg(connected && connected->serialNumber ? QStringLiteral("N° ") + *connected->serialNumber
                                                          : QStringLiteral("sans numéro de série"),
                     ecs),
            QStringLiteral("AUTRE ECS"), Prompts::Icon::Warning);
    }
    if (!Interrupt::requested())
        return ExitCode::of(result);
    if (written)
        m_prompts.message(
            QStringLiteral("Envoi interrompu, l'ECS contient peut-être une partie de la nouvelle "
                           "configuration : envoyez-la de nouveau !"),
            kInterruptedTitle, Prompts::Icon::Warning);
    else
        m_prompts.message(QStringLiteral("Envoi interrompu avant la première écriture, la configuration de "
                                         "l'ECS n'a pas changé."),
                          kInterruptedTitle, Prompts::Icon::Warning);
    return Interrupt::exitCode();
}

int Cli::show()
{
    const QString path = m_options.arguments.first();
    const std::optional<PanelConfig> config = load(path, Version::V2);
    if (!config)
        return ExitCode::Refused;
    const QList<ConfigItem> items = configItems(*config);
    if (m_options.isSet(Option::Json)) {
        QJsonArray array;
        for (const ConfigItem &item : items)
            array.append(itemJson(item));
        m_out << QJsonDocument(QJsonObject{{QStringLiteral("file"), path}, {QStringLiteral("items"), array}})
                     .toJson(QJsonDocument::Indented);
        return ExitCode::Done;
    }
    QList<QStringList> rows;
    for (const ConfigItem &item : items)
        rows << QStringList{item.name, item.value};
    m_out << textTable(rows);
    return ExitCode::Done;
}

// Each file as Open takes it; what is wrong with a refused one, on which line.
int Cli::check()
{
    int status = ExitCode::Done;
    for (const QString &path : m_options.arguments) {
        const FileCheck file = checkFile(path, Version::V2);
        if (file.config) {
            m_out << path << QStringLiteral(" : correct\n");
            continue;
        }
        status = ExitCode::Refused;
        m_out << path << QStringLiteral(" : ")
              << QString(file.message).replace(QLatin1Char('\n'), QStringLiteral("\n  "))
              << QStringLiteral("\n  ") << file.detail << QLatin1Char('\n');
    }
    return status;
}

// The items that differ, file against file, or file against the panel (read only).
int Cli::diff()
{
    const QStringList &files = m_options.arguments;
    const std::optional<PanelConfig> first = load(files.first(), Version::V2);
    if (!first)
        return ExitCode::Refused;
    std::optional<PanelConfig> second;
    QString secondName;
    if (files.size() == 2) {
        secondName = files[1];
        second = load(secondName, Version::V2);
        if (!second)
            return ExitCode::Refused;
    } else {
        secondName = kPanelName;
        // The panel's card items that are not read (no working card) hold the file's values.
        Procedure procedure(line(), m_console, m_prompts, *first);
        TransferContext &context = procedure.context;
        PanelConfig read;
        const TransferResult result =
            readPanelConfiguration(context, QStringLiteral("COMPARAISON EN COURS..."), read);
        endProcedure(result);
        if (result != TransferResult::Done || Interrupt::requested())
            return unlessInterrupted(ExitCode::of(result));
        second = read;
    }

    const QList<Difference> found = differences(*first, *second);
    if (m_options.isSet(Option::Json)) {
        const QJsonObject second = files.size() == 2
                                       ? QJsonObject{{QStringLiteral("file"), secondName}}
                                       : QJsonObject{{QStringLiteral("port"), m_options.value(Option::Port)}};
        m_out << QJsonDocument(QJsonObject{{QStringLiteral("first"),
                                            QJsonObject{{QStringLiteral("file"), files.first()}}},
                                           {QStringLiteral("second"), second},
                                           {QStringLiteral("count"), found.size()},
                                           {QStringLiteral("differences"), differencesJson(found)}})
                     .toJson(QJsonDocument::Indented);
    } else {
        m_out << differencesText(found, files.first(), secondName);
    }
    return found.isEmpty() ? ExitCode::Done : ExitCode::Refused;
}

// A version-1 file taken as Import takes it (the card present), written as "Enregistrer" does.
int Cli::convert()
{
    const std::optional<PanelConfig> config = load(m_options.arguments.first(), Version::V1);
    if (!config)
        return ExitCode::Refused;
    return save(m_options.value(Option::Output), DataFile::format(*config))
               ? ExitCode::Done
               : unlessInterrupted(ExitCode::WriteFailed);
}

// The diagnostic's reads: the card is read when the panel says it is fitted (the window asks the
// editor, which a receive fills from the same answer).
int Cli::diag()
{
    PanelLine &panel = line();
    if (Interrupt::requested())
        return Interrupt::exitCode();
    if (panel.open() != PortOutcome::Opened)
        return unlessInterrupted(ExitCode::PortFailed);
    Link &link = panel.link();
    const Link::DiagnosticMode diagnosing(link);
    // A failed read ends the diagnostic: the transaction has told of a silent panel, and a reply
    // that cannot be used is told here, as the window does; then the read it was.
    const auto ended = [this](Reads::Outcome outcome) {
        if (outcome == Reads::Outcome::Refused)
            m_prompts.message(Messages::transferError(), Messages::transferErrorTitle(),
                              Prompts::Icon::Warning);
        sayWhere(Where::StepAndElement);
        return unlessInterrupted(outcome == Reads::Outcome::Refused ? ExitCode::TransferError
                                                                    : ExitCode::NoReply);
    };
    // The window logs its exchanges under its title; here each part of the reading has a step,
    // for the trace and for a failure to name.
    link.setStep(QStringLiteral("Vérification présence Carte UGA/CMSI"));
    if (!link.wakeUp()) {
        sayWhere(Where::Step);
        return unlessInterrupted(ExitCode::NoReply);
    }
    std::uint8_t presence = 0;
    if (const Reads::Outcome outcome = Reads::upCardPresence(link, presence); outcome != Reads::Outcome::Read)
        return ended(outcome);

    Session session;
    DiagReader reader(link, session, presence == 1);
    link.setStep(QStringLiteral("Lecture versions et numéros de série"));
    const DiagReader::Opening opening = reader.readOpening();
    if (opening.outcome != Reads::Outcome::Read)
        return ended(opening.outcome);
    do {
        link.setStep(QStringLiteral("Lecture des mesures"));
        const DiagReader::Result cycle = reader.readCycle();
        if (cycle.outcome != Reads::Outcome::Read)
            return ended(cycle.outcome);
        const DiagView view{opening.shown + cycle.shown, opening.cardShown, reader.LoopLoads, opening, cycle};
        if (m_options.isSet(Option::Json))
            m_out << QJsonDocument(view.json())
                         .toJson(m_options.isSet(Option::Watch) ? QJsonDocument::Compact
                                                                : QJsonDocument::Indented);
        else
            m_out << view.text();
        // Each cycle as it comes: one JSON line, or the text and a blank line.
        if (m_options.isSet(Option::Watch))
            m_out << '\n' << Qt::flush;
    } while (m_options.isSet(Option::Watch));
    return ExitCode::Done;
}
