#pragma once

#include "config/PanelConfig.h"

#include <QByteArray>
#include <QString>

#include <optional>

class EditorView;
class Prompts;
struct Session;

// How "Enregistrer" ended. Failed covers a refused code as well as a file that could not be
// written: in both cases nothing was saved although the installer meant to save.
enum class SaveResult { Saved, Cancelled, Failed };
// How "Ouvrir" or "Importer fichier Version 1" ended.
enum class LoadResult { Loaded, Cancelled, Refused };

// The file commands of the "Utilitaires" menu: Save ("Enregistrer"), Open ("Ouvrir") and Import
// ("Importer fichier Version 1"). They reach the editor only through EditorView; every message,
// dialog and the hourglass go through Prompts.
//
// Save writes the whole file beside the old one and replaces it only once complete, so a failed
// save never damages the previous file; only in a folder that takes no new file does it write
// over the old one in place. Open and Import check the whole file before they touch
// anything: a refused file changes nothing in the editor.
// A successful open, import or save records the file's path in the session (DataFileName), for
// the configuration sheet; a cancelled or failed one leaves the previous path. A successful open
// or import also forgets the panel the previous configuration was read on (SourcePanelSerial).
class FileCommands
{
public:
    // "Tout type" lists every file: "*.*" would leave out the names without a dot.
    static inline const QString kFilter = QStringLiteral("Fichiers données (*.dat);;Tout type (*)");
    static inline const QString kSuffix = QStringLiteral("dat");

    FileCommands(Session &session, EditorView &view, Prompts &prompts);

    // Refuses codes that are not four letters, asks for the file, writes the configuration the
    // editor shows, and marks it saved.
    SaveResult save();
    // Reads a version-2 file and shows it.
    LoadResult open();
    // The same for a file named already (the program started with a file, "Ouvrir avec" on the
    // desktop): Open's check and messages, no dialog.
    LoadResult openPath(const QString &path);
    // Reads a version-1 file and shows it with the UP card present.
    LoadResult importVersion1();
    // Asks for a file and checks it as "Ouvrir" does (a refused file gets Open's message), without
    // showing it: the configuration to compare the editor with, or nothing.
    std::optional<PanelConfig> chooseForComparison();

    // The file access of the three commands, for a program without dialogs.
    // The first bytes of a regular file that can be read (DataFile::kMaxReadBytes at most);
    // nothing for anything else: a device, a pipe or a folder could block or never end.
    static std::optional<QByteArray> readFile(const QString &path);
    // Writes the whole file or, when that fails, leaves the target as it was (AtomicFile::write).
    static bool writeFile(const QString &path, const QByteArray &bytes);

private:
    enum class Kind { Open, Import };
    struct ReadFile
    {
        LoadResult result;
        PanelConfig config;
        QString path;
    };
    LoadResult load(Kind kind);
    LoadResult show(const ReadFile &file);
    ReadFile chooseAndRead(Kind kind);
    ReadFile read(Kind kind, const QString &path);

    Session &m_session;
    EditorView &m_view;
    Prompts &m_prompts;
};
