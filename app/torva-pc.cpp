// TORVA-PC: the configurator of the TORVA fire alarm control panel.
#include "config/Session.h"
#include "diag/DiagFrm.h"
#include "editor/MainCommands.h"
#include "editor/MainWindow.h"
#include "link/ExchangeLog.h"
#include "link/Link.h"
#include "link/SystemPorts.h"
#include "seams/StartUp.h"
#include "sim/EmulatedPanel.h"
#include "simfiles/KeptPanel.h"
#include "ui/FusionPictures.h"
#include "ui/StartupProbe.h"
#include "ui/WidgetPrompts.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    useFusionPictures();
    StartUp::nameProgram(QStringLiteral("TORVA-PC"));
    StartUp::prepareProgram();

    WidgetPrompts prompts;
    // The panel behind the "ECS simulée" choice is torva-cli's --port sim: both keep its
    // configuration in one data file, so that what one sends the other receives.
    EmulatedPanel simulatedPanel;
    simulatedPanel.setLive(true);
    const PortFactory ports =
        makeRealPortFactory(KeptPanel::simulatedPorts(simulatedPanel, [&prompts](const QString &text) {
            prompts.message(text, QStringLiteral("ECS SIMULEE"), Prompts::Icon::Warning);
        }));

    // Every exchange of the run, for the "Journal des échanges" window and Qt's logging.
    ExchangeLog exchanges;
    Link link(prompts, ports);
    link.setExchangeLog(&exchanges);
    Session session;
    MainWindow window(session, link, prompts);
    prompts.setParent(&window);
    MainCommands commands(window, link, session, prompts, [&] {
        DiagFrm::run(link, session, prompts, window.configuration().UpCardPresent == 1, &window);
    });
    StartupProbe::watchFirstPaint(window);
    window.show();
    // A data file named on the command line ("Ouvrir avec" on the desktop) is opened as "Ouvrir"
    // opens one, once the window is up to carry a refusal's message.
    const QStringList files = QApplication::arguments().mid(1);
    if (!files.isEmpty())
        QTimer::singleShot(0, &commands, [&commands, file = files.first()] { commands.openFile(file); });
    return app.exec();
}
