#pragma once

#include "config/Messages.h"
#include "config/SerialNumber.h"
#include "seams/ProgressView.h"
#include "seams/Prompts.h"
#include "transfer/Reads.h"
#include "transfer/Transfer.h"

// The progress bar moves one step per data byte received: a receive's item reads, and the
// identity reads of the panel and its card, which open every receive and send.
constexpr int kReceiveSteps = 38;
constexpr int kIdentitySteps = 10;

// How a failed read ends the procedure that made it.
inline TransferResult resultOf(Reads::Outcome outcome)
{
    switch (outcome) {
    case Reads::Outcome::Read:
        return TransferResult::Done;
    case Reads::Outcome::NoReply:
        return TransferResult::NoReply;
    case Reads::Outcome::Aborted:
        return TransferResult::Aborted;
    case Reads::Outcome::Refused:
        break;
    }
    return TransferResult::Refused;
}

// The step the progress window shows; the link's exchange records carry it too, so that the log
// says which read or write each frame belongs to.
inline void showStep(TransferContext &c, const QString &step)
{
    c.progress.setStep(step);
    c.link.setStep(step);
}

// After a read failed: a panel that did not answer was reported by the transaction, and an
// abandoned transfer says nothing; a reply that came whole but could not be used is reported
// here, once the progress window is gone, since a transfer that stops without a word would look
// like one that succeeded.
inline void reportFailedRead(TransferContext &c, TransferResult result)
{
    if (result != TransferResult::Refused)
        return;
    c.progress.hideProgress();
    c.prompts.message(Messages::transferError(), Messages::transferErrorTitle(), Prompts::Icon::Warning);
}

// The mode read that opens every receive and send: Done when the panel grants PC access. A panel
// in manual configuration mode is refused with its message; a failed read is the caller's to
// report (reportFailedRead), once its progress window is gone.
inline TransferResult panelGrantsAccess(TransferContext &c)
{
    bool manual = false;
    if (const TransferResult result = resultOf(Reads::panelMode(c.link, manual));
        result != TransferResult::Done)
        return result;
    if (manual) {
        c.prompts.message(Messages::manualMode(), Messages::accessTitle(), Prompts::Icon::Warning);
        return TransferResult::ManualMode;
    }
    return TransferResult::Done;
}

// Whether a read that finds the card not working says "Lecture partielle": a receive does, the
// read a send makes before writing does not (it shows nothing of what it read).
enum class PartialRead { Say, Quiet };

// The receive's item reads after the panel's identity, into `config` through `c.view` (the code
// boxes as the codes are read, the whole configuration at the end), and the card's identity into
// `identity` once the card is known to work. Done when every read succeeded.
TransferResult readPanelItems(TransferContext &c, PanelConfig &config, PanelIdentity &identity,
                              PartialRead partial);

// The panel's version and serial number, read after the mode and before any item, as the
// diagnostic reads them; the card's come later, once the card is known to work.
inline TransferResult readPanelIdentity(TransferContext &c, PanelIdentity &identity)
{
    showStep(c, QStringLiteral("Lecture identité ECS"));
    identity = {};
    // The built-in "ECS simulée" is no site's panel: its entries say so.
    identity.emulated = c.link.lastChoice().kind == PortChoice::Kind::Simulated;
    return resultOf(Reads::identity(c.link, Reads::Board::Panel, identity.version, identity.serialNumber));
}

inline TransferResult readCardIdentity(TransferContext &c, PanelIdentity &identity)
{
    showStep(c, QStringLiteral("Lecture identité carte UGA/CMSI"));
    const TransferResult result = resultOf(
        Reads::identity(c.link, Reads::Board::Card, identity.cardVersion, identity.cardSerialNumber));
    identity.cardRead = result == TransferResult::Done;
    return result;
}
