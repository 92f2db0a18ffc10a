#include "cli/Console.h"

#include "link/Link.h"

#include <algorithm>

namespace {

constexpr int kBarWidth = 30;

// The erase-line sequence: what the line held beyond the cursor goes.
const QString kEraseLine = QStringLiteral("\x1b[K");

Console::Output standardError()
{
    return {Terminal::prepareStandardError(), &Terminal::columns,
            [](const QString &text) { Terminal::write(Terminal::Stream::Error, text.toUtf8()); }};
}

} // namespace

Console::Console(bool quiet) : Console(quiet, standardError()) {}

Console::Console(bool quiet, Output output)
    : m_output(std::move(output)), m_drawsProgress(m_output.redraw != Terminal::LineRedraw::None && !quiet)
{}

void Console::drawProgress(const QString &line)
{
    if (!m_drawsProgress)
        return;
    // One column short of the width: a line that fills it would wrap on some terminals, and each
    // redraw would leave a line behind.
    const qsizetype width = std::max(m_output.columns() - 1, 0);
    const QString shown = line.left(width);
    if (m_output.redraw == Terminal::LineRedraw::EraseSequence) {
        m_output.write(QLatin1Char('\r') + kEraseLine + shown);
    } else {
        // Blanks over the rest of a longer line drawn before.
        const qsizetype blanks = std::min(m_shownLength, width) - shown.size();
        m_output.write(QLatin1Char('\r') + shown + QString(std::max<qsizetype>(blanks, 0), QLatin1Char(' ')));
    }
    m_shownLength = shown.size();
    m_progressShown = true;
}

void Console::clearProgress()
{
    if (!m_progressShown)
        return;
    if (m_output.redraw == Terminal::LineRedraw::EraseSequence)
        m_output.write(QLatin1Char('\r') + kEraseLine);
    else
        m_output.write(QLatin1Char('\r') +
                       QString(std::min<qsizetype>(m_shownLength, std::max(m_output.columns() - 1, 0)),
                               QLatin1Char(' ')) +
                       QLatin1Char('\r'));
    m_shownLength = 0;
    m_progressShown = false;
}

void Console::print(const QString &text)
{
    clearProgress();
    m_output.write(text + QLatin1Char('\n'));
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
