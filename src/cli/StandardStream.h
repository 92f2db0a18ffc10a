#pragma once

#include "cli/Terminal.h"

#include <QIODevice>

// Standard output or standard error as a device for a QTextStream: what the stream writes goes out
// at once, through the terminal (a console is given characters, a file or a pipe the UTF-8 bytes).
class StandardStream : public QIODevice
{
public:
    explicit StandardStream(Terminal::Stream stream);

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    Terminal::Stream m_stream;
};
