// A stand-alone emulated panel, for trying the configurator's real serial path without a panel:
// on a new pseudo-terminal (open the device it prints, or the link it makes, with the program's
// "Autre :" choice) or on a serial device wired to the configurator's PC by a null-modem cable.
#include "sim/EmulatedPanel.h"
#include "simfiles/PanelOptions.h"
#include "simtool/PtyPanel.h"
#include "simtool/SerialPanel.h"

#include "files/DataFile.h"
#include "seams/StartUp.h"

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

// What --help says, before the faults (PanelOptions::faultHelp()): in French, as TORVA-PC and
// torva-cli speak.
const char16_t kHelp[] =
    u"torva-ecs-sim : une ECS TORVA émulée, pour essayer TORVA-PC et torva-cli sans ECS.\n"
    u"\n"
    u"Utilisation : torva-ecs-sim [OPTIONS]\n"
    u"\n"
    u"Sans --device, l'ECS répond sur un nouveau pseudo-terminal dont le chemin s'affiche\n"
    u"(« Emulated panel listening on /dev/pts/3 ») : dans la fenêtre des ports de TORVA-PC,\n"
    u"choisissez « Autre : » et tapez ce chemin (ou celui de --link) ; torva-cli le prend avec --port.\n"
    u"Avec --device, l'ECS répond sur ce port série à 9600 bauds 8N1, pour un câble null-modem vers\n"
    u"le PC où tourne TORVA-PC.\n"
    u"\n"
    u"Options :\n"
    u"  --device CHEMIN     répond sur ce port série (par exemple /dev/ttyUSB1) au lieu d'un\n"
    u"                      nouveau pseudo-terminal\n"
    u"  --link CHEMIN       rend aussi le pseudo-terminal accessible par un lien symbolique à\n"
    u"                      CHEMIN (remplacé s'il existe)\n"
    u"  --turnaround MS     millisecondes entre une requête et sa réponse (5 par défaut, 0 à 10000)\n"
    u"  --config FICHIER    part de la configuration de ce fichier de données TORVA-PC (.dat)\n"
    u"  --manual            l'ECS est en mode de configuration manuelle et refuse le PC\n"
    u"  --no-card           aucune carte UP n'est montée\n"
    u"  --card-state ÉTAT   l'état de la carte UP : 0 absente, 1 opérationnelle (par défaut), 2 autre\n"
    u"  --fault RÈGLE       gâche des réponses par ce défaut (voir plus bas) ; peut se répéter\n"
    u"  --steady            les mesures ne varient pas\n"
    u"  -h, --help          cette aide\n"
    u"  --version           la version\n"
    u"\n";

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    StartUp::nameProgram(QStringLiteral("torva-ecs-sim"));

    QCommandLineParser parser;
    const QCommandLineOption deviceOption(QStringLiteral("device"), {}, QStringLiteral("path"));
    const QCommandLineOption linkOption(QStringLiteral("link"), {}, QStringLiteral("path"));
    const QCommandLineOption turnaroundOption(QStringLiteral("turnaround"), {}, QStringLiteral("ms"),
                                              QStringLiteral("5"));
    const QCommandLineOption configOption(QStringLiteral("config"), {}, QStringLiteral("file"));
    const QCommandLineOption manualOption(QStringLiteral("manual"));
    const QCommandLineOption noCardOption(QStringLiteral("no-card"));
    const QCommandLineOption cardStateOption(QStringLiteral("card-state"), {}, QStringLiteral("state"),
                                             QStringLiteral("1"));
    const QCommandLineOption faultOption(QStringLiteral("fault"), {}, QStringLiteral("rule"));
    const QCommandLineOption steadyOption(QStringLiteral("steady"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(QStringLiteral("version"));
    parser.addOptions({deviceOption, linkOption, turnaroundOption, configOption, manualOption, noCardOption,
                       cardStateOption, faultOption, steadyOption, helpOption, versionOption});
    if (!parser.parse(QCoreApplication::arguments())) {
        QTextStream(stderr) << "torva-ecs-sim: " << parser.errorText() << " (see --help)\n";
        return 2;
    }
    if (parser.isSet(helpOption)) {
        QTextStream(stdout) << QString::fromUtf16(kHelp) << PanelOptions::faultHelp();
        return 0;
    }
    if (parser.isSet(versionOption)) {
        QTextStream(stdout) << "torva-ecs-sim " << QCoreApplication::applicationVersion() << '\n';
        return 0;
    }

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
