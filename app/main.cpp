#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TORVA-PC"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("OSTRALEC CONFIGURATION TORVA Rev.3.00"));
    window.show();
    return app.exec();
}
