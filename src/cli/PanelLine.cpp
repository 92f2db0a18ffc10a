#include "cli/PanelLine.h"

#include "cli/Console.h"
#include "files/FileCommands.h"
#include "link/SystemPorts.h"
#include "sim/EmulatedPort.h"
#include "sim/tool/PanelOptions.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

std::optional<PortChoice> PanelLine::choiceFor(const QString &port)
{
    if (port.isEmpty())
        return std::nullopt;
    if (port == QLatin1String(kSimulated))
        return PortChoice::simulated();
    // "COM1" to "COM4", as the port window names them (its first button reads "COM 1"), and any
    // other COM number, as Windows names its ports.
    static const QRegularExpression com(QStringLiteral("^COM ?([1-9][0-9]{0,2})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch match = com.match(port); match.hasMatch())
        return PortChoice::comPort(match.captured(1).toInt());
    // QSerialPort takes a name without a leading "/" for one in /dev: a path that names
    // something from the working folder is meant from there.
    QString device = port;
    if (QFileInfo(device).isRelative() && QFileInfo::exists(device))
        device = QFileInfo(device).absoluteFilePath();
    return PortChoice{PortChoice::Kind::Device, device};
}

QString PanelLine::simulatedStatePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(QStringLiteral("ecs-simulee.dat"));
}

PanelLine::PanelLine(const PortChoice &choice, Prompts &prompts, Console &console)
    : m_choice(choice), m_console(console), m_link(prompts, makeRealPortFactory([this](const PortChoice &) {
                                                       return std::make_unique<EmulatedPort>(m_panel);
                                                   }))
{
    if (m_choice.kind != PortChoice::Kind::Simulated)
        return;
    // The built-in panel looks alive in the diagnostic, as in the window.
    m_panel.setLive(true);
    loadSimulatedState();
}

PanelLine::~PanelLine()
{
    m_link.closePort();
    if (m_choice.kind == PortChoice::Kind::Simulated)
        keepSimulatedState();
}

PortOutcome PanelLine::open()
{
    return m_link.openPort(m_choice) ? PortOutcome::Opened : PortOutcome::Failed;
}

void PanelLine::loadSimulatedState()
{
    const QString path = simulatedStatePath();
    if (QFileInfo::exists(path)) {
        const std::optional<QByteArray> bytes = FileCommands::readFile(path);
        if (!bytes || !PanelOptions::loadDataFile(*bytes, m_panel.state))
            m_console.print(QStringLiteral("torva-cli : l'état de l'ECS simulée (%1) est illisible ; elle "
                                           "repart de son état d'origine")
                                .arg(QDir::toNativeSeparators(path)));
    }
    m_stateLoaded = PanelOptions::dataFileOf(m_panel.state);
}

void PanelLine::keepSimulatedState()
{
    const QByteArray state = PanelOptions::dataFileOf(m_panel.state);
    if (state == m_stateLoaded)
        return;
    const QString path = simulatedStatePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !FileCommands::writeFile(path, state))
        m_console.print(QStringLiteral("torva-cli : l'état de l'ECS simulée n'a pas pu être gardé dans %1")
                            .arg(QDir::toNativeSeparators(path)));
}
