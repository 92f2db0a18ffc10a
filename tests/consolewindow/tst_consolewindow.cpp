// torva-cli.exe in a console window, as an installer runs it from cmd.exe: the program is started
// in this test's own console, the console's characters are read back while it runs and once it
// ended. Accents as they are written (not "NÂ° de SÃ©rie"), no escape sequence left on the screen,
// the progress on one line that is gone at the end. Wine's console draws a window: this runs under
// a display (scripts/windows/console-test.sh), not in ctest.
#include "support/TestRegistry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

#include <algorithm>
#include <string>

namespace {

// The console's screen, a line per row, blanks at the end of each row dropped.
QStringList screenLines(HANDLE console)
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(console, &info))
        return {QStringLiteral("(no screen buffer)")};
    const int width = info.dwSize.X;
    std::wstring characters(std::size_t(width) * info.dwSize.Y, L' ');
    DWORD read = 0;
    ::ReadConsoleOutputCharacterW(console, characters.data(), DWORD(characters.size()), COORD{0, 0}, &read);
    QStringList lines;
    for (DWORD start = 0; start < read; start += DWORD(width)) {
        QString line =
            QString::fromWCharArray(characters.data() + start, std::min<DWORD>(width, read - start));
        while (line.endsWith(u' '))
            line.chop(1);
        lines << line;
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void clearScreen(HANDLE console)
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    ::GetConsoleScreenBufferInfo(console, &info);
    DWORD done = 0;
    ::FillConsoleOutputCharacterW(console, L' ', DWORD(info.dwSize.X * info.dwSize.Y), COORD{0, 0}, &done);
    ::SetConsoleCursorPosition(console, COORD{0, 0});
}

int nonBlankLines(const QStringList &lines)
{
    return int(
        std::count_if(lines.begin(), lines.end(), [](const QString &line) { return !line.isEmpty(); }));
}

// A screen as a failure shows it: its characters as they are, the escape character named.
QByteArray readable(const QStringList &lines)
{
    return lines.join(u'\n').replace(QChar(0x1b), QStringLiteral("<ESC>")).toUtf8();
}

// The build's torva-cli, under Wine on drive Z:.
QString cliPath()
{
    const QString path = QDir::toNativeSeparators(QStringLiteral(TORVA_CLI_PATH));
    return path.startsWith(u'\\') ? QStringLiteral("Z:") + path : path;
}

// What a run of torva-cli left on the screen, and every screen seen while it ran.
struct Run
{
    int status = -1;
    QStringList screen;
    QList<QStringList> seen;
};

} // namespace

class ConsoleWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A console of this test's own, which torva-cli shares as it would share cmd.exe's.
        ::FreeConsole();
        QVERIFY(::AllocConsole());
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        m_screen = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inherited, OPEN_EXISTING, 0, nullptr);
        m_keyboard = ::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);
        QVERIFY(m_screen != INVALID_HANDLE_VALUE);
        QVERIFY(m_keyboard != INVALID_HANDLE_VALUE);
        DWORD mode = 0;
        QVERIFY2(::GetConsoleMode(m_screen, &mode), "the screen is no console");
    }

    void shownInConsole_data()
    {
        QTest::addColumn<QStringList>("arguments"); // run in an empty folder
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("line");     // a line of the screen at the end; empty: a blank screen
        QTest::addColumn<QString>("progress"); // in the progress line while it ran; empty: none
        QTest::newRow("help on standard output")
            << QStringList{"--help"} << 0 << "torva-cli : TORVA-PC en ligne de commande, sans écran."
            << "";
        QTest::newRow("usage error on standard error")
            << QStringList{"receive", "--port", "sim"} << 2 << "« torva-cli receive --help » donne l'aide."
            << "";
        QTest::newRow("diagnostic on standard output")
            << QStringList{"diag", "--port", "sim"} << 0 << "  N° de Série =020712345"
            << "";
        QTest::newRow("a port that is not there, on standard error")
            << QStringList{"receive", "--port", "COM9", "-o", "out.dat"} << 3
            << "ERREUR DE COM : Port série introuvable ou déjà ouvert !"
            << "";
        QTest::newRow("receive's progress on standard error")
            << QStringList{"receive", "--port", "sim", "-o", "out.dat"} << 0 << ""
            << "RECEPTION EN COURS...";
    }
    void shownInConsole()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, line);
        QFETCH(QString, progress);
        const Run run = cliInConsole(arguments);
        QCOMPARE(run.status, status);
        if (line.isEmpty())
            QVERIFY2(run.screen.isEmpty(), readable(run.screen).constData());
        else
            QVERIFY2(run.screen.contains(line), readable(run.screen).constData());
        QVERIFY2(!run.screen.join(u'\n').contains(QChar(0x1b)), readable(run.screen).constData());
        for (const QStringList &seen : run.seen)
            QVERIFY2(!seen.join(u'\n').contains(QChar(0x1b)), readable(seen).constData());
        if (progress.isEmpty())
            return;
        // The progress line redrawn in place: never a second line on the screen, and gone at the end.
        const auto drawn = std::find_if(run.seen.begin(), run.seen.end(), [&](const QStringList &seen) {
            return seen.join(u'\n').contains(progress);
        });
        QVERIFY2(drawn != run.seen.end(), "no progress line seen");
        for (const QStringList &seen : run.seen)
            QVERIFY2(nonBlankLines(seen) <= 1, readable(seen).constData());
    }

    void cleanupTestCase()
    {
        ::CloseHandle(m_screen);
        ::CloseHandle(m_keyboard);
        ::FreeConsole();
    }

private:
    // Runs torva-cli in this console on a blank screen, reading the screen as it runs.
    Run cliInConsole(const QStringList &arguments)
    {
        Run run;
        clearScreen(m_screen);
        QTemporaryDir folder;
        QString command = QLatin1Char('"') + cliPath() + QLatin1Char('"');
        for (const QString &argument : arguments)
            command += QStringLiteral(" \"%1\"").arg(argument);
        std::wstring line = command.toStdWString();
        const std::wstring where = QDir::toNativeSeparators(folder.path()).toStdWString();
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = m_keyboard;
        startup.hStdOutput = m_screen;
        startup.hStdError = m_screen;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, where.c_str(),
                              &startup, &process)) {
            run.screen << QStringLiteral("(torva-cli not started: %1)").arg(::GetLastError());
            return run;
        }
        QElapsedTimer timer;
        timer.start();
        while (::WaitForSingleObject(process.hProcess, 2) == WAIT_TIMEOUT && timer.elapsed() < 30000) {
            QStringList seen = screenLines(m_screen);
            if (run.seen.isEmpty() || run.seen.last() != seen)
                run.seen << seen;
        }
        DWORD code = 0;
        if (::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0 &&
            ::GetExitCodeProcess(process.hProcess, &code))
            run.status = int(code);
        else
            ::TerminateProcess(process.hProcess, 1);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        run.screen = screenLines(m_screen);
        return run;
    }

    HANDLE m_screen = INVALID_HANDLE_VALUE;
    HANDLE m_keyboard = INVALID_HANDLE_VALUE;
};

TORVA_TEST(ConsoleWindowTest)
#include "tst_consolewindow.moc"
