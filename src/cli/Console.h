#pragma once

#include "cli/Terminal.h"
#include "seams/ProgressView.h"
#include "seams/Prompts.h"

#include <QObject>
#include <QString>

#include <functional>

class Link;

// Standard error, where the installer reads what happens: the program's messages, and the
// progress of a transfer, one line redrawn in place (title, step, bar), only when standard error
// is a terminal and --quiet was not given. Results go to standard output, never here.
class Console
{
public:
    // Where the console writes: how its terminal redraws a line, its width, and the text's way out.
    struct Output
    {
        Terminal::LineRedraw redraw;
        std::function<int()> columns;
        std::function<void(const QString &)> write;
    };

    // Standard error, as the terminal takes it.
    explicit Console(bool quiet);
    Console(bool quiet, Output output);

    bool drawsProgress() const { return m_drawsProgress; }
    // Replaces the progress line by `line`, cut to the terminal's width.
    void drawProgress(const QString &line);
    void clearProgress();
    // Writes `text` and a line end, below any progress line.
    void print(const QString &text);

private:
    Output m_output;
    bool m_drawsProgress = false;
    bool m_progressShown = false;
    qsizetype m_shownLength = 0; // the characters of the progress line on the screen
};

// The prompts of a program without a window: each message goes to standard error as
// "TITLE : text", its details indented below it; a question gets the safe answer, No, and a file
// dialog is cancelled, as nobody is there to answer them.
class ConsolePrompts : public Prompts
{
public:
    explicit ConsolePrompts(Console &console) : m_console(console) {}

    void message(const QString &text, const QString &title, Icon icon, const QString &details = {}) override;
    bool askYesNo(const QString &text, const QString &title, Icon icon, Preferred preferred) override;
    QString openFileName(const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &) override { return {}; }
    void setBusy(bool) override {}

private:
    Console &m_console;
};

// The progress window as a line of the console: its title, the current step and a bar that the
// link steps once per reply data byte, full at the most.
class ConsoleProgress : public QObject, public ProgressView
{
    Q_OBJECT
public:
    ConsoleProgress(Link &link, Console &console);

    void setTitle(const QString &title) override;
    void setStep(const QString &step) override;
    void setMaximum(int maximum) override;
    void setValue(int value) override;
    void showProgress() override;
    void hideProgress() override;

private:
    void redraw();

    Console &m_console;
    QString m_title;
    QString m_step;
    int m_maximum = 0;
    int m_value = 0;
    bool m_shown = false;
};
