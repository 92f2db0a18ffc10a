// Runs every registered test class of this executable in turn.
// Usage: test_<subsystem> [ClassName] [QTest options and test functions]
#include "TestRegistry.h"

#include <QFile>
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

#include <QStandardPaths>

#include <cstring>

namespace {

bool joinParts(const QStringList &parts, const QString &path)
{
    QFile joined(path);
    if (!joined.open(QIODevice::WriteOnly))
        return false;
    for (const QString &part : parts) {
        QFile file(part);
        if (!file.open(QIODevice::ReadOnly) || joined.write(file.readAll()) < 0)
            return false;
        file.close();
        file.remove();
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The journal, the emulated panel's file and the settings go to folders of this run's own,
    // never into the account's, nor into another test program's running at the same time.
    const QTemporaryDir home;
#ifdef Q_OS_WIN
    QStandardPaths::setTestModeEnabled(true); // the settings are the registry's there
#else
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
#endif
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

    // "-o FILE,FORMAT" would keep the last class's results only: each class writes a part of its
    // own, and the parts are joined into FILE at the end.
    char **output = nullptr;
    QString outputFile, outputFormat;
    for (size_t i = 1; i + 1 < args.size(); ++i)
        if (std::strcmp(args[i], "-o") == 0) {
            const QString value = QString::fromLocal8Bit(args[i + 1]);
            const qsizetype comma = value.lastIndexOf(u',');
            if (comma > 0 && value.left(comma) != QLatin1String("-")) {
                output = &args[i + 1];
                outputFile = value.left(comma);
                outputFormat = value.mid(comma);
            }
        }
    QStringList parts;

    int failures = 0;
    for (const auto &[name, make] : TestRegistry::entries()) {
        if (only && std::strcmp(name, only) != 0)
            continue;
        QByteArray partArgument;
        if (output) {
            parts << outputFile + QStringLiteral(".part%1").arg(parts.size());
            partArgument = (parts.last() + outputFormat).toLocal8Bit();
            *output = partArgument.data();
        }
        std::unique_ptr<QObject> test = make();
        failures += QTest::qExec(test.get(), int(args.size()), args.data());
    }
    if (output && !joinParts(parts, outputFile))
        return 1;
    return failures == 0 ? 0 : 1;
}
