#pragma once

#include "config/EditorView.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

struct Session;

// Everything the configuration sheet shows, gathered at the moment it is made: the configuration
// as the editor shows it, and what the session knows of where it came from and of the panel on
// the line.
struct SheetContent
{
    PanelConfig config;
    std::optional<QString> dataFileName; // path of the last file opened, imported or saved
    std::optional<QString> panelVersion; // as the diagnostic window showed them
    std::optional<QString> panelSerial;
    QDateTime madeAt;
    // The access codes print as "****": a page that stays where many people read it (the
    // intervention report) must not open the panel's protected levels.
    bool codesHidden = false;

    static SheetContent fromEditor(const EditorView &view, const Session &session, const QDateTime &madeAt);
};
