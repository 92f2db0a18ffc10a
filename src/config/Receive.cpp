#include "config/EditorView.h"
#include "config/Reads.h"
#include "config/Transfer.h"
#include "config/TransferTexts.h"
#include "link/WaitFrm.h"
#include "ui/Prompts.h"

#include <QLabel>
#include <QProgressBar>

namespace {

constexpr int kReceiveSteps = 38;

using Step = std::pair<const char *, std::function<bool()>>;

// Runs reads in order, each under its own step text; stops at the first failure.
template <std::size_t N>
bool runSteps(TransferContext &c, const Step (&steps)[N])
{
    for (const auto &[text, read] : steps) {
        c.progress.Label2->setText(QString::fromUtf8(text));
        if (!read()) {
            reportRefusedReply(c);
            return false;
        }
    }
    return true;
}

// Reads the items of the UP card.
bool readCardItems(TransferContext &c)
{
    PanelConfig &config = c.session.config;
    const Step steps[] = {
        {"Lecture matrice des commandes", [&] { return Reads::commandMatrix(c.link, config); }},
        {"Lecture type des fonctions", [&] { return Reads::functionTypes(c.link, config); }},
        {"Lecture tempo UGA", [&] { return Reads::ugaTempo(c.link, config); }},
        {"Lecture choix AES", [&] { return Reads::aesChoice(c.link, config); }},
    };
    return runSteps(c, steps);
}

// Everything after the wake-up. Returns true when the configuration was shown.
bool readConfiguration(TransferContext &c)
{
    PanelConfig &config = c.session.config;
    if (!panelGrantsAccess(c))
        return false;

    const Step steps[] = {
        {"Lecture codes d'accès", [&] { return Reads::accessCodes(c.link, c.view); }},
        {"Lecture relais programmable", [&] { return Reads::relays(c.link, config); }},
        {"Lecture mode sortie 12v", [&] { return Reads::output12v(c.link, config); }},
        {"Lecture modes alarme", [&] { return Reads::alarmModes(c.link, config); }},
        {"Vérification présence Carte UGA/CMSI", [&] { return Reads::upCardPresence(c.link); }},
    };
    if (!runSteps(c, steps))
        return false;

    if (c.link.RxData[0] != 1) {
        config.UpCardPresent = 0;
        c.view.showConfiguration();
        return true;
    }
    config.UpCardPresent = 1;
    if (!Reads::upCardState(c.link, c.session)) {
        reportRefusedReply(c);
        return false;
    }

    if (c.session.UpCardStatus == 1) {
        if (!readCardItems(c))
            return false;
        c.view.setCardFramesVisible(true);
    } else {
        // Without a working card only the panel's own items were read.
        config.UpCardPresent = 0;
        c.view.setCardFramesVisible(false);
        if (c.session.UpCardStatus == 2)
            c.prompts.message(TransferTexts::partialRead(), TransferTexts::cardTitle(),
                              Prompts::Icon::Warning);
    }
    c.view.showConfiguration();
    return true;
}

} // namespace

bool receiveConfiguration(TransferContext &c)
{
    const PortOutcome port = c.selectPort();
    if (port == PortOutcome::Cancelled)
        return false;
    // What the editor holds before the panel is read: a receive abandoned by the installer (the
    // window closed during a wait) gives all of it back, and one that stops on a failure gives
    // back the card presence, which the reads below set in the record before anything is shown.
    const bool wasSaved = c.session.ConfigSaved;
    const QString codes[2] = {c.view.code(0), c.view.code(1)};
    const std::uint8_t shownPresence = c.session.config.UpCardPresent;
    c.session.ConfigSaved = false;
    if (port == PortOutcome::Failed)
        return false;

    c.progress.Label1->setText(QStringLiteral("RECEPTION EN COURS..."));
    c.progress.ProgressBar1->setMaximum(kReceiveSteps);
    c.progress.ProgressBar1->setValue(0);
    c.progress.Label2->setText(QStringLiteral("Lecture mode ECS"));
    c.progress.show();

    const bool shown = c.link.wakeUp() && readConfiguration(c);
    c.progress.hide();
    if (shown)
        return true;
    // Nothing was shown, so the record's presence must stay what the editor shows: a later save
    // or send takes it from the record.
    c.session.config.UpCardPresent = shownPresence;
    if (c.link.isAborted()) {
        c.view.setCode(0, codes[0]);
        c.view.setCode(1, codes[1]);
        c.session.ConfigSaved = wasSaved;
    }
    return false;
}
