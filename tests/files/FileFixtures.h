#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>

// Files shared by the file tests and the sheet's.
namespace FileFixtures {

// The fields of the start-up configuration's file, without blanks; a version-1 file has no card line.
inline QList<QByteArray> startupFields(const QByteArray &mark = "TORVA_DATA_V2")
{
    QList<QByteArray> fields = QByteArray(" 30 0 30 0 30 0 30 0 30 0 30 0 30 0 30 0 1 1 1 0 0 0 0 "
                                          "66 67 67 67 65 66 66 65 1")
                                   .split(' ');
    fields[0] = mark;
    return mark == "TORVA_DATA_V2" ? fields : fields.mid(0, 32);
}

inline QByteArray joinLines(const QList<QByteArray> &fields, const QByteArray &eol = "\r\n")
{
    return fields.join(eol) + eol;
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace FileFixtures
