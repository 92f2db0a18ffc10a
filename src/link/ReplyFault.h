#pragma once

#include "link/Link.h"

#include <QString>

// What went wrong with a reply, in the installer's words: every place that tells a failed
// attempt (the exchange log's verdicts, the command line's failures) asks here, so that a fault
// is worded once.
namespace ReplyFault {

// The part of the reply a bad byte was found in: "octet de début", "longueur", "écho de la
// commande", "somme de contrôle"; empty for Fault::None.
QString part(ReplyCheck::Fault fault);
// The verdict on a reply failed by `fault` at byte `position` (0 the start byte), the byte
// counted from 1 as the installer counts the bytes of the line. A sum is wrong over its two bytes
// and names none. "mauvais octet" for Fault::None.
QString verdict(ReplyCheck::Fault fault, int position);
// Why an attempt ended: "acceptée" (none), "pas de réponse", "port perdu", "abandon", "refusée"
// (another wait was running); a bad byte is "mauvais octet", which verdict() says in full.
QString failure(LinkFailure failure);

} // namespace ReplyFault
