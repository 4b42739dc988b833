#include "HidapiBackend.h"
#include "MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication app(argc, argv);

    HidapiBackend backend;
    MainWindow window(&backend);
    window.show();
    return app.exec();
}
