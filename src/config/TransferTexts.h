#pragma once

#include "config/Reads.h"
#include "config/Transfer.h"
#include "link/ProgressView.h"
#include "ui/Prompts.h"

#include <QString>

// Messages shared by the receive and send procedures and the diagnostic window.
namespace TransferTexts {

inline QString manualMode()
{
    return QStringLiteral("Le mode de configuration manuelle est engagé, accès PC interdit !");
}
inline QString accessTitle() { return QStringLiteral("ACCES ECS"); }
inline QString partialRead()
{
    return QStringLiteral("La carte UGA/CMSI semble ne pas être opérationnelle, Lecture partielle !");
}
inline QString cardTitle() { return QStringLiteral("CARTE UGA/CMSI"); }
inline QString transferError() { return QStringLiteral("Erreur de transfert, Configuration Invalide !"); }
inline QString transferErrorTitle() { return QStringLiteral("ERREUR COM"); }
inline QString codesTooShort() { return QStringLiteral("Les codes doivent avoir 4 lettres !"); }
inline QString codesEqual() { return QStringLiteral("Les deux codes doivent être différents !"); }
inline QString entryErrorTitle() { return QStringLiteral("ERREUR DE SAISIE"); }

} // namespace TransferTexts

// After a read failed: a panel that did not answer was reported by the transaction, and an
// abandoned transfer says nothing; a reply that came whole but could not be used is reported
// here, once the progress window is gone, since a transfer that stops without a word would look
// like one that succeeded.
inline void reportFailedRead(TransferContext &c, Reads::Outcome outcome)
{
    if (outcome != Reads::Outcome::Refused)
        return;
    c.progress.hideProgress();
    c.prompts.message(TransferTexts::transferError(), TransferTexts::transferErrorTitle(),
                      Prompts::Icon::Warning);
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
        c.prompts.message(TransferTexts::manualMode(), TransferTexts::accessTitle(), Prompts::Icon::Warning);
    return !manual;
}
