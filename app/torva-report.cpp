// torva-report: the intervention report of one journal entry as a PDF, without a display, for
// the command line ("torva-cli journal report") and for scripts. It needs Qt Gui (fonts and the
// PDF writer), which torva-cli does without: this is why it is a program of its own.
#include "journal/Journal.h"
#include "report/InterventionReport.h"
#include "seams/StartUp.h"

#include <QDir>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace {

// As torva-cli's statuses.
constexpr int kDone = 0;
constexpr int kRefused = 1; // an unknown or damaged entry
constexpr int kUsage = 2;
constexpr int kWriteFailed = 8;

const char *const kUsageText =
    "Usage : torva-report DOSSIER_DU_JOURNAL ENTREE -o FICHIER.pdf [--observations TEXTE]\n"
    "Écrit le rapport d'intervention d'une entrée du journal (A4, PDF), sans affichage.\n"
    "Codes de sortie : 0 fait, 1 entrée inconnue ou endommagée, 2 erreur d'utilisation,\n"
    "8 le fichier n'a pas pu être écrit.\n";

void say(const QString &text)
{
    std::fputs(qPrintable(QStringLiteral("torva-report : ") + text + '\n'), stderr);
}

struct Request
{
    QString journal;
    QString entry;
    QString output;
    QString observations;
};

// The command line, or the status to end with (help: 0, anything else: usage).
std::optional<Request> read(const QStringList &arguments, int &status)
{
    Request request;
    QStringList positional;
    bool outputGiven = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QStringLiteral("-h") || a == QStringLiteral("--help")) {
            std::fputs(kUsageText, stdout);
            status = kDone;
            return std::nullopt;
        }
        if (a == QStringLiteral("-o") || a == QStringLiteral("--observations")) {
            if (i + 1 >= arguments.size()) {
                say(QStringLiteral("l'option %1 attend une valeur").arg(a));
                status = kUsage;
                return std::nullopt;
            }
            (a == QStringLiteral("-o") ? request.output : request.observations) = arguments[++i];
            outputGiven = outputGiven || a == QStringLiteral("-o");
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            say(QStringLiteral("option inconnue : %1").arg(a));
            status = kUsage;
            return std::nullopt;
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2 || !outputGiven || request.output.isEmpty()) {
        std::fputs(kUsageText, stderr);
        status = kUsage;
        return std::nullopt;
    }
    request.journal = positional[0];
    request.entry = positional[1];
    return request;
}

} // namespace

int main(int argc, char **argv)
{
#ifndef Q_OS_WIN
    // No display needed: the page is laid out and written without a window. (Windows' own
    // platform plugin needs no display either.)
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QGuiApplication app(argc, argv);
    StartUp::nameProgram(QStringLiteral("torva-report"));
    StartUp::prepareProgram();

    int status = kUsage;
    const std::optional<Request> request = read(QCoreApplication::arguments(), status);
    if (!request)
        return status;
    if (!QDir(request->journal).exists()) {
        say(QStringLiteral("dossier du journal introuvable : %1")
                .arg(QDir::toNativeSeparators(request->journal)));
        return kRefused;
    }
    const std::optional<JournalEntry> entry = Journal(request->journal).entry(request->entry);
    if (!entry) {
        say(QStringLiteral("entrée inconnue : %1").arg(request->entry));
        return kRefused;
    }
    QString why;
    if (!InterventionReport::reportable(*entry, &why)) {
        say(QStringLiteral("%1 : %2").arg(entry->id, why));
        return kRefused;
    }
    if (!writeReportPdf(*entry, request->observations, request->output, &why)) {
        say(QStringLiteral("impossible d'écrire %1 : %2")
                .arg(QDir::toNativeSeparators(request->output), why));
        return kWriteFailed;
    }
    return kDone;
}
