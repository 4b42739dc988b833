#include "MainWindow.h"
#include "RealTimeClock.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridPanel.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QStringList>
#include <QTextStream>

namespace {

const char* const virtualHybridOption = "--virtual-hybrid";
const char* const serviceOption = "--service";
constexpr int maxVirtualUnits = 16;

// The number of virtual units asked for with --virtual-hybrid [N]: 0 without the option, 1 when
// no count follows it, -1 for a count that is not 1 to 16.
int virtualUnitCount(const QStringList& arguments)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        QString count;
        if (argument == QLatin1String(virtualHybridOption)) {
            bool isCount = false;
            if (i + 1 < arguments.size())
                arguments[i + 1].toInt(&isCount);
            if (isCount)
                count = arguments[i + 1];
        } else if (argument.startsWith(QLatin1String(virtualHybridOption) + QLatin1Char('='))) {
            count = argument.section(QLatin1Char('='), 1);
        } else {
            continue;
        }
        if (count.isEmpty())
            return 1;
        bool ok = false;
        const int units = count.toInt(&ok);
        return ok && units >= 1 && units <= maxVirtualUnits ? units : -1;
    }
    return 0;
}

// Virtual units stand in for USB: the program talks to them through the same link, and the
// "Virtual Hybrid" window beside the main window plays the network side.
void printUsage(QTextStream& out)
{
    out << "usage: parlona-control [" << virtualHybridOption << " [N]] [" << serviceOption << "]\n"
        << "  " << virtualHybridOption << " [N]  attach N emulated hybrids (1 to " << maxVirtualUnits
        << ", default 1) instead of USB\n"
        << "  " << serviceOption << "             offer the service pages (Debug, SMS, Dynamics) in a Service menu\n";
}

int runWithVirtualUnits(int units, bool service)
{
    RealTimeClock clock;
    VirtualHybridBackend backend(&clock);
    for (int i = 1; i <= units; ++i)
        backend.addUnit(QStringLiteral("VH%1").arg(i, 6, 10, QLatin1Char('0')));
    // Calls made with virtual units are kept apart from the studio's real phonebook and history.
    const QString demoDirectory = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Orvane/Parlona Control/virtual-hybrid");
    QDir().mkpath(demoDirectory);
    MainWindow window(&backend, demoDirectory);
    if (service)
        window.showServiceMenu();
    VirtualHybridPanel panel(&backend);
    // Closing the main window ends the program, whether the panel is open or not.
    panel.setAttribute(Qt::WA_QuitOnClose, false);
    window.move(20, 20);
    window.show();
    panel.adjustSize();
    panel.move(window.frameGeometry().right() + 12, window.frameGeometry().top());
    panel.show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char* argv[])
{
    // The images live in the core library; a static library's resources need registering.
    Q_INIT_RESOURCE(resources);
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication app(argc, argv);

    const QStringList arguments = QApplication::arguments();
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        QTextStream out(stdout);
        printUsage(out);
        return 0;
    }
    const int virtualUnits = virtualUnitCount(arguments);
    if (virtualUnits < 0) {
        QTextStream err(stderr);
        printUsage(err);
        return 2;
    }
    const bool service = arguments.contains(QLatin1String(serviceOption));

    if (virtualUnits == 0) {
        MainWindow window;
        if (service)
            window.showServiceMenu();
        window.show();
        return app.exec();
    }

    return runWithVirtualUnits(virtualUnits, service);
}
