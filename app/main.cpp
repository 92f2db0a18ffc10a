// TORVA-PC: the configurator of the TORVA fire alarm control panel.
#include "config/Session.h"
#include "diag/DiagFrm.h"
#include "editor/MainCommands.h"
#include "editor/MainWindow.h"
#include "link/ExchangeLog.h"
#include "link/Link.h"
#include "link/SystemPorts.h"
#include "sim/EmulatedPanel.h"
#include "sim/EmulatedPort.h"
#include "ui/StartUp.h"
#include "ui/WidgetPrompts.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TORVA-PC"));
    QApplication::setApplicationVersion(QStringLiteral("3.0"));
    StartUp::prepareProgram();

    // The panel behind the "ECS simulée" choice keeps its state for the whole run, so that a
    // configuration sent to it can be received back.
    EmulatedPanel simulatedPanel;
    simulatedPanel.setLive(true);
    const PortFactory ports = makeRealPortFactory(
        [&simulatedPanel](const PortChoice &) { return std::make_unique<EmulatedPort>(simulatedPanel); });

    WidgetPrompts prompts;
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
    window.show();
    return app.exec();
}
