#pragma once

#include "transfer/Transfer.h"

#include <array>

// torva-cli's exit status: one for each failure the installer can act on.
namespace ExitCode {

constexpr int Done = 0;          // done, or no difference
constexpr int Refused = 1;       // differences found, or a file refused
constexpr int Usage = 2;         // a command line that means nothing
constexpr int PortFailed = 3;    // "Port série introuvable ou déjà ouvert !"
constexpr int NoReply = 4;       // "Pas de réponse de l'ECS !"
constexpr int ManualMode = 5;    // "ACCES ECS"
constexpr int VerifyFailed = 6;  // an item read back is not what was sent
constexpr int TransferError = 7; // a whole reply that cannot be used
constexpr int WriteFailed = 8;   // "Impossible d'enregistrer le fichier !"
constexpr int OtherPanel = 9;    // --ecs names another panel than the one on the line
constexpr int Interrupted = 130; // Ctrl-C: 128 + the signal (143 for SIGTERM)

// Each status and what it means, for --help.
struct Meaning
{
    int code;
    const char *text;
};
inline constexpr std::array<Meaning, 11> kMeanings{{
    {Done, "fait (ou aucune différence)"},
    {Refused, "des différences, ou un fichier refusé"},
    {Usage, "erreur d'utilisation (commande, option ou argument)"},
    {PortFailed, "le port série n'a pas pu être ouvert (la raison suit le message)"},
    {NoReply, "pas de réponse de l'ECS (relecture de vérification comprise)"},
    {ManualMode, "l'ECS est en mode de configuration manuelle (ACCES ECS)"},
    {VerifyFailed, "une vérification a échoué : l'ECS ne relit pas ce qui a été envoyé"},
    {TransferError, "erreur de transfert : une réponse de l'ECS inutilisable"},
    {WriteFailed, "le fichier n'a pas pu être écrit"},
    {OtherPanel, "l'ECS raccordé n'est pas celui que --ecs désigne : rien n'a été envoyé"},
    // %1: what interrupts a command on this system (cli/SystemWords).
    {Interrupted, "interrompu par %1 : rien de plus n'est envoyé ni écrit"},
}};

// The status of a receive or a send that ended so; Aborted has no status of its own (the
// interruption that caused it gives it).
inline int of(TransferResult result)
{
    switch (result) {
    case TransferResult::Done:
        return Done;
    case TransferResult::CodesRefused:
        return Refused;
    case TransferResult::Cancelled:
    case TransferResult::PortFailed:
        return PortFailed;
    case TransferResult::NoReply:
        return NoReply;
    case TransferResult::ManualMode:
        return ManualMode;
    case TransferResult::VerifyFailed:
        return VerifyFailed;
    case TransferResult::Refused:
        return TransferError;
    case TransferResult::OtherPanel:
        return OtherPanel;
    case TransferResult::Aborted:
        break;
    }
    return Interrupted;
}

} // namespace ExitCode
