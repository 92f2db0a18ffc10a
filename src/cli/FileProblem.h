#pragma once

#include "files/DataFile.h"

#include <QString>

// Why a data file is refused, in the words of the editor's captions, for the installer who must
// mend it.
namespace FileProblem {

// The line that made the file refused and what is wrong with it: "ligne 4 : « 300 » n'est pas
// un nombre entier de 0 à 255".
QString lineText(const DataFile::ParseResult &result, DataFile::Version version);
// Why a file could not be read at all: "fichier introuvable", "pas un fichier ordinaire",
// "fichier illisible".
QString unreadable(const QString &path);

} // namespace FileProblem
