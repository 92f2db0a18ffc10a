#include "cli/Cli.h"

#include "config/PanelIdentity.h"

#include "cli/ExitCode.h"
#include "cli/FailureWords.h"
#include "cli/TextTable.h"
#include "link/ReplyFault.h"
#include "link/SystemPorts.h"
#include "transfer/Reads.h"

#include <algorithm>

namespace {

// Keeps the link's messages of a probe instead of printing them: the probe's own line says what
// happened on each port.
class HeldPrompts : public Prompts
{
public:
    void message(const QString &, const QString &, Icon, const QString &details) override { held = details; }
    bool askYesNo(const QString &, const QString &, Icon, Preferred) override { return false; }
    QString openFileName(const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &) override { return {}; }
    void setBusy(bool) override {}

    QString held; // the last message's details: why a port did not open
};

// An adapter as it describes itself: "FT232R USB UART, FTDI, n° de série A50285BI".
QString adapterText(const DetectedPort &port)
{
    QStringList parts;
    if (!port.description.isEmpty())
        parts << port.description;
    if (!port.manufacturer.isEmpty() && !port.description.contains(port.manufacturer))
        parts << port.manufacturer;
    if (!port.serialNumber.isEmpty())
        parts << QStringLiteral("n° de série ") + port.serialNumber;
    return parts.join(QStringLiteral(", "));
}

} // namespace

// What one port gave when asked for the panel's mode.
struct Cli::Probe
{
    enum class Verdict { Panel, NoPanel, NotOpened, Interrupted };
    Verdict verdict = Verdict::NotOpened;
    QString text;    // what the port's line says
    QString details; // why it did not open, as the opening failure's message says it
};

// The port opened as a command opens --port, then the wake-up and the mode read that start a
// receive: one request, three attempts, through the link. The link's own messages are held:
// the port's line says what they would have said.
Cli::Probe Cli::probe(const QString &port)
{
    using Verdict = Probe::Verdict;
    const std::optional<PortChoice> choice = PanelLine::choiceFor(port);
    if (!choice)
        return {Verdict::NotOpened, QStringLiteral("ne s'ouvre pas : aucun port n'a été indiqué"), {}};
    HeldPrompts held;
    m_line = std::make_unique<PanelLine>(*choice, held, m_console);
    Link &link = m_line->link();
    link.setExchangeLog(&m_exchanges);
    m_console.drawProgress(QStringLiteral("Lecture mode ECS sur %1...").arg(port));
    const auto asked = [&]() -> Probe {
        if (Interrupt::requested())
            return {Verdict::Interrupted, {}, {}};
        if (m_line->open() != PortOutcome::Opened)
            return {Verdict::NotOpened, QStringLiteral("ne s'ouvre pas"), held.held};
        link.setStep(QStringLiteral("Lecture mode ECS"));
        if (!link.wakeUp())
            return link.isAborted() ? Probe{Verdict::Interrupted, {}, {}}
                                    : Probe{Verdict::NoPanel,
                                            ReplyFault::failure(LinkFailure::PortLost) +
                                                QStringLiteral(" au réveil de l'ECS"),
                                            {}};
        const LinkReply reply = link.request(PanelCommand::PanelMode);
        switch (Reads::outcomeOf(reply, 1)) {
        case Reads::Outcome::Read: {
            // Which panel answered, as every receive and send reads it after the mode.
            PanelIdentity identity;
            link.setStep(QStringLiteral("Lecture identité ECS"));
            const QString panel =
                Reads::identity(link, Reads::Board::Panel, identity.version, identity.serialNumber) ==
                        Reads::Outcome::Read
                    ? QStringLiteral("%1 (version %2)").arg(identity.panelName(), identity.version)
                    : QStringLiteral("ECS (identité illisible)");
            if (reply.data[0] == 1)
                return {Verdict::Panel,
                        panel + QStringLiteral(", en mode de configuration manuelle : accès PC interdit"),
                        {}};
            return {Verdict::Panel, panel + QStringLiteral(", accès PC autorisé"), {}};
        }
        case Reads::Outcome::Refused:
            return {Verdict::NoPanel,
                    QStringLiteral("une réponse de %1 octets de données au lieu d'un : pas une ECS TORVA")
                        .arg(reply.data.size()),
                    {}};
        case Reads::Outcome::Aborted:
            return {Verdict::Interrupted, {}, {}};
        case Reads::Outcome::NoReply:
            break;
        }
        if (reply.failure == LinkFailure::BadByte)
            return {Verdict::NoPanel, FailureWords::badByte(reply), {}};
        if (reply.failure == LinkFailure::PortLost)
            return {Verdict::NoPanel,
                    ReplyFault::failure(LinkFailure::PortLost) + QStringLiteral(" pendant la lecture"),
                    {}};
        return {Verdict::NoPanel,
                ReplyFault::failure(LinkFailure::NoReply) +
                    QStringLiteral(" en %1 essais").arg(Link::kAttempts),
                {}};
    };
    const Probe found = asked();
    m_console.clearProgress();
    // The port closes now: the next one may be the same adapter under another name.
    m_line.reset();
    return found;
}

// The serial ports the system knows of; with --probe, which of them (or of the ports named) a
// panel answers on.
int Cli::ports()
{
    const QList<DetectedPort> detected = detectedPorts();
    const QString none = QStringLiteral("torva-cli : aucun port série détecté");
    if (!m_options.isSet(Option::Probe)) {
        if (detected.isEmpty())
            m_console.print(none);
        QList<QStringList> rows;
        for (const DetectedPort &port : detected)
            rows << QStringList{port.location, adapterText(port)};
        m_out << textTable(rows);
        return ExitCode::Done;
    }

    QList<DetectedPort> targets = detected;
    if (!m_options.arguments.isEmpty()) {
        targets.clear();
        for (const QString &name : m_options.arguments) {
            const auto known = std::find_if(detected.begin(), detected.end(),
                                            [&](const DetectedPort &port) { return port.location == name; });
            targets << (known != detected.end() ? *known : DetectedPort{name, {}, {}, {}});
        }
    }
    if (targets.isEmpty()) {
        m_console.print(none);
        return ExitCode::PortFailed;
    }
    bool panel = false;
    bool opened = false;
    for (const DetectedPort &port : targets) {
        const Probe found = probe(port.location);
        if (found.verdict == Probe::Verdict::Interrupted)
            return Interrupt::exitCode();
        panel = panel || found.verdict == Probe::Verdict::Panel;
        opened = opened || found.verdict != Probe::Verdict::NotOpened;
        const QString adapter = adapterText(port);
        m_out << port.location << (adapter.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(adapter))
              << QStringLiteral(" : ") << found.text << '\n';
        for (const QString &line : found.details.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            m_out << QStringLiteral("  ") << line << '\n';
        m_out.flush();
    }
    return panel ? ExitCode::Done : opened ? ExitCode::NoReply : ExitCode::PortFailed;
}
