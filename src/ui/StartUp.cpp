#include "ui/StartUp.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <csignal>
#include <cstdio>

namespace StartUp {

bool loadQtFrench(const QString &folder)
{
    QCoreApplication *app = QCoreApplication::instance();
    const QString where = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath)
                                           : folder;
    auto *translator = new QTranslator(app);
    if (!app || !translator->load(QStringLiteral("qtbase_fr"), where)
        || !QCoreApplication::installTranslator(translator)) {
        std::fprintf(stderr,
                     "Qt's French translations (qtbase_fr.qm) not found in %s: the standard "
                     "dialogs stay in English (package qt6-translations-l10n)\n",
                     qPrintable(where));
        delete translator;
        return false;
    }
    return true;
}

void prepareProgram()
{
    std::signal(SIGXFSZ, SIG_IGN);
    loadQtFrench();
}

} // namespace StartUp
