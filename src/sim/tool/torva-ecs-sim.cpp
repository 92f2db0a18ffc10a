// A stand-alone emulated panel on a pseudo-terminal, for trying the configurator's real serial
// path without a panel: start it, then open the device it prints (or the link it makes).
#include "sim/EmulatedPanel.h"
#include "sim/PtyPanel.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
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
    parser.setApplicationDescription(QStringLiteral("Emulated TORVA panel on a pseudo-terminal."));
    parser.addHelpOption();
    const QCommandLineOption linkOption(QStringLiteral("link"),
        QStringLiteral("Also reach the device through a symbolic link at <path> (replaced if present)."),
        QStringLiteral("path"));
    const QCommandLineOption turnaroundOption(QStringLiteral("turnaround"),
        QStringLiteral("Milliseconds between a request and its reply (default 5)."),
        QStringLiteral("ms"), QStringLiteral("5"));
    const QCommandLineOption manualOption(QStringLiteral("manual"),
        QStringLiteral("The panel is in manual configuration mode and refuses the PC."));
    const QCommandLineOption noCardOption(QStringLiteral("no-card"),
        QStringLiteral("No UP card is fitted."));
    const QCommandLineOption steadyOption(QStringLiteral("steady"),
        QStringLiteral("Measurements do not drift."));
    parser.addOptions({linkOption, turnaroundOption, manualOption, noCardOption, steadyOption});
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    bool turnaroundOk = false;
    const int turnaroundMs = parser.value(turnaroundOption).toInt(&turnaroundOk);
    if (!turnaroundOk || turnaroundMs < 0 || turnaroundMs > 10000) {
        err << "torva-ecs-sim: --turnaround takes 0 to 10000 milliseconds\n";
        return 2;
    }

    EmulatedPanel panel;
    panel.state.manualMode = parser.isSet(manualOption);
    if (parser.isSet(noCardOption)) {
        panel.state.cardFitted = false;
        panel.state.cardState = 0;
    }
    panel.setLive(!parser.isSet(steadyOption));

    PtyPanel pty(panel);
    pty.setTurnaround(std::chrono::milliseconds(turnaroundMs));
    if (!pty.start()) {
        err << "torva-ecs-sim: no pseudo-terminal: " << pty.errorString() << '\n';
        return 1;
    }
    QString shown = pty.devicePath();
    const QString link = parser.value(linkOption);
    if (!link.isEmpty()) {
        QFile::remove(link);
        if (!QFile::link(pty.devicePath(), link)) {
            err << "torva-ecs-sim: cannot make the link " << link << '\n';
            return 1;
        }
        shown += QStringLiteral(" (") + link + QLatin1Char(')');
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
