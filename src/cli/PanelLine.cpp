#include "cli/PanelLine.h"

#include "cli/Console.h"
#include "files/FileCommands.h"
#include "link/SystemPorts.h"
#include "simfiles/KeptPanel.h"

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

PanelLine::PanelLine(const PortChoice &choice, Prompts &prompts, Console &console)
    : m_choice(choice),
      m_link(prompts, makeRealPortFactory(KeptPanel::simulatedPorts(m_panel, [&console](const QString &text) {
                 console.print(QStringLiteral("torva-cli : ") + text);
             })))
{
    // The built-in panel looks alive in the diagnostic, as in the window.
    m_panel.setLive(true);
}

PanelLine::~PanelLine() { m_link.closePort(); }

PortOutcome PanelLine::open()
{
    return m_link.openPort(m_choice) ? PortOutcome::Opened : PortOutcome::Failed;
}
