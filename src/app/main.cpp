#include "CommandLine.h"
#include "LogCategories.h"
#include "MainWindow.h"
#include "RealTimeClock.h"
#include "RemoteClient.h"
#include "RemoteControl.h"
#include "TerminationSignals.h"
#include "TranslationLoader.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridPanel.h"
#include "VirtualHybridUnit.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <memory>

namespace {

// The remote control goes on the session bus once the window exists; without a bus the program
// runs as before, only without remote control.
void publishRemoteControl(MainWindow& window, const QString& unit)
{
    QString reason;
    if (!window.remoteControl()->publish(QDBusConnection::sessionBus(), unit, &reason))
        qCWarning(lcApp).noquote() << "no remote control:" << reason;
}

// The connection a second start talks to the first one on. It is the program's own and is
// closed before the application object goes: Qt 6 warns on the way out about a shared session
// connection still open then.
class ClientConnection
{
public:
    ClientConnection()
        : m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name()))
    {
    }
    ~ClientConnection() { QDBusConnection::disconnectFromBus(name()); }
    ClientConnection(const ClientConnection&) = delete;
    ClientConnection& operator=(const ClientConnection&) = delete;
    QDBusConnection connection() const { return m_connection; }

private:
    static QString name() { return QStringLiteral("parlona-control-client"); }
    QDBusConnection m_connection;
};

// A second start of the program, plain or with --answer and the like, speaks to the first one
// instead of opening the same unit twice.
int runRemoteCommand(int argc, char* argv[], const CommandLine& options)
{
    // Scripts read what the client prints: only its answer, unless --verbose asks for the
    // diagnostics too (Qt 6's D-Bus warns now and then about types as the process ends).
    if (options.verbose()) {
        enableVerboseLogging();
    } else {
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtFatalMsg)
                QTextStream(stderr) << message << '\n';
        });
    }
    QCoreApplication app(argc, argv);
    TranslationLoader translations;
    translations.install(options.language());
    const ClientConnection bus;
    RemoteClient client(bus.connection());
    client.setUnit(options.unit());
    const int status = client.run(options.remoteCommand(), options.dialNumber());
    QTextStream(stdout) << client.output();
    QTextStream(stderr) << client.errorText();
    return status;
}

// The program's name on the session bus (its unit's, with --unit), taken before the window is
// built: of two programs started at the same moment for the same unit, exactly one gets it.
// Without a session bus every start runs.
bool ownsTheName(const QString& unit)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    return !bus.isConnected() || bus.registerService(RemoteControl::serviceNameFor(unit));
}

// The program holding the name is brought forward. It may still be building its window, so it
// is given a few seconds to answer.
int raiseTheRunningProgram(const QString& unit)
{
    const ClientConnection bus;
    RemoteClient running(bus.connection());
    running.setUnit(unit);
    QElapsedTimer waited;
    waited.start();
    int status = running.raise();
    while (status != 0 && waited.elapsed() < 5000) {
        QThread::msleep(100);
        status = running.raise();
    }
    QTextStream(stdout) << running.output();
    QTextStream(stderr) << running.errorText();
    return status;
}

// Ends the event loop after ms (0: never); the windows are then destroyed as after a close.
// Not quit(): under Qt 6 that closes the windows first, and the main window would ask whether
// to store a connected unit's settings.
void quitLater(int ms)
{
    if (ms > 0)
        QTimer::singleShot(ms, qApp, [] { QCoreApplication::exit(0); });
}

// A system that stops the program (a logout, a shutdown, systemctl) gets an orderly close: the
// call going on recorded, the settings written, and no question waiting for a person.
void closeOnTermination(TerminationSignals* termination, MainWindow* window)
{
    QObject::connect(termination, &TerminationSignals::terminationRequested, window, [window] {
        window->closeForShutdown();
        // Ends a question's loop too, if one is open.
        QCoreApplication::exit(0);
    });
}

// Virtual units stand in for USB: the program talks to them through the same link, and the
// "Virtual Hybrid" window beside the main window plays the network side.
int runWithVirtualUnits(const CommandLine& options)
{
    RealTimeClock clock;
    VirtualHybridBackend backend(&clock);
    for (int i = 1; i <= options.virtualUnits(); ++i)
        backend.addUnit(QStringLiteral("VH%1").arg(i, 6, 10, QLatin1Char('0')));
    // Calls made with virtual units are kept apart from the studio's real phonebook and history.
    const QString demoDirectory = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Orvane/Parlona Control/virtual-hybrid");
    QDir().mkpath(demoDirectory);
    MainWindow window(&backend, demoDirectory);
    window.setUnit(options.unit());
    TerminationSignals termination;
    closeOnTermination(&termination, &window);
    publishRemoteControl(window, options.unit());
    if (options.service())
        window.showServiceMenu();
    VirtualHybridPanel panel(&backend);
    // The panel plays the network side of the unit this program controls.
    if (VirtualHybridUnit* controlled = backend.unit(options.unit()))
        panel.setCurrentUnit(controlled);
    // Closing the main window ends the program, whether the panel is open or not.
    panel.setAttribute(Qt::WA_QuitOnClose, false);
    window.move(20, 20);
    window.showAtStart(options.minimized());
    panel.adjustSize();
    panel.move(window.frameGeometry().right() + 12, window.frameGeometry().top());
    panel.show();
    quitLater(options.quitAfterMs());
    return QApplication::exec();
}

} // namespace

int main(int argc, char* argv[])
{
    // The command line is read before there is a window system to connect to, so that --help,
    // --help-all, --version and a mistake are answered without a display.
    QCoreApplication::setApplicationVersion(QStringLiteral(PARLONA_VERSION));
    std::unique_ptr<CommandLine> options;
    {
        QCoreApplication reader(argc, argv);
        options = std::make_unique<CommandLine>(QCoreApplication::arguments());
    }
    if (!options->shouldRun()) {
        QTextStream(options->exitStatus() == 0 ? stdout : stderr) << options->output();
        return options->exitStatus();
    }
    if (options->remoteCommand() != NoRemoteCommand)
        return runRemoteCommand(argc, argv, *options);

    // The images live in the core library; a static library's resources need registering.
    Q_INIT_RESOURCE(resources);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 6 always scales for high-DPI screens.
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QApplication app(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("com.orvane.ParlonaControl"));
    if (options->verbose())
        enableVerboseLogging();
    qCInfo(lcApp) << "starting" << QApplication::applicationVersion() << QApplication::arguments().mid(1);
    // Before the first window: texts are translated when a widget is built.
    TranslationLoader translations;
    translations.install(options->language());

    if (!ownsTheName(options->unit()))
        return raiseTheRunningProgram(options->unit());

    if (options->virtualUnits() == 0) {
        MainWindow window;
        window.setUnit(options->unit());
        TerminationSignals termination;
        closeOnTermination(&termination, &window);
        publishRemoteControl(window, options->unit());
        if (options->service())
            window.showServiceMenu();
        window.showAtStart(options->minimized());
        quitLater(options->quitAfterMs());
        return app.exec();
    }

    return runWithVirtualUnits(*options);
}
