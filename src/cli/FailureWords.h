#pragma once

#include <QString>

class Link;
struct LinkReply;

// How the command line tells where and why an exchange with the panel failed.
namespace FailureWords {

// Which element the link's last request was for, when it was for one: "boucle 3", "relais 2",
// "Tension de Batterie de la carte UGA/CMSI"; empty otherwise.
QString elementOf(const Link &link);
// A reply refused for a bad byte, on the last attempt: which part of the reply and which byte.
QString badByte(const LinkReply &reply);

} // namespace FailureWords
