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

    const std::optional<SaveResult> saved = offerToSave(session, prompts, save);
    return saved != SaveResult::Failed;
}

std::optional<SaveResult> offerToSave(const Session &session, Prompts &prompts,
                                      const std::function<SaveResult()> &save)
{
    if (session.ConfigSaved)
        return std::nullopt;
    // The save runs unless the answer is No: Escape or the close box save as Yes does.
    if (!prompts.askYesNo(QStringLiteral("DESIREZ-VOUS SAUVEGARDER CETTE CONFIGURATION ?"),
                          QStringLiteral("FICHIER DONNEES"), Prompts::Icon::Critical,
                          Prompts::Preferred::Yes))
        return std::nullopt;
    return save();
}
