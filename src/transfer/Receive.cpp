#include "config/ConfigurationHolder.h"
#include "config/EditorView.h"
#include "config/Session.h"
#include "seams/ProgressView.h"
#include "seams/Prompts.h"
#include "transfer/Reads.h"
#include "transfer/Transfer.h"
#include "transfer/TransferSteps.h"

namespace {

using Outcome = Reads::Outcome;
using Step = std::pair<const char *, std::function<Outcome()>>;

// Runs reads in order, each under its own step text; stops at the first failure.
template <std::size_t N>
Outcome runSteps(TransferContext &c, const Step (&steps)[N])
{
    for (const auto &[text, read] : steps) {
        showStep(c, QString::fromUtf8(text));
        if (const Outcome outcome = read(); outcome != Outcome::Read)
            return outcome;
    }
    return Outcome::Read;
}

// The codes read writes the code boxes at once, whatever comes after, with the panel's codes.
// A read that failed in any way (no reply, a reply that cannot be used, an abandoned wait) leaves
// the boxes as they were: the installer's codes are not replaced by the delivery codes behind a
// message that says the read failed, to be saved or sent later.
Outcome readCodesIntoEditor(TransferContext &c, PanelConfig &config)
{
    const Outcome outcome = Reads::accessCodes(c.link, config.AccessCodes);
    if (outcome == Outcome::Read)
        c.view.setCodes(config.AccessCodes);
    return outcome;
}

} // namespace

TransferResult readPanelItems(TransferContext &c, PanelConfig &config, PanelIdentity &identity,
                              PartialRead partial)
{
    std::uint8_t presence = 0;
    const Step steps[] = {
        {"Lecture codes d'accès", [&] { return readCodesIntoEditor(c, config); }},
        {"Lecture relais programmable", [&] { return Reads::relays(c.link, config); }},
        {"Lecture mode sortie 12v", [&] { return Reads::output12v(c.link, config); }},
        {"Lecture modes alarme", [&] { return Reads::alarmModes(c.link, config); }},
        {"Vérification présence Carte UGA/CMSI", [&] { return Reads::upCardPresence(c.link, presence); }},
    };
    if (const Outcome outcome = runSteps(c, steps); outcome != Outcome::Read)
        return resultOf(outcome);

    const bool present = presence == 1;
    config.setCardPresent(present);
    if (!present) {
        c.view.show(config);
        return TransferResult::Done;
    }
    if (const Outcome outcome = Reads::upCardState(c.link, c.session.UpCardStatus); outcome != Outcome::Read)
        return resultOf(outcome);

    if (c.session.UpCardStatus == 1) {
        if (const TransferResult result = readCardIdentity(c, identity); result != TransferResult::Done)
            return result;
        const Step cardSteps[] = {
            {"Lecture matrice des commandes", [&] { return Reads::commandMatrix(c.link, config); }},
            {"Lecture type des fonctions", [&] { return Reads::functionTypes(c.link, config); }},
            {"Lecture tempo UGA", [&] { return Reads::ugaTempo(c.link, config); }},
            {"Lecture choix AES", [&] { return Reads::aesChoice(c.link, config); }},
        };
        if (const Outcome outcome = runSteps(c, cardSteps); outcome != Outcome::Read)
            return resultOf(outcome);
        c.view.setCardFramesVisible(true);
    } else {
        // Without a working card only the panel's own items were read.
        config.setCardPresent(false);
        c.view.setCardFramesVisible(false);
        if (c.session.UpCardStatus == 2 && partial == PartialRead::Say)
            c.prompts.message(Messages::partialRead(), Messages::cardTitle(), Prompts::Icon::Warning);
    }
    c.view.show(config);
    return TransferResult::Done;
}

namespace {

// Everything after the wake-up, into `config`, which starts as the editor shows it: the card's
// items that are not read keep what the editor shows. Nothing but the code boxes reaches the
// editor until every read has succeeded; then the whole configuration is shown (Done).
TransferResult readConfiguration(TransferContext &c, PanelConfig &config)
{
    if (const TransferResult access = panelGrantsAccess(c); access != TransferResult::Done)
        return access;
    PanelIdentity identity;
    TransferResult result = readPanelIdentity(c, identity);
    if (result == TransferResult::Done)
        result = readPanelItems(c, config, identity, PartialRead::Say);
    if (c.record && !identity.version.isEmpty())
        c.record->identity = identity;
    if (c.record && result == TransferResult::Done)
        c.record->panel = config;
    return result;
}

// The receive, its progress window under `title`.
TransferResult receiveUnder(TransferContext &c, const QString &title)
{
    const PortOutcome port = c.selectPort();
    if (port == PortOutcome::Cancelled)
        return TransferResult::Cancelled;
    // What an abandoned receive (the window closed during a wait) gives back.
    const bool wasSaved = c.session.ConfigSaved;
    PanelConfig config = c.view.configuration();
    const std::array<QString, 2> codesBefore = config.AccessCodes;
    c.session.ConfigSaved = false;
    if (port == PortOutcome::Failed)
        return TransferResult::PortFailed;
    if (c.record)
        c.record->reachedPanel = true;

    c.progress.setTitle(title);
    c.progress.setMaximum(kReceiveSteps + kIdentitySteps);
    c.progress.setValue(0);
    showStep(c, QStringLiteral("Lecture mode ECS"));
    c.progress.showProgress();

    // A wake-up that fails has been reported by the link (a lost port), or was abandoned.
    const TransferResult result = c.link.wakeUp()      ? readConfiguration(c, config)
                                  : c.link.isAborted() ? TransferResult::Aborted
                                                       : TransferResult::NoReply;
    c.progress.hideProgress();
    if (result == TransferResult::Aborted) {
        c.view.setCodes(codesBefore);
        c.session.ConfigSaved = wasSaved;
    }
    reportFailedRead(c, result);
    return result;
}

} // namespace

TransferResult receiveConfiguration(TransferContext &c)
{
    return receiveUnder(c, QStringLiteral("RECEPTION EN COURS..."));
}

TransferResult readPanelConfiguration(TransferContext &c, const QString &title, PanelConfig &panel)
{
    // The panel's configuration goes into a copy of the editor's, so that the card's items the
    // receive does not read hold the same values on both sides; the session is a copy too.
    ConfigurationHolder held(c.view.configuration());
    Session session = c.session;
    TransferContext apart{c.link, session, held, c.prompts, c.progress, c.selectPort};
    const TransferResult result = receiveUnder(apart, title);
    if (result == TransferResult::Done)
        panel = held.configuration();
    return result;
}
