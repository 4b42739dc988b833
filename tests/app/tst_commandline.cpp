#include "CommandLine.h"
#include "LogCategories.h"
#include "ProgramEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// What the program makes of its command line, and what it writes to the terminal: warnings only,
// unless --verbose asks for its diagnostics. The real program is started in a home of its own, on
// a virtual hybrid that it connects to by itself, and ends itself after a moment as if closed.
class TestCommandLine : public QObject
{
    Q_OBJECT

    struct Run
    {
        int status = -1;
        QStringList errorLines; // each "type category: message"
        QString output;
    };

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = isolatedProgramEnvironment(m_home.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.filePath(QStringLiteral("runtime")));
        // Never the desktop's bus: a program running there would be raised instead.
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent"));
        environment.insert(QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{type} %{category}: %{message}"));
        environment.remove(QStringLiteral("QT_LOGGING_RULES"));
        return environment;
    }

    Run start(const QStringList& arguments, const QProcessEnvironment& environment) const
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(programPath(), arguments);
        Run run;
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.errorLines = QString::fromUtf8(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        run.output = QString::fromUtf8(process.readAllStandardOutput());
        return run;
    }

    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationVersion(QStringLiteral("9.8.7"));
        QVERIFY2(QFileInfo(programPath()).isExecutable(), qPrintable(programPath()));
        QVERIFY(QDir().mkpath(m_home.filePath("runtime")));
        QFile::setPermissions(m_home.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // The program connects at once, so that the link and the engines have something to say.
        QSettings settings(m_home.filePath("config/Orvane/Parlona Control.conf"), QSettings::IniFormat);
        settings.setValue(QStringLiteral("AutoConnect"), true);
    }

    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status"); // -1: the program runs
        QTest::addColumn<int>("units");
        QTest::addColumn<QString>("output"); // a piece of what is printed, or of the language
        const auto row = [](const char* name, const QStringList& arguments, int status, int units,
                             const QString& output) { QTest::newRow(name) << arguments << status << units << output; };
        row("nothing", {}, -1, 0, {});
        row("one virtual unit", { "--virtual-hybrid" }, -1, 1, {});
        row("three", { "--virtual-hybrid", "3" }, -1, 3, {});
        row("sixteen with =", { "--virtual-hybrid=16" }, -1, 16, {});
        row("with the rest", { "--service", "--verbose", "--virtual-hybrid", "--lang", "nl" }, -1, 1, "nl");
        row("Qt's own options", { "-platform", "offscreen", "-style=fusion", "-reverse" }, -1, 0, {});
        row("seventeen", { "--virtual-hybrid", "17" }, 2, 0, "1 to 16");
        row("not a count", { "--virtual-hybrid=x" }, 2, 0, "1 to 16");
        row("two counts", { "--virtual-hybrid", "2", "3" }, 2, 0, "1 to 16");
        row("count alone", { "4" }, 2, 0, "Unexpected argument '4'");
        row("unknown option", { "--bogus" }, 2, 0, "Unknown option 'bogus'");
        row("language missing", { "--lang" }, 2, 0, "Missing value after '--lang'");
        row("two remote commands", { "--answer", "--hangup" }, 2, 0, "one at a time");
        row("remote with a unit", { "--status", "--virtual-hybrid" }, 2, 0, "one at a time");
        row("unit with a space", { "--unit", "VH 1" }, 2, 0, "serial number");
        row("unit empty", { "--status", "--unit=" }, 2, 0, "serial number");
        row("dial without a number", { "--dial" }, 2, 0, "Missing value after '--dial'");
        row("help", { "--help" }, 0, 0, "--virtual-hybrid");
        row("help with Qt's options", { "--help-all" }, 0, 0, "-stylesheet <file>");
        row("quit after", { "--virtual-hybrid", "--quit-after", "300" }, -1, 1, {});
        row("quit after nothing", { "--quit-after=0" }, 2, 0, "milliseconds");
        row("remote, quit after", { "--status", "--quit-after=9" }, 2, 0, "one at a time");
        row("version", { "--version" }, 0, 0, "9.8.7");
        row("in the tray at the session's start", { "--minimized" }, -1, 0, {});
        row("remote, minimized", { "--hangup", "--minimized" }, 2, 0, "one at a time");
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(int, units);
        QFETCH(QString, output);
        const CommandLine line(QStringList { QStringLiteral("parlona-control") } + arguments);
        QCOMPARE(line.shouldRun(), status < 0);
        QCOMPARE(line.virtualUnits(), units);
        if (status < 0) {
            QCOMPARE(line.language(), output);
            QCOMPARE(line.service(), arguments.contains(QStringLiteral("--service")));
            QCOMPARE(line.verbose(), arguments.contains(QStringLiteral("--verbose")));
            QCOMPARE(line.minimized(), arguments.contains(QStringLiteral("--minimized")));
            QCOMPARE(line.quitAfterMs(), arguments.contains(QStringLiteral("--quit-after")) ? 300 : 0);
            return;
        }
        QCOMPARE(line.exitStatus(), status);
        QVERIFY2(line.output().contains(output), qPrintable(line.output()));
        // A mistake is followed by the usage, so that the right form is at hand.
        QCOMPARE(
            line.output().contains(QStringLiteral("--service")), status == 2 || arguments.first().startsWith("--help"));
        // Qt's own options are known, but only the long help shows them; the test hook never.
        QCOMPARE(line.output().contains(QStringLiteral("-platform <")), arguments.first() == "--help-all");
        QVERIFY(!line.output().contains(QStringLiteral("--quit-after <")));
    }

    void remoteCommands_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("number");
        QTest::newRow("status, verbose") << QStringList { "--verbose", "--status" } << int(RemoteStatus)
                                         << QString();
        QTest::newRow("dial") << QStringList { "--dial", "+31 20 123" } << int(RemoteDial) << "+31 20 123";
        QTest::newRow("dial with =") << QStringList { "--dial=0612" } << int(RemoteDial) << "0612";
        QTest::newRow("a window") << QStringList { "--service" } << int(NoRemoteCommand) << QString();
        QTest::newRow("status of one unit")
            << QStringList { "--status", "--unit", "VH000002" } << int(RemoteStatus) << QString();
        QTest::newRow("a window for one unit")
            << QStringList { "--virtual-hybrid", "--unit=SN:12.a-b" } << int(NoRemoteCommand) << QString();
    }

    void remoteCommands()
    {
        QFETCH(QStringList, arguments);
        const CommandLine line(QStringList { QStringLiteral("parlona-control") } + arguments);
        QVERIFY(line.shouldRun());
        QTEST(int(line.remoteCommand()), "command");
        QTEST(line.dialNumber(), "number");
        const QString unit = arguments.filter(QStringLiteral("VH00")).value(0) + arguments.filter("--unit=").value(0).mid(7);
        QCOMPARE(line.unit(), unit);
    }

    // Warnings need no --verbose.
    void warningsShownByDefault()
    {
        for (const QLoggingCategory* category : { &lcLink(), &lcGsm(), &lcContacts() })
            QVERIFY(category->isWarningEnabled());
    }

    void diagnostics_data()
    {
        QTest::addColumn<bool>("verbose");
        QTest::newRow("quiet") << false;
        QTest::newRow("verbose") << true;
    }

    void diagnostics()
    {
        QFETCH(bool, verbose);
        QStringList arguments { "--virtual-hybrid", "--quit-after", "1000" };
        if (verbose)
            arguments << "--verbose";
        const Run run = start(arguments, environment());
        QCOMPARE(run.status, 0);
        QStringList chatter; // what is below a warning
        for (const QString& line : run.errorLines) {
            if (line.startsWith("debug ") || line.startsWith("info "))
                chatter << line;
            // Every line of the program's own goes through a category of its subsystem.
            QVERIFY2(!line.startsWith("debug default:") && !line.startsWith("info default:"), qPrintable(line));
        }
        if (!verbose) {
            QCOMPARE(chatter, QStringList());
            return;
        }
        // The start, the link's traffic and the end are told, each by its subsystem.
        for (const char* expected : { "debug parlona.contacts: Database file:", "debug parlona.link: in id 3",
                 "debug parlona.gsm: ", "debug parlona.app: ~MainWindow" })
            QVERIFY2(!chatter.filter(QLatin1String(expected)).isEmpty(), expected);
    }

    // The long help lists Qt's own options, also where there is no display to show a window on.
    void helpAllWithoutDisplay()
    {
        QProcessEnvironment environment = this->environment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        const Run run = start({ "--help-all" }, environment);
        QCOMPARE(run.status, 0);
        QVERIFY2(run.output.contains("--virtual-hybrid") && run.output.contains("-platform <"), qPrintable(run.output));
        QCOMPARE(run.errorLines, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
