// The yardstick of the start-up benchmark: an empty QMainWindow, built as torva-pc is, with the
// same start-up (Qt's French texts) and the same probe.
#include "seams/StartUp.h"
#include "ui/StartupProbe.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    StartUp::prepareProgram();
    QMainWindow window;
    StartupProbe::watchFirstPaint(window);
    window.show();
    return app.exec();
}
