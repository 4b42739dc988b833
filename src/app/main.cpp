#include "HidapiBackend.h"
#include "MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // The images live in the core library; a static library's resources need registering.
    Q_INIT_RESOURCE(resources);
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication app(argc, argv);

    HidapiBackend backend;
    MainWindow window(&backend);
    window.show();
    return app.exec();
}
