#pragma once

#include "config/EditorView.h"
#include "config/Session.h"

class Link;

// The read commands of the panel. Each sends its command through the link's transaction (one
// per element for the indexed items), accepts a reply only with the expected number of data
// bytes, and stores what it read as soon as it is accepted. None shows a message of its own:
// the transaction has already said so when the panel did not answer.
namespace Reads {

enum PanelMode { AccessGranted = 0, ManualMode = 1, NoValidReply = 2 };

PanelMode panelMode(Link &link);                          // command 20
// Command 4, into the two code boxes; the delivery codes go there when the panel does not answer.
bool accessCodes(Link &link, EditorView &view);
bool relays(Link &link, PanelConfig &config);             // command 12, relays 0 and 1
bool output12v(Link &link, PanelConfig &config);          // command 14
bool alarmModes(Link &link, PanelConfig &config);         // command 21, loops 0 to 7
bool upCardPresence(Link &link);                          // command 30; the caller reads RxData[0]
bool upCardState(Link &link, Session &session);           // command 5, into UpCardStatus
bool commandMatrix(Link &link, PanelConfig &config);      // command 2, stored as 255 - byte
bool functionTypes(Link &link, PanelConfig &config);      // command 3, functions 0 to 2
bool ugaTempo(Link &link, PanelConfig &config);           // command 6
bool aesChoice(Link &link, PanelConfig &config);          // command 27

} // namespace Reads
