#pragma once

#include <QString>

// What a program of the configurator sets up before it shows anything.
namespace StartUp {

// Names the running program and gives it the project's version (the build's, set in one place).
void nameProgram(const QString &name);

// Installs Qt's own French texts (the qtbase_fr catalogue in `folder`, by default the
// `translations` folder beside the program, else Qt's translations folder) on the running
// application, whatever the system's language, so that the standard buttons and dialogs read
// "Oui", "Non", "Annuler", "Nom de fichier". False when the catalogue cannot be loaded: the
// program goes on with Qt's English, and one line on stderr says why.
bool loadQtFrench(const QString &folder = {});

// The start of torva-pc, torva-cli and torva-report: the French texts; SIGXFSZ ignored, so that a
// save past the process's file-size limit ends as a failed write that the program reports,
// instead of killing it; and, on Windows, the mark that keeps the setup from replacing the
// programs while they run (RunningMark).
void prepareProgram();

} // namespace StartUp
