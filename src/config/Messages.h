#pragma once

#include <QString>

// The program's messages that more than one place shows, each written once.
namespace Messages {

inline QString manualMode()
{
    return QStringLiteral("Le mode de configuration manuelle est engagé, accès PC interdit !");
}
inline QString accessTitle() { return QStringLiteral("ACCES ECS"); }
inline QString partialRead()
{
    return QStringLiteral("La carte UGA/CMSI semble ne pas être opérationnelle, Lecture partielle !");
}
inline QString cardTitle() { return QStringLiteral("CARTE UGA/CMSI"); }
inline QString transferError() { return QStringLiteral("Erreur de transfert, Configuration Invalide !"); }
inline QString transferErrorTitle() { return QStringLiteral("ERREUR COM"); }
inline QString codesTooShort() { return QStringLiteral("Les codes doivent avoir 4 lettres !"); }
inline QString codesEqual() { return QStringLiteral("Les deux codes doivent être différents !"); }
inline QString entryErrorTitle() { return QStringLiteral("ERREUR DE SAISIE"); }
inline QString fileTitle() { return QStringLiteral("FICHIER DONNEES"); }
inline QString incompatibleFile() { return QStringLiteral("FORMAT FICHIER INCOMPATIBLE !"); }
inline QString version1File()
{
    return QStringLiteral("FICHIER AU FORMAT TORVA VERSION 1\nUtiliser la fonction Importer SVP");
}
inline QString cannotSave() { return QStringLiteral("Impossible d'enregistrer le fichier !"); }
// The exchange log: its window's title, and the title of a message about its file.
inline QString exchangeLogTitle() { return QStringLiteral("JOURNAL DES ECHANGES"); }

} // namespace Messages
