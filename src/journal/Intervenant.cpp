#include "journal/Intervenant.h"

#include "journal/Journal.h"

#include <QSettings>

namespace {

// One settings store for both programs, whatever each calls itself.
QSettings settings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("torva-pc"),
                     QStringLiteral("torva-pc"));
}

const QString kTechnician = QStringLiteral("intervenant/technicien");
const QString kCompany = QStringLiteral("intervenant/entreprise");
const QString kSite = QStringLiteral("intervenant/site");
const QString kJournalFolder = QStringLiteral("journal/dossier");

} // namespace

Intervenant Intervenant::load()
{
    const QSettings s = settings();
    return {s.value(kTechnician).toString(), s.value(kCompany).toString(), s.value(kSite).toString()};
}

void Intervenant::save() const
{
    QSettings s = settings();
    s.setValue(kTechnician, technician);
    s.setValue(kCompany, company);
    s.setValue(kSite, site);
}

QString Intervenant::shown(const QString &name)
{
    return name.trimmed().isEmpty() ? QStringLiteral("non renseigné") : name;
}

namespace JournalSettings {

QString folder()
{
    const QString chosen = settings().value(kJournalFolder).toString();
    return chosen.isEmpty() ? Journal::defaultFolder() : chosen;
}

void setFolder(const QString &folder)
{
    QSettings s = settings();
    if (folder.isEmpty())
        s.remove(kJournalFolder);
    else
        s.setValue(kJournalFolder, folder);
}

} // namespace JournalSettings
