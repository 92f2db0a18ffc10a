#pragma once

// Journal entries as the tests write them, and a journal folder of the test's own.
#include "config/PanelConfig.h"
#include "files/DataFile.h"
#include "journal/Intervenant.h"
#include "journal/Journal.h"

#include <QTemporaryDir>

namespace JournalFixtures {

// A panel with its card: serial numbers and versions as the identity read gives them.
inline PanelIdentity panel(const QString &serial)
{
    PanelIdentity identity;
    identity.serialNumber = serial;
    identity.version = QStringLiteral("3.0");
    identity.cardRead = true;
    identity.cardSerialNumber = QStringLiteral("010304321");
    identity.cardVersion = QStringLiteral("2.1");
    return identity;
}

// A send to `serial`: the panel held the delivery configuration, loop 3 was set to
// discrimination and relay 2 to follow loop 5.
inline JournalEntry send(const QString &serial)
{
    PanelConfig changed;
    changed.setAlarmMode(2, AlarmMode::Discrimination);
    changed.setRelayFollows(1, 4, true);
    JournalEntry entry;
    entry.program = QStringLiteral("torva-cli");
    entry.programVersion = QStringLiteral("3.0");
    entry.technician = QStringLiteral("Élise Martin");
    entry.company = QStringLiteral("Sécurité Incendie Services");
    entry.port = QStringLiteral("/dev/ttyUSB0");
    entry.panel = panel(serial);
    entry.operation = JournalEntry::Operation::Send;
    entry.message = QStringLiteral("terminé");
    entry.before = DataFile::format(PanelConfig{});
    entry.sent = DataFile::format(changed);
    return entry;
}

} // namespace JournalFixtures

// While it lives, the programs keep their journal in a temporary folder of its own (the setting
// the "INTERVENANT" window changes); the setting is put back as it was afterwards.
class TemporaryJournal
{
public:
    TemporaryJournal() : m_previous(JournalSettings::folder()) { JournalSettings::setFolder(m_dir.path()); }
    ~TemporaryJournal()
    {
        JournalSettings::setFolder(m_previous == Journal::defaultFolder() ? QString() : m_previous);
    }
    TemporaryJournal(const TemporaryJournal &) = delete;
    TemporaryJournal &operator=(const TemporaryJournal &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    Journal journal() const { return Journal(m_dir.path()); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};
