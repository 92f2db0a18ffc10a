#include "cli/Commands.h"

#include "cli/Cli.h"
#include "cli/ExitCode.h"

#include <array>

namespace {

using namespace ExitCode;

// The exit statuses a command can give, in the order of ExitCode::kMeanings.
template <typename... Codes>
std::vector<int> statuses(Codes... codes)
{
    return {codes...};
}

const std::array<Command, 12> kCommands{{
    {"receive", &Cli::receive, "receive --port PORT -o FICHIER.dat",
     "reçoit la configuration de l'ECS dans un fichier",
     "Lit la configuration de l'ECS dans l'ordre de « RECEVOIR LA CONFIGURATION », puis l'enregistre\n"
     "comme « Enregistrer » : le fichier est écrit en entier ou pas du tout. Un fichier du même nom\n"
     "n'est remplacé qu'une fois toute la configuration reçue ; interrompue, la réception n'écrit rien.\n"
     "Le journal des interventions la garde (« torva-cli journal »), qu'elle ait abouti ou non.",
     0, 0, statuses(Done, Usage, PortFailed, NoReply, ManualMode, TransferError, WriteFailed, Interrupted)},
    {"send", &Cli::send, "send FICHIER.dat --port PORT [--ecs NUMERO]",
     "envoie un fichier à l'ECS et vérifie chaque élément",
     "Vérifie le fichier comme « Ouvrir », puis écrit chaque élément dans l'ECS et le relit, comme\n"
     "« ENVOYER LA CONFIGURATION ». Les deux codes doivent avoir 4 lettres et être différents.\n"
     "Avant la première écriture, l'envoi lit toute la configuration de l'ECS pour le journal des\n"
     "interventions (« torva-cli journal »), qui garde l'envoi, qu'il ait abouti ou non ;\n"
     "avec --ecs, il n'écrit rien dans une ECS d'un autre numéro de série (code 9).\n"
     "Interrompu (Ctrl-C) après la première écriture, l'envoi laisse l'ECS avec une partie de la\n"
     "nouvelle configuration : il faut l'envoyer de nouveau.",
     1, 1,
     statuses(Done, Refused, Usage, PortFailed, NoReply, ManualMode, VerifyFailed, TransferError, WriteFailed,
              OtherPanel, Interrupted)},
    {"show", &Cli::show, "show FICHIER.dat [--json]", "montre la configuration d'un fichier",
     "Montre chaque élément de la configuration d'un fichier avec les mots de l'éditeur, dans\n"
     "l'ordre de la fiche de configuration. Avec --json, chaque élément a une clé qui ne change\n"
     "pas (« loop1.alarmMode ») et une valeur pour un programme (nombre, booléen ou mot en\n"
     "minuscules), avec les mots de l'éditeur à côté (« label », « text »).",
     1, 1, statuses(Done, Refused, Usage)},
    {"check", &Cli::check, "check FICHIER.dat...", "vérifie des fichiers comme « Ouvrir »",
     "Vérifie chaque fichier comme « Ouvrir » et dit pour chacun s'il est correct, ou ce qui ne va\n"
     "pas et à quelle ligne.",
     1, -1, statuses(Done, Refused, Usage)},
    {"diff", &Cli::diff, "diff A.dat B.dat [--json]  ou  diff A.dat --port PORT [--json]",
     "les éléments qui diffèrent : fichier contre fichier, ou fichier contre l'ECS",
     "Les éléments qui diffèrent, avec les mots de l'éditeur : entre deux fichiers, ou entre un\n"
     "fichier et la configuration de l'ECS, qui est seulement lue (rien n'est écrit dans l'ECS).\n"
     "Avec --json : pour chaque différence la clé, les deux valeurs et les deux textes, et leur\n"
     "nombre (« count »).",
     1, 2,
     statuses(Done, Refused, Usage, PortFailed, NoReply, ManualMode, TransferError, WriteFailed,
              Interrupted)},
    {"convert", &Cli::convert, "convert ANCIEN.dat -o NOUVEAU.dat",
     "convertit un fichier version 1 en version 2",
     "Lit un fichier version 1 comme « Importer fichier Version 1 » (la carte UP présente) et\n"
     "l'enregistre en version 2 comme « Enregistrer ».",
     1, 1, statuses(Done, Refused, Usage, WriteFailed, Interrupted)},
    {"diag", &Cli::diag, "diag --port PORT [--watch] [--json]",
     "le diagnostic de l'ECS, une fois ou à chaque cycle",
     "Les versions et numéros de série de l'ECS et de la carte UP, les tensions et la charge des\n"
     "boucles, comme la fenêtre de diagnostic : une fois, ou à chaque cycle avec --watch jusqu'à\n"
     "Ctrl-C. La carte est lue quand l'ECS la dit présente. Avec --json, les versions et numéros\n"
     "de série sont des chaînes, les tensions en volts, les courants en ampères et la charge des\n"
     "boucles en milliampères, des nombres (une ligne par cycle avec --watch).",
     0, 0, statuses(Done, Usage, PortFailed, NoReply, TransferError, WriteFailed, Interrupted)},
    {"ports", &Cli::ports, "ports [--probe [PORT...]]",
     "les ports série du système, et ceux où une ECS répond",
     "Les ports série que le système détecte, avec la description de leur adaptateur.\n"
     "Avec --probe, ouvre chaque port (ou seulement les PORT nommés, comme --port les nomme) et\n"
     "lit le mode de l'ECS comme au début d'une réception (un réveil, trois essais) : dit pour\n"
     "chacun si une ECS a répondu, ou pourquoi pas (port occupé ou refusé et la raison du système,\n"
     "pas de réponse, réponse qui n'est pas celle d'une ECS).\n"
     "Avec --probe, le code de sortie est 0 quand une ECS au moins a répondu, 4 quand des ports se\n"
     "sont ouverts mais qu'aucune ECS n'a répondu, 3 quand aucun port ne s'est ouvert (ou qu'il n'y\n"
     "en a aucun). Sans --probe, 0 même sans port détecté (« aucun port série détecté » sur la\n"
     "sortie d'erreur).",
     0, -1, statuses(Done, Usage, PortFailed, NoReply, WriteFailed, Interrupted)},
    {"journal", &Cli::journalList, "journal [--panel NUMERO] [--json]",
     "les interventions du journal, la plus récente d'abord",
     "Les entrées du journal des interventions (chaque réception et chaque envoi qui a atteint une\n"
     "ECS, de TORVA-PC ou de torva-cli), la plus récente d'abord : date, ECS, opération, résultat,\n"
     "intervenant, nombre de modifications et nom de l'entrée. Une entrée illisible est listée\n"
     "comme telle. « torva-cli journal show ENTREE » en montre une, « torva-cli journal get\n"
     "ENTREE » en écrit une configuration. Avec --json, la liste pour un programme.",
     0, 0, statuses(Done, Usage)},
    {"journal show", &Cli::journalShow, "journal show ENTREE [--json]",
     "une intervention du journal et ses modifications",
     "Une entrée du journal : qui, quand, sur quelle ECS, par quel port, son résultat, les\n"
     "empreintes SHA-256 de ses configurations et, pour un envoi, les éléments modifiés avec les\n"
     "mots de l'éditeur. Avec --json, les modifications comme « diff --json » les écrit.\n"
     "Le code de sortie est 1 pour une entrée inconnue ou illisible.",
     1, 1, statuses(Done, Refused, Usage), "ENTREE manquante"},
    {"journal get", &Cli::journalGet, "journal get ENTREE --before|--sent -o FICHIER.dat",
     "écrit une configuration d'une intervention dans un fichier",
     "Écrit la configuration lue dans l'ECS (--before : avant l'envoi, ou celle de la réception) ou\n"
     "celle qui a été envoyée (--sent) d'une entrée du journal, octet pour octet comme le journal la\n"
     "garde, en entier ou pas du tout. Pour remettre une ECS dans son état d'avant un envoi :\n"
     "« journal get ENTREE --before -o avant.dat », puis « send avant.dat ».\n"
     "Le code de sortie est 1 pour une entrée inconnue ou illisible, ou sans cette configuration.",
     1, 1, statuses(Done, Refused, Usage, WriteFailed, Interrupted), "ENTREE manquante"},
    {"journal report", &Cli::journalReport, "journal report ENTREE -o FICHIER.pdf [--observations TEXTE]",
     "écrit le rapport d'intervention d'une entrée en PDF",
     "Écrit en PDF (A4) le rapport d'intervention d'une entrée du journal, pour le registre de\n"
     "sécurité du site : l'ECS, l'opération et son résultat, les modifications, les essais à\n"
     "réaliser, les observations, les empreintes SHA-256 et les cadres de signature ; jamais les\n"
     "codes d'accès. Il est fait par torva-report, installé à côté de torva-cli (il lui faut Qt Gui,\n"
     "sans écran). Le code de sortie est 1 pour une entrée inconnue ou illisible.",
     1, 1, statuses(Done, Refused, Usage, WriteFailed), "ENTREE manquante"},
}};

} // namespace

std::span<const Command> commands() { return kCommands; }

const Command *findCommand(const QString &name)
{
    for (const Command &command : kCommands)
        if (name == QLatin1String(command.name))
            return &command;
    return nullptr;
}
