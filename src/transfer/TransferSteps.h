#pragma once

#include "config/Messages.h"
#include "seams/ProgressView.h"
#include "seams/Prompts.h"
#include "transfer/Reads.h"
#include "transfer/Transfer.h"

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
