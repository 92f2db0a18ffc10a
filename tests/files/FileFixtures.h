#pragma once

#include "config/EditorView.h"
#include "files/DataFile.h"

#include <QByteArray>
#include <QList>

// Files and contents shared by the file tests.
namespace FileFixtures {

// The configuration the editor shows right after start-up, as the file holds it.
inline DataFileContent startupContent()
{
    DataFileContent content;
    content.items.CommandMatrix.fill(30);
    content.items.FunctionTypes.fill(1);
    content.codes = {QStringLiteral("BCAB"), QStringLiteral("CCBA")};
    content.UpCardPresent = 1;
    return content;
}

// The fields of the start-up file, one per line, without blanks; the mark first.
inline QList<QByteArray> startupFields(const QByteArray &mark = "TORVA_DATA_V2")
{
    QList<QByteArray> fields{mark};
    for (int i = 0; i < 8; ++i)
        fields << "30" << "0";
    fields << "1" << "1" << "1" << "0" << "0" << "0" << "0";
    fields << "66" << "67" << "67" << "67" << "65" << "66" << "66" << "65";
    if (mark == "TORVA_DATA_V2")
        fields << "1";
    return fields;
}

// The fields joined as lines, each ended by `eol`.
inline QByteArray joinLines(const QList<QByteArray> &fields, const QByteArray &eol = "\r\n")
{
    QByteArray out;
    for (const QByteArray &f : fields)
        out += f + eol;
    return out;
}

} // namespace FileFixtures
