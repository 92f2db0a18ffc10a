#include "cli/Console.h"

#include "cli/Terminal.h"
#include "link/Link.h"

#include <cstdio>

namespace {

constexpr int kBarWidth = 30;

void writeError(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stderr);
    std::fflush(stderr);
}

} // namespace

Console::Console(bool quiet) : m_drawsProgress(Terminal::prepareStandardError() && !quiet) {}

void Console::drawProgress(const QString &line)
{
    if (!m_drawsProgress)
        return;
    // One column short of the width: a line that fills it would wrap on some terminals.
    writeError(QStringLiteral("\r\x1b[K") + line.left(Terminal::columns() - 1));
    m_progressShown = true;
}

void Console::clearProgress()
{
    if (!m_progressShown)
        return;
    writeError(QStringLiteral("\r\x1b[K"));
    m_progressShown = false;
}

void Console::print(const QString &text)
{
    clearProgress();
    writeError(text + QLatin1Char('\n'));
}

void ConsolePrompts::message(const QString &text, const QString &title, Icon, const QString &details)
{
    QString shown = title + QStringLiteral(" : ") + text;
    for (const QString &line : details.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        shown += QStringLiteral("\n  ") + line;
    m_console.print(shown);
}

bool ConsolePrompts::askYesNo(const QString &text, const QString &title, Icon, Preferred)
{
    m_console.print(title + QStringLiteral(" : ") + text + QStringLiteral(" Non"));
    return false;
}

ConsoleProgress::ConsoleProgress(Link &link, Console &console) : m_console(console)
{
    connect(&link, &Link::dataByteReceived, this, [this] { setValue(m_value + 1); });
}

void ConsoleProgress::setTitle(const QString &title)
{
    m_title = title;
    redraw();
}

void ConsoleProgress::setStep(const QString &step)
{
    m_step = step.trimmed();
    redraw();
}

void ConsoleProgress::setMaximum(int maximum)
{
    m_maximum = maximum;
    redraw();
}

void ConsoleProgress::setValue(int value)
{
    // Replies may bring more data bytes than the maximum: the bar then stays full.
    m_value = m_maximum > 0 ? std::min(value, m_maximum) : value;
    redraw();
}

void ConsoleProgress::showProgress()
{
    m_shown = true;
    redraw();
}

void ConsoleProgress::hideProgress()
{
    m_shown = false;
    m_console.clearProgress();
}

void ConsoleProgress::redraw()
{
    if (!m_shown)
        return;
    const int filled = m_maximum > 0 ? kBarWidth * m_value / m_maximum : 0;
    const QString bar = QString(filled, QLatin1Char('#')) + QString(kBarWidth - filled, QLatin1Char('.'));
    m_console.drawProgress(
        QStringLiteral("[%1] %2/%3 %4 %5").arg(bar).arg(m_value, 2).arg(m_maximum).arg(m_title, m_step));
}
