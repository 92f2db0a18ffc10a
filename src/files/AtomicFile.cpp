#include "files/AtomicFile.h"

#include <QFileInfo>
#include <QSaveFile>

bool AtomicFile::write(const QString &path, const QByteArray &bytes)
{
    // A FIFO, a device or a socket would be replaced by a regular file, and the program that
    // reads it, or the system, would lose it: only a regular file, or a link to one, is
    // rewritten.
    const QFileInfo target(path);
    if ((target.exists() || target.isSymLink()) && !target.isFile())
        return false;
    QSaveFile file(path);
    // The installer may be allowed to write the file but not the folder: then the target is
    // written directly.
    file.setDirectWriteFallback(true);
    // Unbuffered, so that a short write (disk full, size limit) shows in what write() returns:
    // a buffered QSaveFile can flush part of the data at commit() and still report success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            file.cancelWriting();
            return false;
        }
        written += n;
    }
    return file.commit();
}
