#pragma once

#include "config/Messages.h"
#include "config/Reads.h"
#include "config/Transfer.h"
#include "link/ProgressView.h"
#include "ui/Prompts.h"

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
inline void reportFailedRead(TransferContext &c, Reads::Outcome outcome)
{
    if (outcome != Reads::Outcome::Refused)
        return;
    c.progress.hideProgress();
    c.prompts.message(Messages::transferError(), Messages::transferErrorTitle(), Prompts::Icon::Warning);
}

// The mode read that opens every receive and send: true when the panel grants PC access. A panel
// in manual configuration mode is refused with its message.
inline bool panelGrantsAccess(TransferContext &c)
{
    bool manual = false;
    const Reads::Outcome outcome = Reads::panelMode(c.link, manual);
    if (outcome != Reads::Outcome::Read) {
        reportFailedRead(c, outcome);
        return false;
    }
    if (manual)
        c.prompts.message(Messages::manualMode(), Messages::accessTitle(), Prompts::Icon::Warning);
    return !manual;
}
