// Times torva-pc's start, from the exec to its main window painted, against an empty QMainWindow
// program built the same way: the two take turns, kRuns times each, and the medians and their
// ratio are printed. Both need a display: run it under xvfb-run (bench/startup_bench.sh does).
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
double timeToShown(const QString &program)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TORVA_STARTUP_PROBE"), QStringLiteral("1"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM")); // the display's own platform
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    QByteArray said;
    while (!said.contains("shown") && process.waitForReadyRead(10000))
        said += process.readAllStandardOutput();
    const double ms = clock.nsecsElapsed() / 1e6;
    process.waitForFinished(5000);
    return said.contains("shown") ? ms : -1;
}

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
    const QString programs[] = {dir + QStringLiteral("/../app/torva-pc"),
                                dir + QStringLiteral("/empty_window")};
    std::vector<double> times[2];
    timeToShown(programs[0]); // the first start fills the disk cache: not counted
    timeToShown(programs[1]);
    for (int run = 0; run < kRuns; ++run)
        for (int p = 0; p < 2; ++p) {
            const double ms = timeToShown(programs[p]);
            if (ms < 0) {
                std::fprintf(stderr, "%s did not show its window\n", qPrintable(programs[p]));
                return 1;
            }
            times[p].push_back(ms);
        }
    const double pc = median(times[0]), empty = median(times[1]);
    std::printf("exec to window painted, median of %d interleaved runs:\n", kRuns);
    std::printf("  torva-pc              %6.1f ms\n", pc);
    std::printf("  empty QMainWindow     %6.1f ms\n", empty);
    std::printf("  ratio                 %6.2f\n", pc / empty);
    return 0;
}
