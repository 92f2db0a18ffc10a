#pragma once

#include "config/PanelConfig.h"
#include "link/Link.h"

#include <QString>

#include <functional>
#include <optional>

class EditorView;
class ProgressView;
class Prompts;
struct Session;

// What the receive and send procedures work with. The main window builds one; tests build one
// around an emulated panel. `selectPort` shows the port selection and opens the chosen port.
struct TransferContext
{
    Link &link;
    Session &session;
    EditorView &view;
    Prompts &prompts;
    ProgressView &progress;
    std::function<PortOutcome()> selectPort;
};

// "RECEVOIR LA CONFIGURATION": reads the whole configuration from the panel in its fixed order
// and shows it in the editor. Returns true when the configuration was shown.
bool receiveConfiguration(TransferContext &context);

// The receive's reads, in its order and with its messages, under a progress window titled
// `title`, into a configuration of their own: the editor, its code boxes and the session stay as
// they are. The panel's configuration, or nothing when the receive would not have shown one.
std::optional<PanelConfig> readPanelConfiguration(TransferContext &context, const QString &title);

// "ENVOYER LA CONFIGURATION": writes the configuration shown in the editor and verifies every
// item by reading it back. Returns true when every item was written and verified.
bool sendConfiguration(TransferContext &context);
