#include "cli/Cli.h"

#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "config/ConfigItems.h"
#include "config/ConfigurationHolder.h"
#include "config/Differences.h"
#include "config/Messages.h"
#include "config/Session.h"
#include "diagreads/DiagReader.h"
#include "diagreads/Measurements.h"
#include "files/FileCommands.h"
#include "link/SystemPorts.h"
#include "transfer/Reads.h"
#include "transfer/Transfer.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

using Version = DataFile::Version;

// How the panel is named beside a file in a comparison.
const QString kPanelName = QStringLiteral("ECS");

// A field of a refused file as the installer reads it: control bytes shown as "?", a long one cut.
QString quoted(const QByteArray &field)
{
    constexpr qsizetype kLongest = 24;
    QString text = QString::fromUtf8(field.left(kLongest));
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c == QChar(0x7F))
            c = QLatin1Char('?');
    if (field.size() > kLongest)
        text += QStringLiteral("…");
    return QStringLiteral("« %1 »").arg(text);
}

// What is wrong with the problem's line, in the words of the editor's captions.
QString faultText(const DataFile::ParseResult &result, Version version)
{
    using Fault = DataFile::Fault;
    const QString field = quoted(result.field);
    switch (result.problem.fault) {
    case Fault::None:
        break;
    case Fault::WrongMark:
        return QStringLiteral("%1 au lieu de « %2 »")
            .arg(field, QLatin1String(version == Version::V2 ? DataFile::kMarkV2 : DataFile::kMarkV1));
    case Fault::MissingLine:
        return QStringLiteral("ligne manquante : le fichier s'arrête avant");
    case Fault::NotAByte:
        return field + QStringLiteral(" n'est pas un nombre entier de 0 à 255");
    case Fault::NotACodeLetter:
        return field + QStringLiteral(" n'est pas une lettre de code (65 pour A, 66 pour B, 67 pour C)");
    case Fault::NotZeroOrOne:
        return field + QStringLiteral(" : 0 ou 1 attendu");
    case Fault::CommandBits:
        return field +
               QStringLiteral(" : commande de boucle impossible (commande UGA 0, 1 ou 2, plus 4, 8 et 16 "
                              "pour les fonctions CMSI 1, 2 et 3)");
    case Fault::AlarmMode:
        return field +
               QStringLiteral(" : mode alarme inconnu (0 simple, 1 discrimination, 2 double détection)");
    case Fault::UnpairedDouble:
        return QStringLiteral("double détection sur une seule boucle de la paire (1-2, 3-4, 5-6 ou 7-8)");
    case Fault::FunctionType:
        return field + QStringLiteral(" : type de fonction inconnu (0 à 5)");
    case Fault::AuxContact:
        return field + QStringLiteral(" : « Mise Hors Service avec le Contact Auxiliaire » sans le type "
                                      "« Rupture Sans Contrôle Associé à l'UGA »");
    case Fault::GroupedFirst:
        return field + QStringLiteral(" : la fonction 1 n'a ni « Commande regroupée sur Fonction 1 » ni "
                                      "« Bouton Actif »");
    case Fault::ActiveUngrouped:
        return field + QStringLiteral(" : « Bouton Actif » sans « Commande regroupée sur Fonction 1 »");
    }
    return {};
}

QString lineText(const DataFile::ParseResult &result, Version version)
{
    return QStringLiteral("ligne %1 : %2").arg(result.problem.line).arg(faultText(result, version));
}

// Why a file could not be read at all.
QString unreadable(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("fichier introuvable");
    if (!info.isFile())
        return QStringLiteral("pas un fichier ordinaire");
    return QStringLiteral("fichier illisible");
}

// `rows` as columns separated by two blanks, each as wide as its widest cell.
QString table(const QList<QStringList> &rows)
{
    QList<qsizetype> widths;
    for (const QStringList &row : rows)
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (widths.size() <= i)
                widths << 0;
            widths[i] = std::max(widths[i], row[i].size());
        }
    QString out;
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i)
            line += i + 1 < row.size() ? row[i].leftJustified(widths[i] + 2) : row[i];
        // An empty last cell (a port without a description) leaves no blanks behind.
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        out += line + QLatin1Char('\n');
    }
    return out;
}

// The diagnostic window's places, frame by frame, top to bottom.
constexpr int kPanelLabels[] = {3, 0, 13, 14, 15};
constexpr int kCardLabels[] = {8, 7, 4, 17, 18, 5, 2, 6};

// What the diagnostic window would show, read once, and the same as data for a program.
struct DiagView
{
    QList<DiagReader::Shown> shown;
    bool cardShown = false;
    std::array<double, 9> loads{};
    const DiagReader::Opening &opening;
    const DiagReader::Result &cycle;

    QString label(int index) const
    {
        for (const DiagReader::Shown &s : shown)
            if (s.label == index)
                return s.text;
        return {};
    }
    QString loop(int index) const
    {
        for (const DiagReader::Shown &s : shown)
            if (s.loop == index)
                return s.text;
        return {};
    }

    QString text() const
    {
        QString out = QStringLiteral("CARTE ECS\n");
        const auto section = [&](const auto &labels) {
            for (int index : labels)
                if (const QString shownText = label(index); !shownText.isEmpty())
                    out += QStringLiteral("  ") + shownText + QLatin1Char('\n');
        };
        section(kPanelLabels);
        if (cardShown) {
            out += QStringLiteral("CARTE UGA/CMSI\n");
            section(kCardLabels);
        }
        out += QStringLiteral("CHARGE DES BOUCLES\n");
        for (int k = 0; k < DiagReader::kLoops; ++k)
            out += QStringLiteral("  Boucle %1 : %2\n").arg(k + 1).arg(loop(k));
        return out;
    }

    QJsonObject json() const;
};

// A number as a program reads it: the same whatever the locale, to the converter's resolution.
double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

QJsonValue serialJson(const SerialNumber &serial)
{
    return serial.isStored() ? QJsonValue(serial.digits(QLocale::c())) : QJsonValue(QJsonValue::Null);
}

QString versionJson(const std::array<std::uint8_t, 2> &version)
{
    return QStringLiteral("%1.%2").arg(version[0]).arg(version[1]);
}

// The measurements by the label that shows them: their key, and whether they are in amperes.
struct ValueKey
{
    int label;
    const char *key;
    bool amperes;
};
constexpr ValueKey kPanelValues[] = {
    {13, "serviceVolts", false}, {14, "batteryVolts", false}, {15, "chargerVolts", false}};
constexpr ValueKey kCardValues[] = {{17, "batteryVolts", false},
                                    {18, "chargerVolts", false},
                                    {5, "aesVolts", false},
                                    {2, "sounderLine1Amperes", true},
                                    {6, "sounderLine2Amperes", true}};

QJsonObject DiagView::json() const
{
    const auto section = [&](const DiagReader::Identity &identity, const auto &keys) {
        QJsonObject object{{QStringLiteral("version"), versionJson(identity.version)},
                           {QStringLiteral("serialNumber"), serialJson(identity.serial)}};
        for (const ValueKey &key : keys)
            for (const DiagReader::Value &value : cycle.values)
                if (value.label == key.label)
                    object.insert(QLatin1String(key.key), rounded(value.value, key.amperes ? 3 : 2));
        return object;
    };
    QJsonArray loops;
    for (int k = 0; k < DiagReader::kLoops; ++k) {
        const double load = loads[std::size_t(k)];
        loops.append(QJsonObject{{QStringLiteral("loop"), k + 1},
                                 {QStringLiteral("loadMilliamperes"), rounded(load, 2)},
                                 {QStringLiteral("fullScale"), load >= Measurements::kLoopFullScale}});
    }
    return {{QStringLiteral("panel"), section(opening.panel, kPanelValues)},
            {QStringLiteral("upCard"),
             cardShown ? QJsonValue(section(opening.card, kCardValues)) : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("loops"), loops}};
}

// An item as a program reads it, with the editor's words beside it for people.
QJsonObject itemJson(const ConfigItem &item)
{
    return {{QStringLiteral("key"), item.key},
            {QStringLiteral("value"), item.data},
            {QStringLiteral("label"), item.name},
            {QStringLiteral("text"), item.value}};
}

QJsonObject differenceJson(const Difference &d)
{
    return {{QStringLiteral("key"), d.key},
            {QStringLiteral("label"), d.item},
            {QStringLiteral("first"),
             QJsonObject{{QStringLiteral("value"), d.firstData}, {QStringLiteral("text"), d.first}}},
            {QStringLiteral("second"),
             QJsonObject{{QStringLiteral("value"), d.secondData}, {QStringLiteral("text"), d.second}}}};
}

// The measurement a request asks for, by the words of its label ("Tension de Batterie").
QString readingName(const auto &readings, std::uint8_t subCode)
{
    for (const Measurements::Reading &reading : readings)
        if (reading.subCode == subCode)
            return QString::fromUtf16(reading.prefix).section(QStringLiteral(" ="), 0, 0);
    return {};
}

// Which element the link's last request was for, when it was for one: "boucle 3", "relais 2".
QString elementOf(const Link &link)
{
    const LinkRequest &request = link.lastRequest();
    const auto dataByte = [&request](std::size_t i) { return i < request.data.size() ? request.data[i] : 0; };
    const int index = dataByte(0);
    switch (request.command) {
    case PanelCommand::AlarmMode:
    case PanelCommand::WriteAlarmMode:
    case PanelCommand::CommandMatrix:
    case PanelCommand::WriteCommandMatrix:
        return QStringLiteral("boucle %1").arg(index + 1);
    case PanelCommand::Relay:
    case PanelCommand::WriteRelay:
        return QStringLiteral("relais %1").arg(index + 1);
    case PanelCommand::FunctionType:
    case PanelCommand::WriteFunctionType:
        return QStringLiteral("fonction %1").arg(index + 1);
    case PanelCommand::PanelMeasurement:
        if (index == 4)
            return QStringLiteral("charge boucle %1").arg(dataByte(1) + 1);
        return readingName(Measurements::kPanelReadings, std::uint8_t(index));
    case PanelCommand::CardMeasurement:
        return readingName(Measurements::kCardReadings, std::uint8_t(index)) +
               QStringLiteral(" de la carte UGA/CMSI");
    default:
        return {};
    }
}

// A request that may change what the panel holds.
bool writes(PanelCommand command)
{
    switch (command) {
    case PanelCommand::WriteCommandMatrix:
    case PanelCommand::WriteFunctionType:
    case PanelCommand::WriteAccessCodes:
    case PanelCommand::WriteRelay:
    case PanelCommand::WriteOutput12v:
    case PanelCommand::WriteAlarmMode:
    case PanelCommand::WriteAesChoice:
    case PanelCommand::WriteCardPresence:
    case PanelCommand::WritePanelSerial:
        return true;
    default:
        return false;
    }
}

const QString kInterruptedTitle = QStringLiteral("INTERRUPTION");

// Keeps the link's messages of a probe instead of printing them: the probe's own line says what
// happened on each port.
class HeldPrompts : public Prompts
{
public:
    void message(const QString &, const QString &, Icon, const QString &details) override { held = details; }
    bool askYesNo(const QString &, const QString &, Icon) override { return false; }
    QString openFileName(const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &) override { return {}; }
    void setBusy(bool) override {}

    QString held; // the last message's details: why a port did not open
};

// What a bad reply byte was, in the exchange log's order of the reply.
QString badByteText(const LinkReply &reply)
{
    QString what;
    switch (reply.badByte) {
    case ReplyCheck::Fault::StartByte:
        what = QStringLiteral("octet de début");
        break;
    case ReplyCheck::Fault::Length:
        what = QStringLiteral("longueur");
        break;
    case ReplyCheck::Fault::Echo:
        what = QStringLiteral("écho de la commande");
        break;
    case ReplyCheck::Fault::Check:
        what = QStringLiteral("somme de contrôle");
        break;
    case ReplyCheck::Fault::None:
        break;
    }
    return QStringLiteral("des octets qui ne forment pas une réponse de l'ECS (%1 faux, octet %2 de la "
                          "réponse, au dernier des %3 essais)")
        .arg(what)
        .arg(reply.badBytePosition + 1)
        .arg(Link::kAttempts);
}

// An adapter as it describes itself: "FT232R USB UART, FTDI, n° de série A50285BI".
QString adapterText(const DetectedPort &port)
{
    QStringList parts;
    if (!port.description.isEmpty())
        parts << port.description;
    if (!port.manufacturer.isEmpty() && !port.description.contains(port.manufacturer))
        parts << port.manufacturer;
    if (!port.serialNumber.isEmpty())
        parts << QStringLiteral("n° de série ") + port.serialNumber;
    return parts.join(QStringLiteral(", "));
}

} // namespace

Cli::Cli(const CliOptions &options)
    : m_options(options), m_console(options.isSet(Option::Quiet)), m_out(stdout), m_interrupt([this] {
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
        return {std::nullopt, Messages::incompatibleFile(), unreadable(path)};
    const DataFile::ParseResult result = DataFile::parseShowable(*bytes, version);
    if (result.ok())
        return {result.content, {}, {}};
    if (result.error == DataFile::ParseError::Version1File)
        return {std::nullopt, Messages::version1File(),
                QStringLiteral("un fichier version 1 se convertit avec « torva-cli convert »")};
    return {std::nullopt, Messages::incompatibleFile(), lineText(result, version)};
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

void Cli::sayWhere(bool element)
{
    if (!m_line || Interrupt::requested())
        return;
    const Link &link = m_line->link();
    QString step = link.step().trimmed();
    if (step.isEmpty())
        return;
    if (const QString which = element ? elementOf(link) : QString(); !which.isEmpty())
        step += QStringLiteral(", ") + which;
    m_console.print(QStringLiteral("pendant : ") + step);
}

void Cli::endProcedure(TransferResult result)
{
    // A missing or unusable reply names the request it was for; a refusal or a difference found
    // in a verification concerns the step's whole item.
    if (result != TransferResult::Done)
        sayWhere(result == TransferResult::NoReply || result == TransferResult::Refused);
    if (m_line)
        m_line->link().setStep({});
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
    PanelLine &panel = line();
    ConfigurationHolder view;
    Session session;
    ConsoleProgress progress(panel.link(), m_console);
    TransferContext context{
        panel.link(), session,
        view,         m_prompts,
        progress,     [&panel] {
                                return Interrupt::requested() ? PortOutcome::Cancelled : panel.open(); }};
    // Ctrl-C leaves no file, the earlier one of that name as it was: the installer hears it.
    const auto interrupted = [&] {
        m_prompts.message(QStringLiteral("Réception interrompue, aucun fichier n'a été écrit !"),
                          kInterruptedTitle, Prompts::Icon::Warning,
                          existed ? target + QStringLiteral(" est resté tel qu'il était") : QString());
        return Interrupt::exitCode();
    };
    const TransferResult result = receiveConfiguration(context);
    endProcedure(result);
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
                              lineText(written, Version::V2));
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
    PanelLine &panel = line();
    ConfigurationHolder view(*config);
    Session session;
    ConsoleProgress progress(panel.link(), m_console);
    TransferContext context{
        panel.link(), session,
        view,         m_prompts,
        progress,     [&panel] {
                                return Interrupt::requested() ? PortOutcome::Cancelled : panel.open(); }};
    // Once a write has gone out, an interrupted send leaves the panel with part of the new
    // configuration: the installer must know to send it again.
    bool written = false;
    Link &link = panel.link();
    QObject::connect(&link, &Link::requestSent, &link,
                     [&] { written = written || writes(link.lastRequest().command); });
    const TransferResult result = sendConfiguration(context);
    QObject::disconnect(&link, &Link::requestSent, &link, nullptr);
    endProcedure(result);
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
    m_out << table(rows);
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
        PanelLine &panel = line();
        // The panel's card items that are not read (no working card) hold the file's values.
        ConfigurationHolder view(*first);
        Session session;
        ConsoleProgress progress(panel.link(), m_console);
        TransferContext context{panel.link(),
                                session,
                                view,
                                m_prompts,
                                progress,
                                [&panel] {
                                    return Interrupt::requested() ? PortOutcome::Cancelled : panel.open(); }};
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
        QJsonArray array;
        for (const Difference &d : found)
            array.append(differenceJson(d));
        const QJsonObject second = files.size() == 2
                                       ? QJsonObject{{QStringLiteral("file"), secondName}}
                                       : QJsonObject{{QStringLiteral("port"), m_options.value(Option::Port)}};
        m_out << QJsonDocument(QJsonObject{{QStringLiteral("first"),
                                            QJsonObject{{QStringLiteral("file"), files.first()}}},
                                           {QStringLiteral("second"), second},
                                           {QStringLiteral("count"), found.size()},
                                           {QStringLiteral("differences"), array}})
                     .toJson(QJsonDocument::Indented);
    } else if (!found.isEmpty()) {
        QList<QStringList> rows{{QStringLiteral("Élément"), files.first(), secondName}};
        for (const Difference &d : found)
            rows << QStringList{d.item, d.first, d.second};
        m_out << table(rows);
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
        sayWhere(true);
        return unlessInterrupted(outcome == Reads::Outcome::Refused ? ExitCode::TransferError
                                                                    : ExitCode::NoReply);
    };
    // The window logs its exchanges under its title; here each part of the reading has a step,
    // for the trace and for a failure to name.
    link.setStep(QStringLiteral("Vérification présence Carte UGA/CMSI"));
    if (!link.wakeUp()) {
        sayWhere(false);
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

// What one port gave when asked for the panel's mode.
struct Cli::Probe
{
    enum class Verdict { Panel, NoPanel, NotOpened, Interrupted };
    Verdict verdict = Verdict::NotOpened;
    QString text;    // what the port's line says
    QString details; // why it did not open, as the opening failure's message says it
};

// The port opened as a command opens --port, then the wake-up and the mode read that start a
// receive: one request, three attempts, through the link. The link's own messages are held:
// the port's line says what they would have said.
Cli::Probe Cli::probe(const QString &port)
{
    using Verdict = Probe::Verdict;
    const std::optional<PortChoice> choice = PanelLine::choiceFor(port);
    if (!choice)
        return {Verdict::NotOpened, QStringLiteral("ne s'ouvre pas : aucun port n'a été indiqué"), {}};
    HeldPrompts held;
    m_line = std::make_unique<PanelLine>(*choice, held, m_console);
    Link &link = m_line->link();
    link.setExchangeLog(&m_exchanges);
    m_console.drawProgress(QStringLiteral("Lecture mode ECS sur %1...").arg(port));
    const auto asked = [&]() -> Probe {
        if (Interrupt::requested())
            return {Verdict::Interrupted, {}, {}};
        if (m_line->open() != PortOutcome::Opened)
            return {Verdict::NotOpened, QStringLiteral("ne s'ouvre pas"), held.held};
        link.setStep(QStringLiteral("Lecture mode ECS"));
        if (!link.wakeUp())
            return link.isAborted()
                       ? Probe{Verdict::Interrupted, {}, {}}
                       : Probe{Verdict::NoPanel, QStringLiteral("port perdu au réveil de l'ECS"), {}};
        const LinkReply reply = link.request(PanelCommand::PanelMode);
        switch (Reads::outcomeOf(reply, 1)) {
        case Reads::Outcome::Read:
            if (reply.data[0] == 1)
                return {Verdict::Panel,
                        QStringLiteral("ECS, en mode de configuration manuelle : accès PC interdit"),
                        {}};
            return {Verdict::Panel, QStringLiteral("ECS, accès PC autorisé"), {}};
        case Reads::Outcome::Refused:
            return {Verdict::NoPanel,
                    QStringLiteral("une réponse de %1 octets de données au lieu d'un : pas une ECS TORVA")
                        .arg(reply.data.size()),
                    {}};
        case Reads::Outcome::Aborted:
            return {Verdict::Interrupted, {}, {}};
        case Reads::Outcome::NoReply:
            break;
        }
        if (reply.failure == LinkFailure::BadByte)
            return {Verdict::NoPanel, badByteText(reply), {}};
        if (reply.failure == LinkFailure::PortLost)
            return {Verdict::NoPanel, QStringLiteral("port perdu pendant la lecture"), {}};
        return {Verdict::NoPanel, QStringLiteral("pas de réponse en %1 essais").arg(Link::kAttempts), {}};
    };
    const Probe found = asked();
    m_console.clearProgress();
    // The port closes now: the next one may be the same adapter under another name.
    m_line.reset();
    return found;
}

// The serial ports the system knows of; with --probe, which of them (or of the ports named) a
// panel answers on.
int Cli::ports()
{
    const QList<DetectedPort> detected = detectedPorts();
    const QString none = QStringLiteral("torva-cli : aucun port série détecté");
    if (!m_options.isSet(Option::Probe)) {
        if (detected.isEmpty())
            m_console.print(none);
        QList<QStringList> rows;
        for (const DetectedPort &port : detected)
            rows << QStringList{port.location, adapterText(port)};
        m_out << table(rows);
        return ExitCode::Done;
    }

    QList<DetectedPort> targets = detected;
    if (!m_options.arguments.isEmpty()) {
        targets.clear();
        for (const QString &name : m_options.arguments) {
            const auto known = std::find_if(detected.begin(), detected.end(),
                                            [&](const DetectedPort &port) { return port.location == name; });
            targets << (known != detected.end() ? *known : DetectedPort{name, {}, {}, {}});
        }
    }
    if (targets.isEmpty()) {
        m_console.print(none);
        return ExitCode::PortFailed;
    }
    bool panel = false;
    bool opened = false;
    for (const DetectedPort &port : targets) {
        const Probe found = probe(port.location);
        if (found.verdict == Probe::Verdict::Interrupted)
            return Interrupt::exitCode();
        panel = panel || found.verdict == Probe::Verdict::Panel;
        opened = opened || found.verdict != Probe::Verdict::NotOpened;
        const QString adapter = adapterText(port);
        m_out << port.location << (adapter.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(adapter))
              << QStringLiteral(" : ") << found.text << '\n';
        for (const QString &line : found.details.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            m_out << QStringLiteral("  ") << line << '\n';
        m_out.flush();
    }
    return panel ? ExitCode::Done : opened ? ExitCode::NoReply : ExitCode::PortFailed;
}
