// Times torva-pc's start, from the exec to its main window painted, against an empty QMainWindow
// program built the same way and against that window holding one label (the floor of any window
// that shows text): the three take turns, kRuns times each, and the medians and their ratios are
// printed. All three need a display: run it under xvfb-run (xvfb-run -a build/bench/startup_bench).
// Each program reports its first paint through the start-up probe (TORVA_STARTUP_PROBE).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 15;

// Milliseconds from the start of `program` to its "shown"; -1 when it never said it.
double timeToShown(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TORVA_STARTUP_PROBE"), QStringLiteral("1"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM")); // the display's own platform
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    QByteArray said;
    while (!said.contains("shown") && process.waitForReadyRead(10000))
        said += process.readAllStandardOutput();
    const double ms = clock.nsecsElapsed() / 1e6;
    process.waitForFinished(5000);
    return said.contains("shown") ? ms : -1;
}

struct Contender
{
    const char *name;
    QString program;
    QStringList arguments;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString dir = QCoreApplication::applicationDirPath();
    const QString yardstick = dir + QStringLiteral("/empty_window");
    const Contender contenders[] = {{"torva-pc", dir + QStringLiteral("/../app/torva-pc"), {}},
                                    {"empty QMainWindow", yardstick, {}},
                                    {"QMainWindow, one label", yardstick, {QStringLiteral("text")}}};
    std::vector<double> times[std::size(contenders)];
    for (const Contender &c : contenders) // the first start fills the disk cache: not counted
        timeToShown(c.program, c.arguments);
    for (int run = 0; run < kRuns; ++run)
        for (std::size_t i = 0; i < std::size(contenders); ++i) {
            const double ms = timeToShown(contenders[i].program, contenders[i].arguments);
            if (ms < 0) {
                std::fprintf(stderr, "%s did not show its window\n", contenders[i].name);
                return 1;
            }
            times[i].push_back(ms);
        }
    const double pc = median(times[0]), empty = median(times[1]), text = median(times[2]);
    std::printf("exec to window painted, median of %d interleaved runs:\n", kRuns);
    std::printf("  torva-pc                  %6.1f ms\n", pc);
    std::printf("  empty QMainWindow         %6.1f ms   torva-pc / empty  %5.2f\n", empty, pc / empty);
    std::printf("  QMainWindow, one label    %6.1f ms   torva-pc / label  %5.2f\n", text, pc / text);
    return 0;
}
