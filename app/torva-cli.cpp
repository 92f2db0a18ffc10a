// torva-cli: TORVA-PC on the command line, for a PC without a display: receive a panel's
// configuration into a data file, send one with every item verified, show, check, compare and
// convert data files, read the panel's diagnostic, and find the port a panel answers on.
#include "cli/Cli.h"
#include "cli/CommandLine.h"
#include "seams/StartUp.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    StartUp::nameProgram(QStringLiteral("torva-cli"));
    StartUp::prepareProgram();

    const CommandLine::Reading reading = CommandLine::read(QCoreApplication::arguments());
    if (!reading.options)
        return reading.status;
    return Cli(*reading.options).run();
}
