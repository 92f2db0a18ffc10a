#pragma once

#include "config/EditorView.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

struct Session;

// Everything the configuration sheet shows, gathered at the moment it is made: the items as the
// editor's controls hold them (not the record, which lags behind the installer's edits until a
// save or a send), the code boxes as typed, and what the session knows of where the
// configuration came from and of the panel on the line.
struct SheetContent
{
    ControlItems items;
    std::array<QString, 2> codes;
    bool cardPresent = true;
    std::optional<std::uint8_t> ugaTempo;       // minutes, once a receive has read it
    std::optional<QString> dataFileName;        // path of the last file opened, imported or saved
    std::optional<QString> panelVersion;        // as the diagnostic window showed them
    std::optional<QString> panelSerial;
    QDateTime madeAt;

    static SheetContent fromEditor(const EditorView &view, const Session &session,
                                   const QDateTime &madeAt);
};
