#include "ui/StartUp.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <csignal>
#include <cstdio>
#include <memory>

namespace StartUp {

bool loadQtFrench(const QString &folder)
{
    const QString where = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
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
    std::signal(SIGXFSZ, SIG_IGN);
    loadQtFrench();
}

} // namespace StartUp
