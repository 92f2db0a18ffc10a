#include "cli/StandardStream.h"

StandardStream::StandardStream(Terminal::Stream stream) : m_stream(stream)
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 StandardStream::writeData(const char *data, qint64 size)
{
    Terminal::write(m_stream, QByteArrayView(data, size));
    return size;
}
