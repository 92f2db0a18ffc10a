// A stand-alone emulated panel, for trying the configurator's real serial path without a panel:
// on a new pseudo-terminal (open the device it prints, or the link it makes, with the program's
// "Autre :" choice) or on a serial device wired to the configurator's PC by a null-modem cable.
#include "sim/EmulatedPanel.h"
#include "sim/PtyPanel.h"
#include "sim/tool/PanelOptions.h"
#include "sim/tool/SerialPanel.h"

#include "files/DataFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <QSocketNotifier>

#include <csignal>
#include <unistd.h>

namespace {

// Ctrl-C and SIGTERM only write a byte here (safe inside a signal handler); the event loop
// then quits, so the link is removed on the way out.
int g_stopPipe[2] = {-1, -1};

void requestStop(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_stopPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("torva-ecs-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Emulated TORVA panel (ECS) for TORVA-PC.\n"
        "Without --device it serves the panel on a new pseudo-terminal and prints its path: choose\n"
        "\"Autre :\" in TORVA-PC's port window and type that path (or the --link path).\n"
        "With --device it serves the panel on that serial device at 9600 baud 8N1, for a\n"
        "null-modem cable to the PC that runs TORVA-PC.\n"
        "\n"
        "Faults (--fault, repeatable): NAME[:COMMAND[:INDEX[:TIMES]]], where COMMAND is the\n"
        "command code the fault spoils, INDEX the request's first data byte (a loop, relay or\n"
        "function number from 0), TIMES how many replies it spoils; an empty part or * means any\n"
        "command, any index, every time. The first matching rule applies. Names:\n"
        "  silence            no reply at all\n"
        "  wrong-start        a wrong start byte, then the good reply\n"
        "  length-too-long    length byte 14\n"
        "  length-too-short   length byte 4\n"
        "  wrong-echo         the echo is the command plus one\n"
        "  bad-sum            the low check byte is one too high\n"
        "  short-reply        the reply stops before its last byte\n"
        "  stray-bytes        junk bytes, then the good reply\n"
        "  wrong-data-count   one data byte too many\n"
        "  missing-data-byte  one data byte too few\n"
        "  read-back-differs  a read answers another value than the one stored\n"
        "Examples: --fault silence   --fault wrong-echo:21:3:2   --fault bad-sum:4::1"));
    parser.addHelpOption();
    const QCommandLineOption deviceOption(
        QStringLiteral("device"),
        QStringLiteral("Serve the panel on this serial device (e.g. /dev/ttyUSB1) instead of a new "
                       "pseudo-terminal."),
        QStringLiteral("path"));
    const QCommandLineOption linkOption(
        QStringLiteral("link"),
        QStringLiteral("Also reach the pseudo-terminal through a symbolic link at <path> (replaced "
                       "if present)."),
        QStringLiteral("path"));
    const QCommandLineOption turnaroundOption(
        QStringLiteral("turnaround"),
        QStringLiteral("Milliseconds between a request and its reply (default 5)."), QStringLiteral("ms"),
        QStringLiteral("5"));
    const QCommandLineOption configOption(
        QStringLiteral("config"),
        QStringLiteral("Start from the configuration of this TORVA-PC data file (.dat)."),
        QStringLiteral("file"));
    const QCommandLineOption manualOption(
        QStringLiteral("manual"),
        QStringLiteral("The panel is in manual configuration mode and refuses the PC."));
    const QCommandLineOption noCardOption(QStringLiteral("no-card"), QStringLiteral("No UP card is fitted."));
    const QCommandLineOption cardStateOption(
        QStringLiteral("card-state"),
        QStringLiteral("The UP card's state: 0 absent, 1 operational (default), 2 other."),
        QStringLiteral("state"), QStringLiteral("1"));
    const QCommandLineOption faultOption(
        QStringLiteral("fault"),
        QStringLiteral("Spoil replies with this fault (see above); may be given several times."),
        QStringLiteral("rule"));
    const QCommandLineOption steadyOption(QStringLiteral("steady"),
                                          QStringLiteral("Measurements do not drift."));
    parser.addOptions({deviceOption, linkOption, turnaroundOption, configOption, manualOption, noCardOption,
                       cardStateOption, faultOption, steadyOption});
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!parser.positionalArguments().isEmpty()) {
        err << "torva-ecs-sim: unexpected argument \"" << parser.positionalArguments().constFirst()
            << "\" (see --help)\n";
        return 2;
    }
    bool turnaroundOk = false;
    const int turnaroundMs = parser.value(turnaroundOption).toInt(&turnaroundOk);
    if (!turnaroundOk || turnaroundMs < 0 || turnaroundMs > 10000) {
        err << "torva-ecs-sim: --turnaround takes 0 to 10000 milliseconds\n";
        return 2;
    }
    bool cardStateOk = false;
    const int cardState = parser.value(cardStateOption).toInt(&cardStateOk);
    if (!cardStateOk || cardState < 0 || cardState > 2) {
        err << "torva-ecs-sim: --card-state takes 0, 1 or 2\n";
        return 2;
    }
    if (parser.isSet(deviceOption) && parser.isSet(linkOption)) {
        err << "torva-ecs-sim: --link goes with a pseudo-terminal, not with --device\n";
        return 2;
    }

    EmulatedPanel panel;
    if (parser.isSet(configOption)) {
        const QString path = parser.value(configOption);
        // A pipe or a device could keep the start waiting for ever: only a regular file is read.
        if (QFileInfo::exists(path) && !QFileInfo(path).isFile()) {
            err << "torva-ecs-sim: " << path << " is not a regular file\n";
            return 2;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            err << "torva-ecs-sim: cannot read " << path << ": " << file.errorString() << '\n';
            return 2;
        }
        // Data files are a few hundred bytes; the parser looks at no more than this anyway.
        const QByteArray bytes = file.read(DataFile::kMaxReadBytes);
        if (!PanelOptions::loadDataFile(bytes, panel.state)) {
            err << "torva-ecs-sim: " << path << " is not a TORVA-PC data file\n";
            return 2;
        }
    }
    for (const QString &text : parser.values(faultOption)) {
        const std::optional<FaultRule> rule = PanelOptions::parseFault(text);
        if (!rule) {
            err << "torva-ecs-sim: unknown fault \"" << text << "\" (see --help)\n";
            return 2;
        }
        panel.addFault(*rule);
    }
    panel.state.manualMode = parser.isSet(manualOption);
    panel.state.cardState = std::uint8_t(cardState);
    if (parser.isSet(noCardOption)) {
        panel.state.cardFitted = false;
        panel.state.cardState = 0;
    }
    panel.setLive(!parser.isSet(steadyOption));

    PtyPanel pty(panel);
    SerialPanel serial(panel);
    QString shown;
    const QString link = parser.value(linkOption);
    if (parser.isSet(deviceOption)) {
        // QSerialPort takes a name without a leading "/" or "./" for one in /dev: a path that
        // names something from the working folder is meant from there.
        QString device = parser.value(deviceOption);
        if (QFileInfo(device).isRelative() && QFileInfo::exists(device))
            device = QFileInfo(device).absoluteFilePath();
        serial.setTurnaround(std::chrono::milliseconds(turnaroundMs));
        if (!serial.start(device)) {
            err << "torva-ecs-sim: cannot open " << device << ": " << serial.errorString() << '\n';
            return 1;
        }
        QObject::connect(&serial, &SerialPanel::lost, &app, [&](const QString &reason) {
            err << "torva-ecs-sim: " << device << " lost: " << reason << Qt::endl;
            app.exit(1);
        });
        shown = device;
    } else {
        pty.setTurnaround(std::chrono::milliseconds(turnaroundMs));
        if (!pty.start()) {
            err << "torva-ecs-sim: no pseudo-terminal: " << pty.errorString() << '\n';
            return 1;
        }
        shown = pty.devicePath();
        if (!link.isEmpty()) {
            QFile::remove(link);
            if (!QFile::link(pty.devicePath(), link)) {
                err << "torva-ecs-sim: cannot make the link " << link << '\n';
                return 1;
            }
            shown += QStringLiteral(" (") + link + QLatin1Char(')');
        }
    }
    out << "Emulated panel listening on " << shown << Qt::endl;

    if (::pipe(g_stopPipe) != 0) {
        err << "torva-ecs-sim: no pipe\n";
        return 1;
    }
    QSocketNotifier stopNotifier(g_stopPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    const int code = app.exec();
    if (!link.isEmpty())
        QFile::remove(link);
    return code;
}
