#include "link/OpenFailure.h"

QString openFailureDetails(OpenFailure failure, const QString &device, const QString &systemReason,
                           const QString &group)
{
    const QString reason = QStringLiteral("Raison donnée par le système : %1.").arg(systemReason);
    switch (failure) {
    case OpenFailure::NotFound:
        return QStringLiteral("Le port %1 n'existe pas : l'adaptateur n'est pas branché ou le "
                              "nom du port est faux.\n%2")
            .arg(device, reason);
    case OpenFailure::Busy:
        return QStringLiteral("Le port %1 est occupé par un autre programme, ou vous n'avez "
                              "pas le droit de l'ouvrir.\n%2")
            .arg(device, reason);
    case OpenFailure::RightsGroup:
        return QStringLiteral("Vous n'avez pas le droit d'ouvrir le port %1.\n%2\n\n"
                              "Le port appartient au groupe « %3 ». Pour y avoir accès, ajoutez "
                              "votre compte à ce groupe avec la commande :\n"
                              "sudo usermod -aG %3 $USER\n"
                              "puis fermez votre session et reconnectez-vous.")
            .arg(device, reason, group);
    case OpenFailure::AlreadyOpen:
        return QStringLiteral("Le port %1 est déjà ouvert.\n%2").arg(device, reason);
    case OpenFailure::Other:
        break;
    }
    return QStringLiteral("Le port %1 n'a pas pu être ouvert.\n%2").arg(device, reason);
}
