// The yardsticks of the start-up benchmark: an empty QMainWindow, built as torva-pc is, with the
// same start-up (Qt's French texts) and the same probe. With the argument "text" the window holds
// one label in torva-pc's font: the least any window that shows text pays, since the first text
// measured loads the system's font configuration, which an empty window never does.
#include "seams/StartUp.h"
#include "ui/StartupProbe.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    StartUp::prepareProgram();
    QMainWindow window;
    if (QApplication::arguments().contains(QStringLiteral("text"))) {
        auto *label = new QLabel(QStringLiteral("BOUCLE 1"), &window);
        QFont font(QStringLiteral("MS Sans Serif"));
        font.setStyleHint(QFont::SansSerif);
        font.setPointSize(8);
        label->setFont(font);
        window.setCentralWidget(label);
    }
    StartupProbe::watchFirstPaint(window);
    window.show();
    return app.exec();
}
