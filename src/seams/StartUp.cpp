#include "seams/StartUp.h"

#include "seams/RunningMark.h"
#include "seams/Version.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include <csignal>
#include <cstdio>
#include <memory>

namespace StartUp {

namespace {

// Where the catalogue is: a `translations` folder beside the program when there is one (the
// Windows installation carries its own), else Qt's own translations folder (Linux).
QString translationsFolder()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
    if (QFileInfo::exists(beside + QStringLiteral("/qtbase_fr.qm")))
        return beside;
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

} // namespace

void nameProgram(const QString &name)
{
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setApplicationVersion(Version::text());
}

bool loadQtFrench(const QString &folder)
{
    const QString where = folder.isEmpty() ? translationsFolder() : folder;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_fr"), where) ||
        !QCoreApplication::installTranslator(translator.get())) {
        std::fprintf(stderr,
                     "Qt's French translations (qtbase_fr.qm) not found in %s: the standard "
                     "dialogs stay in English (package qt6-translations-l10n)\n",
                     qPrintable(where));
        return false;
    }
    translator.release()->setParent(QCoreApplication::instance()); // kept for the whole run
    return true;
}

void prepareProgram()
{
#ifdef SIGXFSZ // systems without file-size limits have no such signal
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    loadQtFrench();
    RunningMark::hold();
}

} // namespace StartUp
