#pragma once

#include <QByteArray>
#include <QString>

// Writing a whole file so that a failure never damages the file already there.
namespace AtomicFile {

// Writes `bytes` next to the target and renames the result over the target only once complete;
// false when any part of it failed (the target is then as it was). A folder where no new file
// can be made still lets an existing file be rewritten in place. A target that exists and is not
// a regular file (a folder, a FIFO, a device, a socket; a symbolic link is followed) is refused and
// left as it is.
bool write(const QString &path, const QByteArray &bytes);

} // namespace AtomicFile
