#include "simfiles/KeptPanel.h"

#include "files/FileCommands.h"
#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"
#include "simfiles/PanelOptions.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <memory>
#include <utility>

namespace KeptPanel {

QString path()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("torva-pc/ecs-simulee.dat"));
}

namespace {

// The file's configuration into the panel, or the delivery configuration when there is no file
// (or it cannot be read); what is not configuration (its serial number, its measurements) stays.
// Gives back the panel's configuration as found, to tell later whether it changed.
QByteArray load(EmulatedPanel &panel, const std::function<void(const QString &)> &warn)
{
    const QString file = path();
    const QByteArray delivery = PanelOptions::dataFileOf(PanelState());
    std::optional<QByteArray> bytes;
    if (QFileInfo::exists(file)) {
        bytes = FileCommands::readFile(file);
        if (!bytes || !PanelOptions::loadDataFile(*bytes, panel.state)) {
            bytes.reset();
            if (warn)
                warn(QStringLiteral("L'état de l'ECS simulée (%1) est illisible : elle repart de son "
                                    "état d'origine.")
                         .arg(QDir::toNativeSeparators(file)));
        }
    }
    if (!bytes)
        PanelOptions::loadDataFile(delivery, panel.state);
    return PanelOptions::dataFileOf(panel.state);
}

void keep(const EmulatedPanel &panel, const QByteArray &found,
          const std::function<void(const QString &)> &warn)
{
    const QByteArray state = PanelOptions::dataFileOf(panel.state);
    if (state == found)
        return;
    const QString file = path();
    if ((!QDir().mkpath(QFileInfo(file).absolutePath()) || !FileCommands::writeFile(file, state)) && warn)
        warn(QStringLiteral("L'état de l'ECS simulée n'a pas pu être gardé dans %1.")
                 .arg(QDir::toNativeSeparators(file)));
}

// The emulated port, which keeps the panel's configuration when it closes (the link closes its
// port at the end of every exchange, and when it is destroyed).
class KeptPort : public EmulatedPort
{
public:
    KeptPort(EmulatedPanel &panel, std::function<void(const QString &)> warn)
        : EmulatedPort(panel), m_panel(panel), m_found(load(panel, warn)), m_warn(std::move(warn))
    {}
    ~KeptPort() override { keepOnce(); }
    void close() override
    {
        EmulatedPort::close();
        keepOnce();
    }

private:
    void keepOnce()
    {
        if (!std::exchange(m_kept, true))
            keep(m_panel, m_found, m_warn);
    }

    EmulatedPanel &m_panel;
    QByteArray m_found;
    std::function<void(const QString &)> m_warn;
    bool m_kept = false;
};

} // namespace

PortFactory simulatedPorts(EmulatedPanel &panel, std::function<void(const QString &)> warn)
{
    return [&panel, warn = std::move(warn)](const PortChoice &) -> std::unique_ptr<SerialPort> {
        return std::make_unique<KeptPort>(panel, warn);
    };
}

} // namespace KeptPanel
