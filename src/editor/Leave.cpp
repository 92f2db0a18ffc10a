#include "editor/Leave.h"

#include "config/Session.h"
#include "link/Link.h"
#include "seams/Prompts.h"

bool leaveProgram(Link &link, Session &session, Prompts &prompts, const std::function<SaveResult()> &save)
{
    // A transfer still waiting for the panel ends here, quietly: the port is about to go and
    // nobody will be there to read its time-out message.
    if (link.isBusy())
        link.abort();
    if (link.isPortOpen())
        link.closePort();

    if (session.ConfigSaved)
        return true;
    if (!prompts.askYesNo(QStringLiteral("DESIREZ-VOUS SAUVEGARDER CETTE CONFIGURATION ?"),
                          QStringLiteral("FICHIER DONNEES"), Prompts::Icon::Critical))
        return true;
    return save() != SaveResult::Failed;
}
