#include "config/CodesRule.h"
#include "config/ConfigurationHolder.h"
#include "config/EditorView.h"
#include "config/PanelConfig.h"
#include "config/Session.h"
#include "seams/ProgressView.h"
#include "seams/Prompts.h"
#include "transfer/Reads.h"
#include "transfer/Transfer.h"
#include "transfer/TransferSteps.h"

#include <vector>

namespace {

constexpr int kSendSteps = 42;

using Bytes = std::vector<std::uint8_t>;

// How a verification read ended: it read the item and found what was sent or not, or it could
// not read it (Reads::Outcome says why).
struct Verification
{
    Reads::Outcome outcome = Reads::Outcome::Read;
    bool same = false;
};

// One item of the configuration: its writes (one request's data per index, in order), and the
// read that verifies it against what was sent.
struct Item
{
    const char *writeText;
    const char *verifyText;
    PanelCommand command;
    std::vector<Bytes> writes;
    std::function<Verification()> verify;
};

// A write without reply is a missing reply; so is a verification read without reply.
Verification writeAndVerify(TransferContext &c, const Item &item)
{
    showStep(c, QString::fromUtf8(item.writeText));
    for (const Bytes &data : item.writes)
        if (const LinkReply reply = c.link.request(item.command, data); !reply.ok())
            return {reply.failure == LinkFailure::Aborted ? Reads::Outcome::Aborted
                                                          : Reads::Outcome::NoReply};
    showStep(c, QString::fromUtf8(item.verifyText));
    return item.verify();
}

// Writes and verifies the items in order; stops at the first failure. A panel that did not
// answer has been reported by the transaction; an item read back otherwise than sent, or a
// reply that cannot be used, is reported here, once the progress window is gone, unless the
// installer abandoned the send.
template <std::size_t N>
TransferResult writeItems(TransferContext &c, const Item (&items)[N])
{
    for (const Item &item : items) {
        const Verification result = writeAndVerify(c, item);
        if (result.outcome == Reads::Outcome::Read && result.same)
            continue;
        if (c.link.isAborted() || result.outcome == Reads::Outcome::Aborted)
            return TransferResult::Aborted;
        if (result.outcome == Reads::Outcome::NoReply)
            return TransferResult::NoReply;
        c.progress.hideProgress();
        c.prompts.message(Messages::transferError(), Messages::transferErrorTitle(), Prompts::Icon::Warning);
        return result.outcome == Reads::Outcome::Refused ? TransferResult::Refused
                                                         : TransferResult::VerifyFailed;
    }
    return TransferResult::Done;
}

// One write per index: (index, value) for each value.
template <std::size_t N>
std::vector<Bytes> indexedWrites(const std::array<std::uint8_t, N> &values)
{
    std::vector<Bytes> writes;
    for (std::size_t i = 0; i < N; ++i)
        writes.push_back({std::uint8_t(i), values[i]});
    return writes;
}

Bytes codeLetters(const std::array<QString, 2> &codes)
{
    Bytes letters;
    for (const QString &code : codes)
        for (QChar letter : code)
            // The codes were found complete before anything was sent.
            letters.push_back(PanelConfig::codeByte(letter).value_or(0));
    return letters;
}

// A read that verifies an item: whether it read, and then whether it found what was sent.
template <typename Read>
Verification readsBack(Read read, const auto &readBack, const auto &sent)
{
    const Reads::Outcome outcome = read();
    return {outcome, outcome == Reads::Outcome::Read && readBack == sent};
}

TransferResult writeConfiguration(TransferContext &c, const PanelConfig &sent)
{
    Link &link = c.link;
    // What the verification reads find in the panel.
    PanelConfig panel;
    std::array<QString, 2> codes;
    std::uint8_t presence = 0;

    const Item panelItems[] = {
        {"Ecriture Relais programmables", "Vérification Relais programmables", PanelCommand::WriteRelay,
         indexedWrites(sent.RelayMatrix),
         [&] {
             return readsBack([&] { return Reads::relays(link, panel); }, panel.RelayMatrix,
                              sent.RelayMatrix);
         }},
        {"Ecriture mode sortie 12v",
         "Vérification mode sortie 12v  ",
         PanelCommand::WriteOutput12v,
         {{sent.Output12vMode}},
         [&] {
             return readsBack([&] { return Reads::output12v(link, panel); }, panel.Output12vMode,
                              sent.Output12vMode);
         }},
        {"Ecriture modes alarme", "Vérification modes alarme", PanelCommand::WriteAlarmMode,
         indexedWrites(sent.AlarmModes),
         [&] {
             return readsBack([&] { return Reads::alarmModes(link, panel); }, panel.AlarmModes,
                              sent.AlarmModes);
         }},
        {"Ecriture Codes d'accès",
         "Vérification Codes d'accès",
         PanelCommand::WriteAccessCodes,
         {codeLetters(sent.AccessCodes)},
         [&] {
             // The boxes show the panel's codes once read; when the read fails they keep the
             // installer's codes, which must not be lost behind the delivery codes.
             const Reads::Outcome outcome = Reads::accessCodes(link, codes);
             const bool read = outcome == Reads::Outcome::Read;
             c.view.setCodes(read ? codes : sent.AccessCodes);
             return Verification{outcome, read && codes == sent.AccessCodes};
         }},
        {"Présence Carte UGA/CMSI",
         "Vérification carte UGA/CMSI  ",
         PanelCommand::WriteCardPresence,
         {{sent.UpCardPresent}},
         [&] {
             return readsBack([&] { return Reads::upCardPresence(link, presence); }, presence,
                              sent.UpCardPresent);
         }},
    };
    if (const TransferResult result = writeItems(c, panelItems); result != TransferResult::Done)
        return result;
    if (sent.UpCardPresent != 1)
        return TransferResult::Done;

    const Item cardItems[] = {
        {"Ecriture matrice de commande", "Vérification matrice de commande", PanelCommand::WriteCommandMatrix,
         indexedWrites(sent.CommandMatrix),
         [&] {
             return readsBack([&] { return Reads::commandMatrix(link, panel); }, panel.CommandMatrix,
                              sent.CommandMatrix);
         }},
        {"Ecriture type des fonctions", "Vérification type des fonctions", PanelCommand::WriteFunctionType,
         indexedWrites(sent.FunctionTypes),
         [&] {
             return readsBack([&] { return Reads::functionTypes(link, panel); }, panel.FunctionTypes,
                              sent.FunctionTypes);
         }},
        {"Ecriture choix AES",
         "Vérification choix AES",
         PanelCommand::WriteAesChoice,
         {{sent.AesChoice}},
         [&] {
             return readsBack([&] { return Reads::aesChoice(link, panel); }, panel.AesChoice, sent.AesChoice);
         }},
    };
    return writeItems(c, cardItems);
}

// The panel's whole configuration as a receive reads it, into `panel`, without touching the
// editor, its code boxes or the session: kept for the journal before anything is written.
TransferResult readBeforeWriting(TransferContext &c, PanelIdentity &identity, PanelConfig &panel)
{
    ConfigurationHolder held(c.view.configuration());
    Session session = c.session;
    TransferContext apart{c.link, session, held, c.prompts, c.progress, c.selectPort};
    const TransferResult result = readPanelItems(apart, panel, identity, PartialRead::Quiet);
    if (result == TransferResult::Done)
        panel = held.configuration();
    return result;
}

// A configuration read on one panel and about to go to another: the installer says whether to
// go on (No by default: a reflex Enter writes nothing).
bool sendToThisPanel(TransferContext &c, const PanelIdentity &identity)
{
    const std::optional<QString> &source = c.session.SourcePanelSerial;
    if (!source || identity.serialNumber == source)
        return true;
    const QString connected = identity.serialNumber.value_or(QStringLiteral("(sans numéro de série)"));
    c.progress.hideProgress();
    const bool yes = c.prompts.askYesNo(
        QStringLiteral("Cette configuration a été lue sur l'ECS N° %1 ; l'ECS raccordé est le N° %2 . "
                       "Envoyer quand même ?")
            .arg(*source, connected),
        QStringLiteral("AUTRE ECS"), Prompts::Icon::Warning, Prompts::Preferred::No);
    if (yes)
        c.progress.showProgress();
    return yes;
}

// Everything after the mode check: the identity, the configuration before, the question about
// another panel, then the writes.
TransferResult identifyBackUpAndWrite(TransferContext &c, const PanelConfig &config)
{
    PanelIdentity identity;
    TransferResult result = readPanelIdentity(c, identity);
    PanelConfig before = config;
    if (result == TransferResult::Done)
        result = readBeforeWriting(c, identity, before);
    if (c.record && !identity.version.isEmpty())
        c.record->identity = identity;
    if (result != TransferResult::Done) {
        c.progress.hideProgress();
        reportFailedRead(c, result);
        return result;
    }
    if (c.record)
        c.record->panel = before;
    if (!sendToThisPanel(c, identity))
        return TransferResult::OtherPanel;
    if (c.record)
        c.record->sent = config;
    return writeConfiguration(c, config);
}

} // namespace

TransferResult sendConfiguration(TransferContext &c)
{
    // What is sent is the editor as it stands when the button is pressed. Codes the panel cannot
    // take are refused before a port is asked for.
    const PanelConfig config = c.view.configuration();
    const CodesRule::Fault codesFault = CodesRule::check(config.AccessCodes).first();
    if (codesFault != CodesRule::Fault::None) {
        c.prompts.message(CodesRule::message(codesFault), Messages::entryErrorTitle(),
                          Prompts::Icon::Warning);
        return TransferResult::CodesRefused;
    }

    switch (c.selectPort()) {
    case PortOutcome::Opened:
        break;
    case PortOutcome::Failed:
        return TransferResult::PortFailed;
    case PortOutcome::Cancelled:
        return TransferResult::Cancelled;
    }
    if (c.record)
        c.record->reachedPanel = true;

    c.progress.setTitle(QStringLiteral("EMISSION EN COURS..."));
    c.progress.setMaximum(kSendSteps + kIdentitySteps + kReceiveSteps);
    c.progress.setValue(0);
    showStep(c, QStringLiteral("Lecture mode ECS"));
    if (!c.link.wakeUp())
        return c.link.isAborted() ? TransferResult::Aborted : TransferResult::NoReply;
    c.progress.showProgress();

    TransferResult result = panelGrantsAccess(c);
    const bool granted = result == TransferResult::Done;
    if (granted)
        result = identifyBackUpAndWrite(c, config);
    c.progress.hideProgress();
    if (!granted)
        reportFailedRead(c, result);
    return result;
}
