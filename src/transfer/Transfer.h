#pragma once

#include "config/PanelConfig.h"
#include "config/PanelIdentity.h"
#include "link/Link.h"

#include <QString>

#include <functional>

class EditorView;
class ProgressView;
class Prompts;
struct Session;

// What a receive or a send learnt of the panel, for the journal, filled as the procedure goes:
// what it did not reach stays empty.
struct TransferRecord
{
    bool reachedPanel = false; // the port opened: something went over the line
    std::optional<PanelIdentity> identity;
    // A receive: the configuration read. A send: what the panel held before the first write.
    std::optional<PanelConfig> panel;
    std::optional<PanelConfig> sent; // a send: what it was about to write, once it began writing
};

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
    TransferRecord *record = nullptr; // where the procedure notes what it learnt, when wanted
};

// How a receive or a send ended; every end but Done and Aborted has told the installer why.
enum class TransferResult {
    Done,       // received and shown, or written with every item verified
    Cancelled,  // the port selection was left without a choice
    PortFailed, // the port could not be opened ("Port série introuvable ou déjà ouvert !")
    NoReply, // the panel did not answer a read, a write or a verification read ("Pas de réponse de l'ECS !")
    ManualMode,   // the panel's manual configuration mode refused the PC ("ACCES ECS")
    Refused,      // a whole reply that cannot be used ("Erreur de transfert, Configuration Invalide !")
    VerifyFailed, // an item read back differs from what was sent
    CodesRefused, // codes the panel cannot take: nothing was asked of the port
    Aborted,      // the wait was abandoned: nobody is there to be told
    OtherPanel,   // not another panel than the one the configuration came from: nothing written
};

// "RECEVOIR LA CONFIGURATION": reads the whole configuration from the panel in its fixed order
// and shows it in the editor. Done when the configuration was shown.
TransferResult receiveConfiguration(TransferContext &context);

// The receive's reads, in its order and with its messages, under a progress window titled
// `title`, into a configuration of their own: the editor, its code boxes and the session stay as
// they are. Done when the receive would have shown the panel's configuration, now in `panel`.
TransferResult readPanelConfiguration(TransferContext &context, const QString &title, PanelConfig &panel);

// "ENVOYER LA CONFIGURATION": reads the panel's identity and its whole configuration (kept in the
// record, for the journal, before anything is written), asks before writing to a panel other
// than the one the editor's configuration was read on (Session::SourcePanelSerial), then writes
// the configuration shown in the editor and verifies every item by reading it back. Done when
// every item was written and verified.
TransferResult sendConfiguration(TransferContext &context);
