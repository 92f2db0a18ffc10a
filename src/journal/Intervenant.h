#pragma once

#include <QString>

// Who works on the panel, as the journal's entries name them: the technician, the company and,
// optionally, the site. Kept in the user's settings, shared by torva-pc and torva-cli; empty
// names are allowed (the entry then says "non renseigné").
struct Intervenant
{
    QString technician;
    QString company;
    QString site;

    static Intervenant load();
    void save() const;

    // A name as an entry shows it: the name, or "non renseigné".
    static QString shown(const QString &name);
};

// The journal's folder: the one chosen in the settings, else Journal::defaultFolder().
namespace JournalSettings {
QString folder();
void setFolder(const QString &folder); // empty: back to the default
} // namespace JournalSettings
