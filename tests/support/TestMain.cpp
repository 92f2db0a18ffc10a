// Runs every registered test class of this executable in turn.
// Usage: test_<subsystem> [ClassName] [QTest options and test functions]
#include "TestRegistry.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#ifdef TORVA_TEST_WIDGETS
#include <QApplication>
using Application = QApplication;
#else
#include <QCoreApplication>
using Application = QCoreApplication; // the subsystems below the editor need no widget
#endif

#include <cstring>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);

    const char *only = nullptr;
    std::vector<char *> args(argv, argv + argc);
    if (argc > 1 && argv[1][0] != '-') {
        for (const auto &entry : TestRegistry::entries())
            if (std::strcmp(entry.first, argv[1]) == 0)
                only = argv[1];
        if (only)
            args.erase(args.begin() + 1);
    }

    // The programs' settings (the last port typed) go to a folder of the run, not the account's.
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());

    int failures = 0;
    for (const auto &[name, make] : TestRegistry::entries()) {
        if (only && std::strcmp(name, only) != 0)
            continue;
        std::unique_ptr<QObject> test = make();
        failures += QTest::qExec(test.get(), int(args.size()), args.data());
    }
    return failures == 0 ? 0 : 1;
}
